#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <vector>

#include <gtkmm/window.h>

#include "browser/WindowGeometry.h"

namespace velumo {

// The monitors as the window rules see them, and where a panel is.
struct ScreenLayout {
    std::vector<Screen> screens;
    std::optional<std::size_t> primary;
    // The monitor the panel is on; none before it has one.
    std::optional<std::size_t> panelScreen;

    // The display's monitors (geometry and work area, in logical pixels).
    static ScreenLayout ofDisplay(const Gtk::Window& panel);
    // The pointer's position in root coordinates.
    static Point pointer();
};

// Where controllers read the screens from; tests give made-up monitors.
using ScreenLayoutProvider = std::function<ScreenLayout(const Gtk::Window& panel)>;

}  // namespace velumo
