#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "data/Models.h"

namespace velumo {

// Coordinates are GDK's: origin at the top-left corner, y growing downwards,
// in logical pixels (the points of the original design).
struct Point {
    double x = 0;
    double y = 0;
    bool operator==(const Point&) const = default;
};

struct Size {
    double width = 0;
    double height = 0;
    bool operator==(const Size&) const = default;
};

struct Rect {
    double x = 0;
    double y = 0;
    double width = 0;
    double height = 0;

    double minX() const { return x; }
    double minY() const { return y; }
    double maxX() const { return x + width; }
    double maxY() const { return y + height; }
    double midX() const { return x + width / 2; }
    double midY() const { return y + height / 2; }
    bool contains(Point point) const;
    bool operator==(const Rect&) const = default;
};

// A monitor as the window rules see it: its whole area and its work area
// (without panels and docks).
struct Screen {
    Rect frame;
    Rect workArea;
    bool operator==(const Screen&) const = default;
};

// Every layout rule and number of the floating windows, as pure functions.
namespace WindowGeometry {

inline constexpr Size initialPanelSize{760, 520};
inline constexpr Size minimumWindowModeSize{420, 260};
inline constexpr Size minimumAdvertisementSize{320, 220};
inline constexpr Size advertisementSize{480, 320};
inline constexpr double advertisementMargin = 16;

inline constexpr double controlBarOpenHeight = 42;
inline constexpr double controlBarFoldedHeight = 10;
inline constexpr double controlBarAdvertisementHeight = 30;

// The first screen whose frame contains the point, else the primary screen,
// else none. Returns an index into `screens`.
std::optional<std::size_t> screenUnderPointer(const std::vector<Screen>& screens, Point pointer,
                                              std::optional<std::size_t> primary);

// `frame` centred on `workArea`, shrunk to fit where it is larger.
Rect centredOn(Rect frame, Rect workArea);

// `frame` shrunk to fit `workArea` and slid fully onto it.
Rect constrained(Rect frame, Rect workArea);

// Where a window saved at `frame` comes back: on the screen that holds the
// frame's centre, fitted to its work area; else centred on the primary
// screen's; as saved when there is no screen at all.
Rect restoredFrame(Rect frame, const std::vector<Screen>& screens,
                   std::optional<std::size_t> primary);

// The corner pop-up: 480 x 320, 16 from the right and bottom of the work area.
Rect advertisementFrame(Rect workArea);

double minimumWidth(BrowserWindowMode mode);
Size minimumSize(BrowserWindowMode mode);

// Control-bar height: 30 in advertisement mode; in window mode 10 while folded
// and 42 while open.
double controlBarHeight(BrowserWindowMode mode, bool collapsed);

// Distance from the content top to the web view: 30 in advertisement mode; in
// window mode 0 when the bar folds away (it then lies over the page), else 42.
double webViewTop(BrowserWindowMode mode, bool toolbarAutoHide);

// Folding zones of the control bar, with `pointer` relative to the content's
// top-left corner and `contentWidth` the content's width.
bool inUnfoldZone(Point pointer, double contentWidth);
bool inFoldZone(Point pointer);

// Opacity in steps of 0.05 within 0.1 ... 1.0, from the slider or from a
// menu tag (10, 20, ..., 100).
double opacityFromSlider(double value);
double opacityFromMenuTag(int tag);

// Page zoom in tenths within 0.3 ... 3.0; 1.0 when `value` is not finite.
double pageZoomFromSlider(double value);

// The zoom that fits `content` into `viewport`: never above 1.0 nor below 0.3;
// 1.0 when a number is not finite; none when either is not positive.
std::optional<double> fitZoom(double viewport, double content);

// round(value x 100), halves away from zero, followed by "%".
std::string percentText(double value);

}  // namespace WindowGeometry
}  // namespace velumo
