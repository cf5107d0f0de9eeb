#include <optional>

#include <gtest/gtest.h>

#include "browser/MenuPlacement.h"
#include "browser/WindowGeometry.h"

namespace velumo {
namespace {

using MenuPlacement::Side;

TEST(MenuPlacement, OpensWhereTheWholeMenuShowsOrAsMuchOfItAsTheScreenHolds) {
    // A 1440 x 900 screen under a 30-point top panel.
    constexpr Rect work{0, 30, 1440, 870};
    constexpr Rect button{600, 200, 25, 24};
    constexpr Rect cornerButton{1366, 567, 25, 24};  // the corner pop-up's more button
    const struct {
        Rect button;
        Size menu;
        std::optional<Side> keptSide;
        MenuPlacement::Placement expected;
    } cases[] = {
        // Under the button, its left edge on the button's, 4 below it.
        {button, {280, 500}, std::nullopt, {{600, 228, 280, 500}}},
        // Near the right edge: its right edge on the button's.
        {{1300, 200, 25, 24}, {280, 500}, std::nullopt, {{1045, 228, 280, 500}}},
        // A button at the very edge: the menu stays on the screen.
        {{1430, 200, 10, 24}, {280, 500}, std::nullopt, {{1160, 228, 280, 500}}},
        // No room below: above, its bottom 4 above the button.
        {cornerButton, {280, 510}, std::nullopt, {{1111, 53, 280, 510}, Side::above}},
        // Room for neither: the roomier side, shortened to its room.
        {{600, 300, 25, 24}, {280, 900}, std::nullopt, {{600, 328, 280, 572}}},
        {{600, 600, 25, 24}, {280, 900}, std::nullopt, {{600, 30, 280, 566}, Side::above}},
        // A menu that changes size stays on the side it opened on, even where
        // the new size would fit on the other one.
        {cornerButton, {280, 300}, Side::above, {{1111, 263, 280, 300}, Side::above}},
        // Wider than the screen: as wide as the work area.
        {button, {1600, 100}, std::nullopt, {{0, 228, 1440, 100}}},
        // A button above the work area (its window dragged up past the top
        // panel): the menu still opens on the work area.
        {{600, -100, 25, 24}, {280, 500}, std::nullopt, {{600, 30, 280, 500}}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(MenuPlacement::place(c.button, c.menu, work, c.keptSide), c.expected)
            << c.button.x << "," << c.button.y << " " << c.menu.width << "x" << c.menu.height;
    }
}

}  // namespace
}  // namespace velumo
