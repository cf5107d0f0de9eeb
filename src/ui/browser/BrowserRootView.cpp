#include "browser/BrowserRootView.h"

#include "browser/ScreenLayout.h"

namespace velumo {

BrowserRootView::BrowserRootView(Gtk::Window& panel) : panel_(panel) {
    panel.add_events(Gdk::LEAVE_NOTIFY_MASK);
    leave_ = panel.signal_leave_notify_event().connect(
        sigc::mem_fun(*this, &BrowserRootView::panelLeft), false);
}

BrowserRootView::~BrowserRootView() {
    leave_.disconnect();
}

bool BrowserRootView::panelLeft(GdkEventCrossing* event) {
    // Into a child window of the panel: the pointer is still on it. Grab
    // crossings come from the window manager's own move and resize.
    if (event->detail == GDK_NOTIFY_INFERIOR || event->mode != GDK_CROSSING_NORMAL) {
        return false;
    }
    const auto window = panel_.get_window();
    if (!onMouseExit_ || !window || !panel_.is_visible()) {
        return false;
    }
    Gdk::Rectangle frame;
    window->get_frame_extents(frame);
    const Rect panelFrame{static_cast<double>(frame.get_x()), static_cast<double>(frame.get_y()),
                          static_cast<double>(frame.get_width()),
                          static_cast<double>(frame.get_height())};
    if (!panelFrame.contains(ScreenLayout::pointer())) {
        onMouseExit_();
    }
    return false;
}

}  // namespace velumo
