#include "workbench/WorkbenchWindowController.h"

#include <cmath>

#include "browser/ScreenLayout.h"
#include "shell/ActivationTime.h"
#include "workbench/WorkbenchGeometry.h"

namespace velumo {

WorkbenchWindowController::WorkbenchWindowController(WorkbenchViewController::Services services)
    : viewController_(std::move(services)) {
    window_.set_title("Velumo");
    window_.set_default_size(static_cast<int>(WorkbenchGeometry::contentSize.width),
                             static_cast<int>(WorkbenchGeometry::contentSize.height));
    Gdk::Geometry geometry{};
    geometry.min_width = static_cast<int>(WorkbenchGeometry::minimumSize.width);
    geometry.min_height = static_cast<int>(WorkbenchGeometry::minimumSize.height);
    window_.set_geometry_hints(window_, geometry, Gdk::HINT_MIN_SIZE);
    window_.get_style_context()->add_class("velumo-canvas");
    window_.add(viewController_.view());
    // Return anywhere in the window opens the address, as the default button.
    viewController_.openButton().grab_default();
    connections_.push_back(window_.signal_delete_event().connect([this](GdkEventAny*) {
        window_.hide();
        return true;
    }));
    // The window manager's frame is known only once the window is on screen:
    // a show of the hidden window centres it without the frame, so it is
    // placed again when it maps. Other maps (a restore after minimising, a
    // return to its workspace) leave it where it is.
    connections_.push_back(window_.signal_map_event().connect([this](GdkEventAny*) {
        if (placeOnMap_) {
            placeOnMap_ = false;
            moveToMouseScreen();
        }
        return false;
    }));
}

WorkbenchWindowController::~WorkbenchWindowController() {
    for (auto& connection : connections_) {
        connection.disconnect();
    }
}

void WorkbenchWindowController::showWindow() {
    placeOnMap_ = !window_.get_mapped();
    moveToMouseScreen();
    window_.show();
    viewController_.reloadData();
    window_.present(ActivationTime::now());
}

void WorkbenchWindowController::prepare() {
    gtk_widget_realize(GTK_WIDGET(window_.gobj()));
}

void WorkbenchWindowController::moveToMouseScreen() {
    int width = 0;
    int height = 0;
    window_.get_size(width, height);
    Rect frame{0, 0, static_cast<double>(width), static_cast<double>(height)};
    if (const auto gdkWindow = window_.get_window(); gdkWindow && window_.get_mapped()) {
        Gdk::Rectangle extents;
        gdkWindow->get_frame_extents(extents);
        frame.width = extents.get_width();
        frame.height = extents.get_height();
    }
    const ScreenLayout layout = ScreenLayout::ofDisplay(window_);
    const auto target = WorkbenchGeometry::frameOnShow(frame, layout.screens,
                                                       ScreenLayout::pointer(), layout.primary);
    if (!target) {
        return;
    }
    // GTK places the frame's corner and sizes the content inside it.
    window_.move(static_cast<int>(std::lround(target->x)),
                 static_cast<int>(std::lround(target->y)));
    window_.resize(static_cast<int>(std::lround(target->width - (frame.width - width))),
                   static_cast<int>(std::lround(target->height - (frame.height - height))));
}

}  // namespace velumo
