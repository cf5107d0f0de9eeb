#include "workbench/WorkbenchWindowController.h"

#include <cmath>

#include "browser/ScreenLayout.h"
#include "browser/WindowGeometry.h"

namespace velumo {

WorkbenchWindowController::WorkbenchWindowController(WorkbenchViewController::Services services)
    : viewController_(std::move(services)) {
    window_.set_title("Velumo");
    window_.set_default_size(960, 680);
    window_.set_size_request(780, 560);
    window_.set_position(Gtk::WIN_POS_CENTER);
    window_.get_style_context()->add_class("velumo-canvas");
    window_.add(viewController_.view());
    window_.signal_delete_event().connect([this](GdkEventAny*) {
        window_.hide();
        return true;
    });
    // Return anywhere in the window opens the address, as the default button.
    viewController_.openButton().grab_default();
}

void WorkbenchWindowController::showWindow() {
    // Placed before it maps, so the window manager never shows it elsewhere first.
    moveToMouseScreen();
    window_.show();
    viewController_.reloadData();
    window_.present(gtk_get_current_event_time());
}

void WorkbenchWindowController::moveToMouseScreen() {
    const ScreenLayout layout = ScreenLayout::ofDisplay(window_);
    const auto screen =
        WindowGeometry::screenUnderPointer(layout.screens, ScreenLayout::pointer(), layout.primary);
    if (!screen) {
        return;
    }
    int width = 0;
    int height = 0;
    window_.get_size(width, height);
    // The window manager's frame counts, once there is one.
    int extraWidth = 0;
    int extraHeight = 0;
    if (const auto gdkWindow = window_.get_window()) {
        Gdk::Rectangle frame;
        gdkWindow->get_frame_extents(frame);
        extraWidth = std::max(0, frame.get_width() - gdkWindow->get_width());
        extraHeight = std::max(0, frame.get_height() - gdkWindow->get_height());
    }
    const Rect placed = WindowGeometry::centredOn(
        {0, 0, static_cast<double>(width + extraWidth), static_cast<double>(height + extraHeight)},
        layout.screens[*screen].workArea);
    window_.resize(static_cast<int>(std::lround(placed.width)) - extraWidth,
                   static_cast<int>(std::lround(placed.height)) - extraHeight);
    window_.move(static_cast<int>(std::lround(placed.x)), static_cast<int>(std::lround(placed.y)));
}

}  // namespace velumo
