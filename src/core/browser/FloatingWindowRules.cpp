#include "browser/FloatingWindowRules.h"

namespace velumo::FloatingWindowRules {

bool hidesOnPointerExit(const PointerExit& exit) {
    return exit.autoHide && !exit.suppressAutoHide && !exit.buttonPressed && !exit.liveResize &&
           !exit.modalWindowOpen && !exit.pointerInsideFrame && !exit.ghost;
}

std::optional<bool> toolbarCollapsedAfterPointerMove(bool toolbarAutoHide, BrowserWindowMode mode,
                                                     bool collapsed, Point pointer,
                                                     double contentWidth) {
    if (!toolbarAutoHide || mode != BrowserWindowMode::window) {
        return std::nullopt;
    }
    if (collapsed && WindowGeometry::inUnfoldZone(pointer, contentWidth)) {
        return false;
    }
    if (!collapsed && WindowGeometry::inFoldZone(pointer)) {
        return true;
    }
    return std::nullopt;
}

}  // namespace velumo::FloatingWindowRules
