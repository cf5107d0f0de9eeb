#pragma once

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <giomm/applicationcommandline.h>
#include <glib.h>
#include <gtkmm/application.h>

#include "app/ApplicationIdentity.h"
#include "app/ApplicationLifecycle.h"
#include "app/ApplicationShell.h"
#include "app/GtkApplicationPort.h"
#include "app/LaunchArguments.h"
#include "browser/GioDesktopLauncher.h"
#include "data/DataFileWatch.h"
#include "shell/HotKeyBackend.h"
#include "shell/HotKeyService.h"
#include "shell/MenuBarController.h"
#include "workbench/WorkbenchWindowController.h"

namespace velumo {

// The application on GTK: one instance per session under
// "com.orvantis.velumo". Starting it again while it runs shows the workbench
// there and ends the second process; `velumo ADDRESS` (or the desktop's Open
// of an address, when it starts the application over D-Bus) opens a floating
// window in the running instance. Its actions are exported on the session
// bus. It runs until its "quit" action (Ctrl+Q), SIGTERM or SIGINT; closing
// its last window does not end it. `--help` and `--version` answer without a
// display. The order of its steps is ApplicationLifecycle's; this class turns
// GTK's signals into them.
class ApplicationDelegate final : public ApplicationShell {
  public:
    ApplicationDelegate();
    ~ApplicationDelegate() override;
    ApplicationDelegate(const ApplicationDelegate&) = delete;
    ApplicationDelegate& operator=(const ApplicationDelegate&) = delete;

    // Runs the application; answers the process's exit status.
    int run(int argc, char** argv);

    // ApplicationShell
    void applyTheme(std::string_view preference) override;
    void createWorkbench() override;
    void prepareWorkbench() override;
    void showWorkbench() override;
    void createStatusItem() override;
    void showSettings() override;
    // Ends the run; the termination steps follow on shutdown.
    void quit() override;

  private:
    void addOptions();
    void startup();
    // The one place that decides what binds the hot keys in this session.
    void chooseHotKeyService();
    // The desktop portal cannot bind them after all.
    void fallBackToKeyGrabs();
    void addActions();
    int commandLine(const Glib::RefPtr<Gio::ApplicationCommandLine>& commandLine);
    // False when this process cannot run the application, having said why.
    bool canRunHere() const;
    static bool runsElsewhere();
    // Says what is missing when the display cannot be opened.
    static bool openDisplay();
    // Opens a floating window on what each text names. Refused texts get one
    // alert, whose texts are answered.
    std::optional<OpenRefusal> open(const std::vector<std::string>& texts);
    void shutdown();
    static gboolean quitOnSignal(gpointer self);
    static void writeWhenTheDisplayEnds();

    Glib::RefPtr<Gtk::Application> application_;
    // The command line's arguments after the program's name.
    std::vector<std::string> arguments_;
    GtkApplicationPort applicationPort_;
    GioDesktopLauncher launcher_{applicationPort_};
    HotKeyBackend hotKeyBackend_ = HotKeyBackend::keyGrabs;
    std::unique_ptr<HotKeyService> hotKeyService_;
    bool settingsShown_ = false;
    std::unique_ptr<WorkbenchWindowController> workbench_;
    // After the workbench, so it goes first: its menu may name the workbench.
    std::unique_ptr<MenuBarController> menuBarController_;
    // Made in the primary instance's startup only.
    std::unique_ptr<ApplicationLifecycle> lifecycle_;
    std::unique_ptr<DataFileWatch> dataFileWatch_;
    std::array<guint, 3> signalSources_{};
};

}  // namespace velumo
