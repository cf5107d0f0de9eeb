#include <limits>
#include <optional>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "browser/WindowGeometry.h"

namespace velumo {
namespace {

namespace geometry = WindowGeometry;

constexpr double nan = std::numeric_limits<double>::quiet_NaN();
constexpr double infinity = std::numeric_limits<double>::infinity();

TEST(WindowGeometryScreens, PointerPicksTheFirstScreenHoldingItElseThePrimaryElseNone) {
    // Two side by side, and a third overlapping the second (mirrored output).
    const Rect left{0, 0, 1440, 900};
    const Rect right{1440, 0, 1280, 800};
    const std::vector<Screen> screens{{left, left}, {right, right}, {right, right}};
    EXPECT_EQ(geometry::screenUnderPointer(screens, {1439.5, 899}, 1), 0U);
    // The shared edge belongs to the right-hand screen only; the first match wins.
    EXPECT_EQ(geometry::screenUnderPointer(screens, {1440, 10}, 0), 1U);
    // Outside every screen: below the second one, past the right edge.
    EXPECT_EQ(geometry::screenUnderPointer(screens, {1500, 800}, 2), 2U);
    EXPECT_EQ(geometry::screenUnderPointer(screens, {2720, 10}, 0), 0U);
    EXPECT_EQ(geometry::screenUnderPointer(screens, {-1, 10}, std::nullopt), std::nullopt);
    EXPECT_EQ(geometry::screenUnderPointer(screens, {-1, 10}, 3), std::nullopt);
}

TEST(WindowGeometryFrames, CentringConstrainingAndTheCornerPopUp) {
    // The work area of a second screen under a 25-point top panel.
    const Rect work{1440, 25, 1280, 775};
    EXPECT_EQ(geometry::centredOn({0, 0, 760, 520}, work), (Rect{1700, 152.5, 760, 520}));
    EXPECT_EQ(geometry::centredOn({-50, 3000, 1400, 1000}, work), work);
    EXPECT_EQ(geometry::centredOn({0, 0, 1300, 400}, work), (Rect{1440, 212.5, 1280, 400}));

    // Left of the work area and under its top panel; past its right and bottom
    // edges; touching its corner; larger than it.
    EXPECT_EQ(geometry::constrained({100, 0, 760, 520}, work), (Rect{1440, 25, 760, 520}));
    EXPECT_EQ(geometry::constrained({2500, 600, 760, 520}, work), (Rect{1960, 280, 760, 520}));
    EXPECT_EQ(geometry::constrained({1960, 280, 760, 520}, work), (Rect{1960, 280, 760, 520}));
    EXPECT_EQ(geometry::constrained({500, 500, 1600, 1000}, work), work);

    EXPECT_EQ(geometry::advertisementFrame({0, 0, 1440, 900}), (Rect{944, 564, 480, 320}));
    EXPECT_EQ(geometry::advertisementFrame(work), (Rect{2224, 464, 480, 320}));
}

TEST(WindowGeometryFrames, ARestoredWindowStaysOnItsScreenOrComesToThePrimaryOne) {
    const std::vector<Screen> screens{{{0, 0, 1440, 900}, {0, 25, 1440, 875}},
                                      {{1440, 0, 1280, 800}, {1440, 25, 1280, 775}}};
    EXPECT_EQ(geometry::restoredFrame({1500, 100, 760, 520}, screens, 0),
              (Rect{1500, 100, 760, 520}));
    // Its centre on the second screen, its edge past it.
    EXPECT_EQ(geometry::restoredFrame({2300, 500, 760, 520}, screens, 0),
              (Rect{1960, 280, 760, 520}));
    // The screen it was on is gone.
    EXPECT_EQ(geometry::restoredFrame({3000, 100, 760, 520}, screens, 0),
              (Rect{340, 202.5, 760, 520}));
    EXPECT_EQ(geometry::restoredFrame({3000, 100, 760, 520}, {}, std::nullopt),
              (Rect{3000, 100, 760, 520}));
}

TEST(WindowGeometryControlBar, HeightsZonesAndWebViewTop) {
    using enum BrowserWindowMode;
    // A folded bar's handle lies over the page.
    EXPECT_EQ(geometry::controlBarHeight(window, true), 10);
    EXPECT_EQ(geometry::webViewTop(window, false), 42);
    EXPECT_EQ(geometry::webViewTop(window, true), 0);
    EXPECT_EQ(geometry::webViewTop(advertisement, true), 30);

    // Centre 380 of 760; a drag that leaves upwards still touches the handle.
    for (const Point inside : {Point{344, 10}, Point{416, 10}, Point{380, -20}}) {
        EXPECT_TRUE(geometry::inUnfoldZone(inside, 760)) << inside.x << "," << inside.y;
    }
    for (const Point outside : {Point{380, 10.5}, Point{343.5, 5}, Point{416.5, 5}}) {
        EXPECT_FALSE(geometry::inUnfoldZone(outside, 760)) << outside.x << "," << outside.y;
    }
    EXPECT_FALSE(geometry::inFoldZone({380, 42}));
    EXPECT_TRUE(geometry::inFoldZone({380, 42.5}));
}

using Conversions = std::vector<std::pair<double, double>>;

TEST(WindowGeometryNumbers, OpacityAndZoomMoveInStepsWithinTheirRanges) {
    // Halves go away from zero: 0.125 is 2.5 twentieths.
    for (const auto& [value, opacity] : Conversions{
             {0.0, 0.1}, {0.124, 0.1}, {0.125, 0.15}, {0.62, 0.6}, {0.975, 1.0}, {nan, 1.0}}) {
        EXPECT_DOUBLE_EQ(geometry::opacityFromSlider(value), opacity) << value;
    }
    EXPECT_DOUBLE_EQ(geometry::opacityFromMenuTag(10), 0.1);
    EXPECT_DOUBLE_EQ(geometry::opacityFromMenuTag(70), 0.7);
    for (const auto& [value, zoom] : Conversions{{1.24, 1.2},
                                                 {1.25, 1.3},
                                                 {0.26, 0.3},
                                                 {0.1, 0.3},
                                                 {3.04, 3.0},
                                                 {nan, 1.0},
                                                 {infinity, 1.0}}) {
        EXPECT_DOUBLE_EQ(geometry::pageZoomFromSlider(value), zoom) << value;
    }
}

TEST(WindowGeometryNumbers, FitZoomShrinksWidePagesButNeverEnlargesOrGoesBelowThirty) {
    const std::vector<std::pair<std::pair<double, double>, std::optional<double>>> cases = {
        {{800, 1600}, 0.5},
        {{300, 1000}, 0.3},
        {{299, 1000}, 0.3},
        {{301, 1000}, 0.301},
        {{800, 800}, 1.0},
        {{0, 800}, std::nullopt},
        {{800, 0}, std::nullopt},
        {{-infinity, 800}, std::nullopt},
        {{infinity, 800}, 1.0},
        {{800, nan}, 1.0},
        // Tiny but positive numbers whose quotient overflows still fit at 100 %.
        {{1e308, 1e-10}, 1.0}};
    for (const auto& [sizes, zoom] : cases) {
        EXPECT_EQ(geometry::fitZoom(sizes.first, sizes.second), zoom)
            << sizes.first << " " << sizes.second;
    }
}

TEST(WindowGeometryNumbers, PercentTextRoundsHalvesAwayFromZero) {
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
