#pragma once

#include <gtkmm/window.h>

#include "workbench/WorkbenchViewController.h"

namespace velumo {

// The home window: 960 x 680 (at least 780 x 560), titled "Velumo", on the
// canvas colour. Every show refreshes the content and centres the window on
// the work area of the monitor under the pointer, shrunk to fit; closing
// only hides it, so it keeps its content for the next show.
class WorkbenchWindowController {
  public:
    explicit WorkbenchWindowController(WorkbenchViewController::Services services);
    WorkbenchWindowController(const WorkbenchWindowController&) = delete;
    WorkbenchWindowController& operator=(const WorkbenchWindowController&) = delete;

    void showWindow();

    Gtk::Window& window() { return window_; }
    WorkbenchViewController& workbenchViewController() { return viewController_; }

  private:
    void moveToMouseScreen();

    Gtk::Window window_;
    WorkbenchViewController viewController_;
};

}  // namespace velumo
