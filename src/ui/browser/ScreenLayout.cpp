#include "browser/ScreenLayout.h"

#include <gdk/gdk.h>

namespace velumo {
namespace {

Rect rect(const GdkRectangle& r) {
    return {static_cast<double>(r.x), static_cast<double>(r.y), static_cast<double>(r.width),
            static_cast<double>(r.height)};
}

}  // namespace

ScreenLayout ScreenLayout::ofDisplay(const Gtk::Window& panel) {
    GdkDisplay* display = gdk_display_get_default();
    ScreenLayout layout;
    GdkMonitor* primary = gdk_display_get_primary_monitor(display);
    GdkWindow* window = gtk_widget_get_window(GTK_WIDGET(panel.gobj()));
    GdkMonitor* current =
        window != nullptr ? gdk_display_get_monitor_at_window(display, window) : nullptr;
    const int count = gdk_display_get_n_monitors(display);
    for (int i = 0; i < count; ++i) {
        GdkMonitor* monitor = gdk_display_get_monitor(display, i);
        GdkRectangle geometry;
        GdkRectangle workArea;
        gdk_monitor_get_geometry(monitor, &geometry);
        gdk_monitor_get_workarea(monitor, &workArea);
        layout.screens.push_back({rect(geometry), rect(workArea)});
        const auto index = static_cast<std::size_t>(i);
        if (monitor == primary) {
            layout.primary = index;
        }
        if (monitor == current) {
            layout.panelScreen = index;
        }
    }
    // X11 may name no primary monitor; the first one then stands for it.
    if (!layout.primary && !layout.screens.empty()) {
        layout.primary = 0;
    }
    return layout;
}

Point ScreenLayout::pointer() {
    GdkSeat* seat = gdk_display_get_default_seat(gdk_display_get_default());
    int x = 0;
    int y = 0;
    gdk_device_get_position(gdk_seat_get_pointer(seat), nullptr, &x, &y);
    return {static_cast<double>(x), static_cast<double>(y)};
}

}  // namespace velumo
