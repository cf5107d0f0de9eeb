#include <gtest/gtest.h>

#include "workbench/WorkbenchGeometry.h"

namespace velumo {
namespace {

TEST(WorkbenchGeometry, EachShowCentresOnTheScreenUnderThePointerAndShrinksToFit) {
    // A second screen with a 25-point top panel, right of the primary one.
    const std::vector<Screen> screens{{{0, 0, 1440, 900}, {0, 0, 1440, 900}},
                                      {{1440, 0, 1280, 800}, {1440, 25, 1280, 775}}};
    const Rect onFirst{240, 110, 960, 680};
    EXPECT_EQ(WorkbenchGeometry::frameOnShow(onFirst, screens, {2000, 400}, 0),
              (Rect{1600, 72.5, 960, 680}));
    // The size the user gave is kept where it fits, cut to the work area where not.
    EXPECT_EQ(WorkbenchGeometry::frameOnShow({0, 0, 1400, 1000}, screens, {2000, 400}, 0),
              screens[1].workArea);
    // Off every screen: the primary one; no screen at all: nowhere.
    EXPECT_EQ(WorkbenchGeometry::frameOnShow(onFirst, screens, {-5, -5}, 0),
              (Rect{240, 110, 960, 680}));
    EXPECT_EQ(WorkbenchGeometry::frameOnShow(onFirst, {}, {10, 10}, std::nullopt), std::nullopt);
}

}  // namespace
}  // namespace velumo
