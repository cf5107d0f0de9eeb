#include "workbench/WorkbenchGeometry.h"

namespace velumo::WorkbenchGeometry {

std::optional<Rect> frameOnShow(Rect frame, const std::vector<Screen>& screens, Point pointer,
                                std::optional<std::size_t> primary) {
    const auto screen = WindowGeometry::screenUnderPointer(screens, pointer, primary);
    if (!screen) {
        return std::nullopt;
    }
    return WindowGeometry::centredOn(frame, screens[*screen].workArea);
}

}  // namespace velumo::WorkbenchGeometry
