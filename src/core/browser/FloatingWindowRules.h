#pragma once

#include <optional>

#include "browser/WindowGeometry.h"
#include "data/Models.h"

namespace velumo {

// The facts at the moment the pointer leaves a floating window.
struct PointerExit {
    bool autoHide = false;
    // A dialog attached to the window or its more-menu is open.
    bool suppressAutoHide = false;
    bool buttonPressed = false;
    bool liveResize = false;
    // Some modal window of the application is on screen.
    bool modalWindowOpen = false;
    bool pointerInsideFrame = false;
    // The pointer passes through the window: it leaves as the window turns
    // into a ghost, and a ghost must stay on screen.
    bool ghost = false;
};

namespace FloatingWindowRules {

// Auto-hide fires only when the person really left: not while dragging or
// resizing, not while a menu or dialog of the application is open, not when
// the pointer merely moved onto another part of the same window, and never
// from a ghost.
bool hidesOnPointerExit(const PointerExit& exit);

// The folded state of the control bar after the pointer moved to `pointer`
// (relative to the content's top-left corner); none when it stays as it is.
// Only a window-mode bar that folds away (`toolbarAutoHide`) ever changes.
std::optional<bool> toolbarCollapsedAfterPointerMove(bool toolbarAutoHide, BrowserWindowMode mode,
                                                     bool collapsed, Point pointer,
                                                     double contentWidth);

}  // namespace FloatingWindowRules
}  // namespace velumo
