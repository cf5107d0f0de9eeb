#include <limits>
#include <optional>
#include <vector>

#include <gtest/gtest.h>

#include "browser/WindowGeometry.h"

namespace velumo {
namespace {

namespace geometry = WindowGeometry;

constexpr double nan = std::numeric_limits<double>::quiet_NaN();
constexpr double infinity = std::numeric_limits<double>::infinity();

Screen screen(Rect frame, double topPanel = 0) {
    return {frame, {frame.x, frame.y + topPanel, frame.width, frame.height - topPanel}};
}

TEST(WindowGeometryScreens, PointerPicksTheFirstScreenHoldingItElseThePrimaryElseNone) {
    // Two side by side, and a third overlapping the second (mirrored output).
    const std::vector<Screen> screens{screen({0, 0, 1440, 900}), screen({1440, 0, 1280, 800}),
                                      screen({1440, 0, 1280, 800})};

    EXPECT_EQ(geometry::screenUnderPointer(screens, {0, 0}, 0), 0U);
    EXPECT_EQ(geometry::screenUnderPointer(screens, {1439.5, 899}, 1), 0U);
    // The shared edge belongs to the right-hand screen only; the first match wins.
    EXPECT_EQ(geometry::screenUnderPointer(screens, {1440, 10}, 0), 1U);
    EXPECT_EQ(geometry::screenUnderPointer(screens, {2719, 799}, 0), 1U);

    // Outside every screen: below the second one, past the right edge.
    EXPECT_EQ(geometry::screenUnderPointer(screens, {1500, 800}, 2), 2U);
    EXPECT_EQ(geometry::screenUnderPointer(screens, {2720, 10}, 0), 0U);
    EXPECT_EQ(geometry::screenUnderPointer(screens, {-1, 10}, std::nullopt), std::nullopt);
    EXPECT_EQ(geometry::screenUnderPointer(screens, {-1, 10}, 3), std::nullopt);
    EXPECT_EQ(geometry::screenUnderPointer({}, {0, 0}, 0), std::nullopt);
}

TEST(WindowGeometryFrames, CentringKeepsTheSizeThatFitsAndShrinksWhatDoesNot) {
    // The work area of a second screen under a 25-point top panel.
    const Rect work{1440, 25, 1280, 775};

    EXPECT_EQ(geometry::centredOn({0, 0, 760, 520}, work), (Rect{1700, 152.5, 760, 520}));
    EXPECT_EQ(geometry::centredOn({-50, 3000, 1400, 1000}, work), work);
    EXPECT_EQ(geometry::centredOn({0, 0, 1280, 900}, work), (Rect{1440, 25, 1280, 775}));
    EXPECT_EQ(geometry::centredOn({0, 0, 1300, 400}, work), (Rect{1440, 212.5, 1280, 400}));
}

TEST(WindowGeometryFrames, ConstrainedSlidesTheFrameFullyOntoTheWorkArea) {
    const Rect work{0, 30, 1440, 870};

    const Rect inside{100, 100, 760, 520};
    EXPECT_EQ(geometry::constrained(inside, work), inside);
    // Past the right and bottom edges: moved back just far enough.
    EXPECT_EQ(geometry::constrained({1000, 600, 760, 520}, work), (Rect{680, 380, 760, 520}));
    // Above and left of the work area (under the top panel).
    EXPECT_EQ(geometry::constrained({-200, 0, 760, 520}, work), (Rect{0, 30, 760, 520}));
    // Larger than the work area: shrunk, then pinned to its top-left corner.
    EXPECT_EQ(geometry::constrained({500, 500, 1600, 1000}, work), work);
    // Exactly touching the bottom-right corner stays where it is.
    EXPECT_EQ(geometry::constrained({680, 380, 760, 520}, work), (Rect{680, 380, 760, 520}));
}

TEST(WindowGeometryFrames, AdvertisementSitsInTheBottomRightCornerOfTheWorkArea) {
    EXPECT_EQ(geometry::advertisementFrame({0, 0, 1440, 900}), (Rect{944, 564, 480, 320}));
    // A second screen with a top panel: measured from its own right and bottom edges.
    EXPECT_EQ(geometry::advertisementFrame({1440, 25, 1280, 775}), (Rect{2224, 464, 480, 320}));
    // No screen at all: the empty rectangle at the origin.
    EXPECT_EQ(geometry::advertisementFrame({}), (Rect{-496, -336, 480, 320}));
}

TEST(WindowGeometryControlBar, HeightsAndWebViewTopFollowModeAndFolding) {
    using enum BrowserWindowMode;
    EXPECT_EQ(geometry::controlBarHeight(window, false), 42);
    EXPECT_EQ(geometry::controlBarHeight(window, true), 10);
    EXPECT_EQ(geometry::controlBarHeight(advertisement, false), 30);
    EXPECT_EQ(geometry::controlBarHeight(advertisement, true), 30);

    EXPECT_EQ(geometry::webViewTop(window, false), 42);
    EXPECT_EQ(geometry::webViewTop(window, true), 0);
    EXPECT_EQ(geometry::webViewTop(advertisement, false), 30);
    EXPECT_EQ(geometry::webViewTop(advertisement, true), 30);
}

TEST(WindowGeometryControlBar, UnfoldsOnlyNearTheTopCentreAndFoldsBelowTheOpenBar) {
    const double width = 760;  // centre 380
    EXPECT_TRUE(geometry::inUnfoldZone({380, 0}, width));
    EXPECT_TRUE(geometry::inUnfoldZone({344, 10}, width));
    EXPECT_TRUE(geometry::inUnfoldZone({416, 10}, width));
    EXPECT_FALSE(geometry::inUnfoldZone({380, 10.5}, width));
    EXPECT_FALSE(geometry::inUnfoldZone({343.5, 5}, width));
    EXPECT_FALSE(geometry::inUnfoldZone({416.5, 5}, width));
    // A drag that leaves the window upwards still counts as touching the handle.
    EXPECT_TRUE(geometry::inUnfoldZone({380, -20}, width));

    EXPECT_FALSE(geometry::inFoldZone({380, 42}));
    EXPECT_TRUE(geometry::inFoldZone({380, 42.5}));
    EXPECT_FALSE(geometry::inFoldZone({0, 0}));
}

TEST(WindowGeometryNumbers, OpacityMovesInTwentiethsBetweenATenthAndOne) {
    EXPECT_DOUBLE_EQ(geometry::opacityFromSlider(0.1), 0.1);
    EXPECT_DOUBLE_EQ(geometry::opacityFromSlider(0.0), 0.1);
    EXPECT_DOUBLE_EQ(geometry::opacityFromSlider(0.124), 0.1);
    // Halves go away from zero: 0.125 is 2.5 twentieths.
    EXPECT_DOUBLE_EQ(geometry::opacityFromSlider(0.125), 0.15);
    EXPECT_DOUBLE_EQ(geometry::opacityFromSlider(0.62), 0.6);
    EXPECT_DOUBLE_EQ(geometry::opacityFromSlider(0.975), 1.0);
    EXPECT_DOUBLE_EQ(geometry::opacityFromSlider(nan), 1.0);

    EXPECT_DOUBLE_EQ(geometry::opacityFromMenuTag(10), 0.1);
    EXPECT_DOUBLE_EQ(geometry::opacityFromMenuTag(70), 0.7);
    EXPECT_DOUBLE_EQ(geometry::opacityFromMenuTag(100), 1.0);
}

TEST(WindowGeometryNumbers, PageZoomMovesInTenthsWithinItsRange) {
    EXPECT_DOUBLE_EQ(geometry::pageZoomFromSlider(1.24), 1.2);
    EXPECT_DOUBLE_EQ(geometry::pageZoomFromSlider(1.25), 1.3);
    EXPECT_DOUBLE_EQ(geometry::pageZoomFromSlider(0.3), 0.3);
    EXPECT_DOUBLE_EQ(geometry::pageZoomFromSlider(0.26), 0.3);
    EXPECT_DOUBLE_EQ(geometry::pageZoomFromSlider(0.1), 0.3);
    EXPECT_DOUBLE_EQ(geometry::pageZoomFromSlider(3.0), 3.0);
    EXPECT_DOUBLE_EQ(geometry::pageZoomFromSlider(3.04), 3.0);
    EXPECT_DOUBLE_EQ(geometry::pageZoomFromSlider(nan), 1.0);
    EXPECT_DOUBLE_EQ(geometry::pageZoomFromSlider(infinity), 1.0);
}

TEST(WindowGeometryNumbers, FitZoomShrinksWidePagesButNeverEnlargesOrGoesBelowThirty) {
    EXPECT_EQ(geometry::fitZoom(800, 1600), 0.5);
    EXPECT_EQ(geometry::fitZoom(800, 4000), 0.3);
    EXPECT_EQ(geometry::fitZoom(300, 1000), 0.3);
    EXPECT_EQ(geometry::fitZoom(299, 1000), 0.3);
    EXPECT_EQ(geometry::fitZoom(301, 1000), 0.301);
    EXPECT_EQ(geometry::fitZoom(800, 800), 1.0);

    EXPECT_EQ(geometry::fitZoom(0, 800), std::nullopt);
    EXPECT_EQ(geometry::fitZoom(800, 0), std::nullopt);
    EXPECT_EQ(geometry::fitZoom(-1, 800), std::nullopt);
    EXPECT_EQ(geometry::fitZoom(-infinity, 800), std::nullopt);

    EXPECT_EQ(geometry::fitZoom(infinity, 800), 1.0);
    EXPECT_EQ(geometry::fitZoom(800, infinity), 1.0);
    EXPECT_EQ(geometry::fitZoom(800, nan), 1.0);
    // Tiny but positive numbers whose quotient overflows still fit at 100 %.
    EXPECT_EQ(geometry::fitZoom(1e308, 1e-10), 1.0);
}

TEST(WindowGeometryNumbers, PercentTextRoundsHalvesAwayFromZero) {
    EXPECT_EQ(geometry::percentText(1.0), "100%");
    EXPECT_EQ(geometry::percentText(0.3), "30%");
    EXPECT_EQ(geometry::percentText(0.125), "13%");
    EXPECT_EQ(geometry::percentText(0.555), "56%");
    EXPECT_EQ(geometry::percentText(2.994), "299%");
    EXPECT_EQ(geometry::percentText(-0.004), "0%");
    EXPECT_EQ(geometry::percentText(-0.125), "-13%");
    // Past every integer type: still printed whole.
    EXPECT_EQ(geometry::percentText(1e20), "10000000000000000000000%");
}

}  // namespace
}  // namespace velumo
