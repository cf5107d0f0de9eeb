#include "browser/MenuPlacement.h"

#include <algorithm>

namespace velumo::MenuPlacement {

Placement place(Rect button, Size menu, Rect workArea, std::optional<Side> side) {
    const double width = std::min(menu.width, workArea.width);
    double x = button.minX();
    if (x + width > workArea.maxX()) {
        x = button.maxX() - width;
    }
    x = std::clamp(x, workArea.minX(), workArea.maxX() - width);

    const double roomBelow = workArea.maxY() - button.maxY() - gap;
    const double roomAbove = button.minY() - gap - workArea.minY();
    if (!side) {
        const bool above =
            menu.height > roomBelow && (menu.height <= roomAbove || roomAbove > roomBelow);
        side = above ? Side::above : Side::below;
    }
    const double room = *side == Side::above ? roomAbove : roomBelow;
    const double height = std::clamp(menu.height, 0.0, std::max(room, 0.0));
    double y = *side == Side::above ? button.minY() - gap - height : button.maxY() + gap;
    // A button partly off the work area still gets a menu on it.
    y = std::clamp(y, workArea.minY(), std::max(workArea.minY(), workArea.maxY() - height));
    return {.frame = {x, y, width, height}, .side = *side};
}

}  // namespace velumo::MenuPlacement
