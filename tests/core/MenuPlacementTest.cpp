#include <optional>

#include <gtest/gtest.h>

#include "browser/MenuPlacement.h"
#include "browser/WindowGeometry.h"

namespace velumo {
namespace {

using MenuPlacement::Side;

// A 1440 x 900 screen under a 30-point top panel.
constexpr Rect work{0, 30, 1440, 870};

struct Case {
    const char* name;
    Rect button;
    Size menu;
    std::optional<Side> keptSide;
    MenuPlacement::Placement expected;
};

class MenuPlacementTest : public testing::TestWithParam<Case> {};

TEST_P(MenuPlacementTest, OpensWhereTheWholeMenuShowsOrAsMuchOfItAsTheScreenHolds) {
    const Case& c = GetParam();
    EXPECT_EQ(MenuPlacement::place(c.button, c.menu, work, c.keptSide), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MenuPlacementTest,
    testing::Values(
        // Under the button, its left edge on the button's, 4 below it.
        Case{"below", {600, 200, 25, 24}, {280, 500}, std::nullopt, {{600, 228, 280, 500}}},
        // Near the right edge: its right edge on the button's.
        Case{
            "rightAligned", {1300, 200, 25, 24}, {280, 500}, std::nullopt, {{1045, 228, 280, 500}}},
        // A button at the very edge: the menu stays on the screen.
        Case{"slidIn", {1430, 200, 10, 24}, {280, 500}, std::nullopt, {{1160, 228, 280, 500}}},
        // The corner pop-up's more button: no room below, so above, its
        // bottom 4 above the button.
        Case{"flippedAbove",
             {1366, 567, 25, 24},
             {280, 510},
             std::nullopt,
             {{1111, 53, 280, 510}, Side::above}},
        // Room for neither: the roomier side, shortened to its room.
        Case{
            "shortenedBelow", {600, 300, 25, 24}, {280, 900}, std::nullopt, {{600, 328, 280, 572}}},
        Case{"shortenedAbove",
             {600, 600, 25, 24},
             {280, 900},
             std::nullopt,
             {{600, 30, 280, 566}, Side::above}},
        // A menu that changes size stays on the side it opened on, even
        // where the new size would fit on the other one.
        Case{"keptAbove",
             {1366, 567, 25, 24},
             {280, 300},
             Side::above,
             {{1111, 263, 280, 300}, Side::above}},
        // Wider than the screen: as wide as the work area.
        Case{"tooWide", {600, 200, 25, 24}, {1600, 100}, std::nullopt, {{0, 228, 1440, 100}}},
        // A button above the work area (its window dragged up past the
        // top panel): the menu still opens on the work area.
        Case{"buttonAboveTheWorkArea",
             {600, -100, 25, 24},
             {280, 500},
             std::nullopt,
             {{600, 30, 280, 500}}}),
    [](const testing::TestParamInfo<Case>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace velumo
