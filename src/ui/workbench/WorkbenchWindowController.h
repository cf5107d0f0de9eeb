#pragma once

#include <vector>

#include <gtkmm/window.h>

#include "workbench/WorkbenchViewController.h"

namespace velumo {

// Owns the home window and its content, the workbench view: made once at
// launch and only hidden afterwards, its close button included. Every show
// refreshes the content, centres the window on the screen under the pointer
// and brings it to the front. Main thread only.
class WorkbenchWindowController {
  public:
    explicit WorkbenchWindowController(WorkbenchViewController::Services services);
    ~WorkbenchWindowController();
    WorkbenchWindowController(const WorkbenchWindowController&) = delete;
    WorkbenchWindowController& operator=(const WorkbenchWindowController&) = delete;

    void showWindow();
    // Styles and lays out the hidden window ahead of its first show, which
    // then only has to map and draw it.
    void prepare();
    Gtk::Window& window() { return window_; }
    WorkbenchViewController& workbenchViewController() { return viewController_; }

  private:
    void moveToMouseScreen();

    Gtk::Window window_;
    WorkbenchViewController viewController_;
    std::vector<sigc::connection> connections_;
    // Set by a show of the unmapped window, for its map.
    bool placeOnMap_ = false;
};

}  // namespace velumo
