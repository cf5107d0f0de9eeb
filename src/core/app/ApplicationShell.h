#pragma once

#include <string_view>

namespace velumo {

// The application's own pieces that its lifecycle creates and shows: the
// appearance, the workbench, the status icon and the settings window, and
// the end of the run. The desktop layer implements it with GTK; tests record
// the calls. Main thread only.
class ApplicationShell {
  public:
    virtual ~ApplicationShell() = default;

    // "system", "light" or "dark"; applied before any window exists.
    virtual void applyTheme(std::string_view preference) = 0;
    // Creates the workbench without showing it.
    virtual void createWorkbench() = 0;
    // Lays the workbench out without showing it, so that it shows sooner.
    virtual void prepareWorkbench() = 0;
    // Shows the workbench, if it exists, in front on the screen under the pointer.
    virtual void showWorkbench() = 0;
    // Creates the status icon and its menu, which stay for the whole run.
    virtual void createStatusItem() = 0;
    virtual void showSettings() = 0;
    // Ends the run; the termination steps follow.
    virtual void quit() = 0;
};

}  // namespace velumo
