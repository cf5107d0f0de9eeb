#pragma once

#include <array>
#include <functional>
#include <memory>
#include <vector>

#include <gtkmm/dialog.h>
#include <gtkmm/eventbox.h>
#include <gtkmm/overlay.h>
#include <gtkmm/window.h>
#include <gtkmm/windowgroup.h>

#include "browser/WindowGeometry.h"

namespace velumo {

// The borderless window of a floating page. It has no frame of the window
// manager, so it brings its own resize edges: thin strips along its sides and
// corners that start the window manager's resize. Each panel is a window
// group of its own, so its dialogs (sheets) block only this panel.
class FloatingPanel : public Gtk::Window {
  public:
    FloatingPanel();
    ~FloatingPanel() override;

    void setContent(Gtk::Widget& content);
    void setMinimumSize(Size size);

    // The window's frame in root coordinates (logical pixels).
    Rect frame() const;
    void setFrame(Rect frame);

    // True from the start of a resize from one of the edges until the button
    // that started it is released, which ends the window manager's resize.
    bool inLiveResize() const;

    Glib::RefPtr<Gtk::WindowGroup> windowGroup() const { return group_; }

    // Above other windows or at the normal level; the panel's dialogs follow.
    void setAlwaysOnTop(bool on);

    // Shows `dialog` over the panel, modal within the panel's window group;
    // `completion` gets the first response. The panel keeps the dialog until
    // then.
    void showSheet(std::unique_ptr<Gtk::Dialog> dialog, std::function<void(int)> completion);
    bool hasVisibleSheet() const;
    // Destroys every dialog unanswered (no completion runs) and refuses later
    // ones: the panel is closing.
    void closeSheets();

  private:
    class ResizeEdge;

    void forgetSheet(Gtk::Dialog* sheet);

    Glib::RefPtr<Gtk::WindowGroup> group_;
    Gtk::Overlay layers_;
    std::array<std::unique_ptr<ResizeEdge>, 8> edges_;
    // Cleared the first time it is read after the button went up.
    mutable bool liveResize_ = false;
    bool alwaysOnTop_ = false;
    bool sheetsClosed_ = false;
    std::vector<std::unique_ptr<Gtk::Dialog>> sheets_;
};

}  // namespace velumo
