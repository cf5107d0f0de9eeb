#pragma once

#include <gtkmm/widget.h>

namespace velumo {

// Commands of a floating window's control bar; the window's controller
// answers them.
class BrowserToolbarDelegate {
  public:
    virtual ~BrowserToolbarDelegate() = default;

    virtual void toolbarGoBack() = 0;
    virtual void toolbarGoForward() = 0;
    virtual void toolbarReload() = 0;
    virtual void toolbarSetOpacity(double value) = 0;
    virtual void toolbarToggleAutoHide() = 0;
    virtual void toolbarToggleAlwaysOnTop() = 0;
    virtual void toolbarToggleMode() = 0;
    virtual void toolbarShowMore(Gtk::Widget& button) = 0;
    virtual void toolbarClose() = 0;
    virtual void toolbarRestoreWindowMode() = 0;
};

}  // namespace velumo
