#pragma once

#include <vector>

#include <gtkmm/window.h>

namespace velumo {

// Owns the home window: made once at launch and only hidden afterwards, its
// close button included. Every show centres it on the screen under the
// pointer and brings it to the front. Main thread only.
class WorkbenchWindowController {
  public:
    WorkbenchWindowController();
    ~WorkbenchWindowController();
    WorkbenchWindowController(const WorkbenchWindowController&) = delete;
    WorkbenchWindowController& operator=(const WorkbenchWindowController&) = delete;

    void showWindow();
    Gtk::Window& window() { return window_; }

  private:
    void moveToMouseScreen();

    Gtk::Window window_;
    std::vector<sigc::connection> connections_;
};

}  // namespace velumo
