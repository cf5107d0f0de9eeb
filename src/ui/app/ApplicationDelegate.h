#pragma once

#include <array>
#include <memory>
#include <string>
#include <string_view>

#include <giomm/applicationcommandline.h>
#include <glib.h>
#include <gtkmm/application.h>

#include "app/ApplicationLifecycle.h"
#include "app/ApplicationShell.h"
#include "app/GtkApplicationPort.h"
#include "browser/GioDesktopLauncher.h"
#include "shell/KeybinderHotKeyService.h"
#include "shell/MenuBarController.h"
#include "workbench/WorkbenchWindowController.h"

namespace velumo {

// The application on GTK: one instance per session under
// "com.orvantis.velumo". Starting it again while it runs shows the workbench
// there and ends the second process; `velumo ADDRESS` opens a floating window
// in the running instance. It runs until its "quit" action (Ctrl+Q), SIGTERM
// or SIGINT; closing its last window does not end it. The order of its steps
// is ApplicationLifecycle's; this class turns GTK's signals into them.
class ApplicationDelegate final : public ApplicationShell {
  public:
    static constexpr const char* applicationID = "com.orvantis.velumo";

    ApplicationDelegate();
    ~ApplicationDelegate() override;
    ApplicationDelegate(const ApplicationDelegate&) = delete;
    ApplicationDelegate& operator=(const ApplicationDelegate&) = delete;

    // Runs the application; answers the process's exit status.
    int run(int argc, char** argv);

    // ApplicationShell
    void applyTheme(std::string_view preference) override;
    void createWorkbench() override;
    void showWorkbench() override;
    void createStatusItem() override;

  private:
    void startup();
    void addActions();
    int commandLine(const Glib::RefPtr<Gio::ApplicationCommandLine>& commandLine);
    // Opens a floating window on what `text` names; false when it is refused.
    bool open(const std::string& text);
    // Ends the run; the termination steps follow on shutdown.
    void quit();
    void shutdown();
    static gboolean quitOnSignal(gpointer self);

    Glib::RefPtr<Gtk::Application> application_;
    GtkApplicationPort applicationPort_;
    GioDesktopLauncher launcher_;
    std::unique_ptr<KeybinderHotKeyService> hotKeyService_;
    std::unique_ptr<WorkbenchWindowController> workbench_;
    // After the workbench, so it goes first: its menu may name the workbench.
    std::unique_ptr<MenuBarController> menuBarController_;
    std::unique_ptr<ApplicationLifecycle> lifecycle_;
    std::array<guint, 2> signalSources_{};
};

}  // namespace velumo
