#include "browser/WindowGeometry.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace velumo {

// Half-open, so a pointer on the edge shared by two side-by-side monitors
// belongs to one of them only.
bool Rect::contains(Point point) const {
    return point.x >= minX() && point.x < maxX() && point.y >= minY() && point.y < maxY();
}

namespace WindowGeometry {
namespace {

Size fitted(Rect frame, Rect workArea) {
    return {std::min(frame.width, workArea.width), std::min(frame.height, workArea.height)};
}

// round(value / step) x step, halves away from zero, kept within the range.
double snapped(double value, double stepsPerUnit, double minimum, double maximum) {
    return std::clamp(std::round(value * stepsPerUnit) / stepsPerUnit, minimum, maximum);
}

}  // namespace

std::optional<std::size_t> screenUnderPointer(const std::vector<Screen>& screens, Point pointer,
                                              std::optional<std::size_t> primary) {
    const auto found = std::ranges::find_if(
        screens, [pointer](const Screen& screen) { return screen.frame.contains(pointer); });
    if (found != screens.end()) {
        return static_cast<std::size_t>(found - screens.begin());
    }
    if (primary && *primary < screens.size()) {
        return primary;
    }
    return std::nullopt;
}

Rect centredOn(Rect frame, Rect workArea) {
    const Size size = fitted(frame, workArea);
    return {workArea.midX() - size.width / 2, workArea.midY() - size.height / 2, size.width,
            size.height};
}

// Clamping reads the same whichever way y grows, so this needs no conversion.
Rect constrained(Rect frame, Rect workArea) {
    const Size size = fitted(frame, workArea);
    return {std::min(std::max(frame.minX(), workArea.minX()), workArea.maxX() - size.width),
            std::min(std::max(frame.minY(), workArea.minY()), workArea.maxY() - size.height),
            size.width, size.height};
}

Rect restoredFrame(Rect frame, const std::vector<Screen>& screens,
                   std::optional<std::size_t> primary) {
    const auto screen = screenUnderPointer(screens, {frame.midX(), frame.midY()}, std::nullopt);
    if (screen) {
        return constrained(frame, screens[*screen].workArea);
    }
    if (primary && *primary < screens.size()) {
        return centredOn(frame, screens[*primary].workArea);
    }
    return frame;
}

// The pop-up sits at the bottom right: with y growing downwards its top is
// measured up from the work area's bottom edge.
Rect advertisementFrame(Rect workArea) {
    return {workArea.maxX() - advertisementSize.width - advertisementMargin,
            workArea.maxY() - advertisementSize.height - advertisementMargin,
            advertisementSize.width, advertisementSize.height};
}

double minimumWidth(BrowserWindowMode mode) {
    return minimumSize(mode).width;
}

Size minimumSize(BrowserWindowMode mode) {
    return mode == BrowserWindowMode::advertisement ? minimumAdvertisementSize
                                                    : minimumWindowModeSize;
}

double controlBarHeight(BrowserWindowMode mode, bool collapsed) {
    if (mode == BrowserWindowMode::advertisement) {
        return controlBarAdvertisementHeight;
    }
    return collapsed ? controlBarFoldedHeight : controlBarOpenHeight;
}

double webViewTop(BrowserWindowMode mode, bool toolbarAutoHide) {
    if (mode == BrowserWindowMode::advertisement) {
        return controlBarAdvertisementHeight;
    }
    return toolbarAutoHide ? 0 : controlBarOpenHeight;
}

bool inUnfoldZone(Point pointer, double contentWidth) {
    return pointer.y <= controlBarFoldedHeight && std::abs(pointer.x - contentWidth / 2) <= 36;
}

bool inFoldZone(Point pointer) {
    return pointer.y > controlBarOpenHeight;
}

// A value that is not a number leaves the window fully opaque rather than
// handing NaN to the window system.
double opacityFromSlider(double value) {
    if (!std::isfinite(value)) {
        return 1.0;
    }
    return snapped(value, 20, 0.1, 1.0);
}

double opacityFromMenuTag(int tag) {
    return opacityFromSlider(tag / 100.0);
}

double pageZoomFromSlider(double value) {
    if (!std::isfinite(value)) {
        return 1.0;
    }
    return snapped(value, 10, 0.3, 3.0);
}

std::optional<double> fitZoom(double viewport, double content) {
    if (viewport <= 0 || content <= 0) {
        return std::nullopt;
    }
    if (!std::isfinite(viewport) || !std::isfinite(content)) {
        return 1.0;
    }
    return std::clamp(viewport / content, 0.3, 1.0);
}

// Formatted from the rounded double, so no value can overflow an integer, and
// a negative zero reads "0%".
std::string percentText(double value) {
    char text[400];
    std::snprintf(text, sizeof text, "%.0f%%", std::round(value * 100) + 0.0);
    return text;
}

}  // namespace WindowGeometry
}  // namespace velumo
