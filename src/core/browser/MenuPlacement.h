#pragma once

#include <optional>

#include "browser/WindowGeometry.h"

namespace velumo {

// Where a drop-down menu opens from the button that shows it, in root
// coordinates. A menu is a window of its own, so it may reach past the window
// of its button but never past the work area of the button's monitor.
namespace MenuPlacement {

// The space between the button and the menu.
inline constexpr double gap = 4;

enum class Side { below, above };

struct Placement {
    Rect frame;
    Side side = Side::below;
    bool operator==(const Placement&) const = default;
};

// The menu's left edge lines up with the button's, `gap` below it. A menu
// that would cross the work area's right edge lines up with the button's
// right edge instead, and it is kept inside the work area sideways. It opens
// below when it fits there, else above when it fits there, else on the side
// with more room, shortened to that room (it then scrolls). `side` keeps the
// side chosen when the menu opened, so that a menu whose content changes
// stays where it is.
Placement place(Rect button, Size menu, Rect workArea, std::optional<Side> side = std::nullopt);

}  // namespace MenuPlacement
}  // namespace velumo
