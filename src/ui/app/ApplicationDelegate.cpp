#include "app/ApplicationDelegate.h"

#include <algorithm>
#include <csignal>
#include <optional>
#include <vector>

#include <glib-unix.h>

#include "MainQueue.h"
#include "app/LaunchArguments.h"
#include "browser/BrowserWindowController.h"
#include "browser/BrowserWindowManager.h"
#include "browser/ScreenLayout.h"
#include "browser/WebSession.h"
#include "data/AppDataStore.h"
#include "design/NativeDesignSystem.h"
#include "shell/GlobalHotKeyManager.h"
#include "shell/SettingsWindowController.h"

namespace velumo {

ApplicationDelegate::ApplicationDelegate()
    : application_(Gtk::Application::create(applicationID, Gio::APPLICATION_HANDLES_COMMAND_LINE)) {
    // Only the first process of a session runs these; a second one hands its
    // command line over and ends.
    application_->signal_startup().connect([this] { startup(); });
    application_->signal_command_line().connect(
        [this](const Glib::RefPtr<Gio::ApplicationCommandLine>& line) { return commandLine(line); },
        false);
    // The desktop activating the running application, as a second start does.
    application_->signal_activate().connect([this] {
        if (lifecycle_) {
            lifecycle_->applicationShouldHandleReopen();
        }
    });
    application_->signal_shutdown().connect([this] { shutdown(); });
}

ApplicationDelegate::~ApplicationDelegate() {
    for (const guint source : signalSources_) {
        if (source != 0) {
            g_source_remove(source);
        }
    }
    // The process-wide services outlive this object: they let go of what it owns.
    GlobalHotKeyManager::shared().setService(nullptr);
    BrowserWindowManager::shared().setApplicationPort(nullptr);
    BrowserWindowManager::shared().setWindowFactory(nullptr);
}

int ApplicationDelegate::run(int argc, char** argv) {
    return application_->run(argc, argv);
}

void ApplicationDelegate::startup() {
    // Closing the last window never ends the application.
    application_->hold();
    auto& windows = BrowserWindowManager::shared();
    windows.setApplicationPort(&applicationPort_);
    windows.setWindowFactory(BrowserWindowController::factory(
        AppDataStore::shared(), launcher_, &WebSession::shared, &ScreenLayout::ofDisplay));
    hotKeyService_ = std::make_unique<KeybinderHotKeyService>();
    GlobalHotKeyManager::shared().setService(hotKeyService_.get());
    addActions();
    signalSources_ = {g_unix_signal_add(SIGTERM, &ApplicationDelegate::quitOnSignal, this),
                      g_unix_signal_add(SIGINT, &ApplicationDelegate::quitOnSignal, this)};
    lifecycle_ = std::make_unique<ApplicationLifecycle>(ApplicationLifecycle::Services{
        *this, applicationPort_, AppDataStore::shared(), windows, GlobalHotKeyManager::shared()});
    lifecycle_->applicationDidFinishLaunching();
}

// The actions are exported on the session bus too, so `gapplication action
// com.orvantis.velumo quit` ends the application as Ctrl+Q does. A floating
// window handles its own Ctrl+N before GTK looks at these accelerators, so the
// key never opens two windows.
void ApplicationDelegate::addActions() {
    application_->add_action("new-window", [] {
        BrowserWindowManager::shared().createWindow(std::nullopt, BrowserWindowMode::window);
    });
    application_->add_action("show-workbench",
                             [this] { lifecycle_->applicationShouldHandleReopen(); });
    application_->add_action("settings", [this] {
        auto& settings = SettingsWindowController::shared();
        // Its window takes the application's accelerators too (GTK adds it once).
        gtk_application_add_window(application_->gobj(), settings.window().gobj());
        settings.show();
    });
    application_->add_action("quit", [this] { quit(); });
    application_->set_accels_for_action("app.new-window", {"<Primary>n"});
    application_->set_accels_for_action("app.settings", {"<Primary>comma"});
    application_->set_accels_for_action("app.quit", {"<Primary>q"});
}

int ApplicationDelegate::commandLine(const Glib::RefPtr<Gio::ApplicationCommandLine>& line) {
    int count = 0;
    char** arguments = line->get_arguments(count);
    const std::vector<std::string> texts(arguments + std::min(count, 1), arguments + count);
    g_strfreev(arguments);
    if (texts.empty()) {
        // The first start has shown everything through its launch steps.
        if (line->is_remote()) {
            lifecycle_->applicationShouldHandleReopen();
        }
        return EXIT_SUCCESS;
    }
    bool refused = false;
    for (const auto& text : texts) {
        refused = !open(text) || refused;
    }
    // Only a second process ends here; the first one's status is the run's.
    return refused && line->is_remote() ? EXIT_FAILURE : EXIT_SUCCESS;
}

bool ApplicationDelegate::open(const std::string& text) {
    const auto address = LaunchArguments::addressToOpen(
        text, AppDataStore::shared().snapshot().settings.searchEngine);
    if (!address) {
        // After the handler returns, so the process that asked is not kept
        // waiting for the alert.
        MainQueue::async([this, refusal = address.error()] {
            applicationPort_.runAlert(refusal.message, refusal.informative, {});
        });
        return false;
    }
    BrowserWindowManager::shared().createWindow(*address, BrowserWindowMode::window);
    return true;
}

void ApplicationDelegate::shutdown() {
    if (lifecycle_) {
        lifecycle_->applicationWillTerminate();
    }
    // The status item goes while GTK still runs, which its library expects.
    menuBarController_.reset();
}

void ApplicationDelegate::quit() {
    // An alert runs a main loop of its own, which quitting the application
    // does not end: open dialogs are answered as closed (their cancel) first.
    // An answer may destroy other windows, so each is held meanwhile.
    GList* toplevels = gtk_window_list_toplevels();
    for (GList* entry = toplevels; entry != nullptr; entry = entry->next) {
        g_object_ref(entry->data);
    }
    for (GList* entry = toplevels; entry != nullptr; entry = entry->next) {
        if (GTK_IS_DIALOG(entry->data) && gtk_widget_get_visible(GTK_WIDGET(entry->data))) {
            gtk_dialog_response(GTK_DIALOG(entry->data), GTK_RESPONSE_DELETE_EVENT);
        }
    }
    g_list_free_full(toplevels, g_object_unref);
    application_->quit();
}

gboolean ApplicationDelegate::quitOnSignal(gpointer self) {
    static_cast<ApplicationDelegate*>(self)->quit();
    return G_SOURCE_CONTINUE;
}

void ApplicationDelegate::applyTheme(std::string_view preference) {
    applyNativeTheme(preference);
}

void ApplicationDelegate::createWorkbench() {
    workbench_ = std::make_unique<WorkbenchWindowController>();
    // With GTK's own call: gtkmm's would drop the window from the application
    // whenever it is hidden, and with it the application's accelerators.
    gtk_application_add_window(application_->gobj(), workbench_->window().gobj());
}

void ApplicationDelegate::showWorkbench() {
    if (workbench_) {
        workbench_->showWindow();
    }
}

void ApplicationDelegate::createStatusItem() {
    // The menu's commands go through the application's actions, so "退出Velumo"
    // answers open dialogs and runs the termination steps as Ctrl+Q does.
    const auto activate = [this](const char* action) {
        return [this, action] { application_->activate_action(action); };
    };
    menuBarController_ = std::make_unique<MenuBarController>(
        BrowserWindowManager::shared(), AppDataStore::shared(),
        MenuBarController::Commands{.showWorkbench = activate("show-workbench"),
                                    .showSettings = activate("settings"),
                                    .quit = activate("quit")});
}

}  // namespace velumo
