#include "app/ApplicationDelegate.h"

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <vector>

#include <glib-unix.h>
#include <glibmm/miscutils.h>
#include <gtkmm/main.h>

#include "MainQueue.h"
#include "app/LaunchArguments.h"
#include "browser/BrowserWindowManager.h"
#include "browser/ScreenLayout.h"
#include "browser/StateStore.h"
#include "browser/WebEngine.h"
#include "data/AppDataStore.h"
#include "data/DataFileWatch.h"
#include "design/NativeDesignSystem.h"
#include "shell/GlobalHotKeyManager.h"
#include "shell/KeyGrabHotKeyService.h"
#include "shell/PortalHotKeyService.h"
#include "shell/SettingsWindowController.h"

// After every other header: Xlib's macros clash with theirs.
#include <gdk/gdkx.h>

namespace velumo {

namespace {

// gtkmm's own constructor opens the display at once; GTK's application opens
// it in its startup, after --help and --version have been answered.
Glib::RefPtr<Gtk::Application> makeApplication() {
    Gtk::Main::init_gtkmm_internals();
    return Glib::wrap(
        gtk_application_new(std::string(ApplicationIdentity::id).c_str(),
                            static_cast<GApplicationFlags>(G_APPLICATION_HANDLES_COMMAND_LINE |
                                                           G_APPLICATION_HANDLES_OPEN)));
}

}  // namespace

ApplicationDelegate::ApplicationDelegate() : application_(makeApplication()) {
    addOptions();
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
    // A desktop that starts the application over D-Bus hands it addresses
    // this way rather than as a command line.
    application_->signal_open().connect(
        [this](const Gio::Application::type_vec_files& files, const Glib::ustring&) {
            std::vector<std::string> uris;
            for (const auto& file : files) {
                uris.push_back(file->get_uri());
            }
            open(uris);
        });
    application_->signal_shutdown().connect([this] { shutdown(); });
}

ApplicationDelegate::~ApplicationDelegate() {
    for (const guint source : signalSources_) {
        if (source != 0) {
            g_source_remove(source);
        }
    }
    // The process-wide services outlive this object: they let go of what it
    // owns. Only the primary instance made them: in any other (a second
    // start, --version, --help) the window manager would make the data store
    // on the way, which reads, cleans and writes the primary's data folder.
    if (!lifecycle_) {
        return;
    }
    GlobalHotKeyManager::shared().setService(nullptr);
    BrowserWindowManager::shared().setStateStore(nullptr);
    BrowserWindowManager::shared().setApplicationPort(nullptr);
    BrowserWindowManager::shared().setWindowFactory(nullptr);
}

int ApplicationDelegate::run(int argc, char** argv) {
    arguments_.assign(argv + std::min(argc, 1), argv + argc);
    // GApplication's own run: gtkmm's would open the display first.
    return application_->Gio::Application::run(argc, argv);
}

void ApplicationDelegate::addOptions() {
    GApplication* application = G_APPLICATION(application_->gobj());
    g_application_set_option_context_parameter_string(application, "[网址…]");
    g_application_set_option_context_summary(
        application, "让网页小窗浮在其他窗口之上。给出网址时，在浮窗中打开它。");
    g_application_add_main_option(application, "new-window", 0, G_OPTION_FLAG_NONE,
                                  G_OPTION_ARG_NONE, "新建浮窗", nullptr);
    g_application_add_main_option(application, "version", 0, G_OPTION_FLAG_NONE, G_OPTION_ARG_NONE,
                                  "显示版本后退出", nullptr);
    application_->signal_handle_local_options().connect(
        [this](const Glib::RefPtr<Glib::VariantDict>& options) {
            if (options->contains("version")) {
                std::printf("Velumo %s\n", std::string(ApplicationIdentity::version).c_str());
                return EXIT_SUCCESS;
            }
            return canRunHere() ? -1 : EXIT_FAILURE;
        },
        false);
}

// A process that hands its command line to the running instance needs no
// display; the first one does. Started with a window to open or to bring
// back, it loads the web engine meanwhile.
bool ApplicationDelegate::canRunHere() const {
    if (runsElsewhere()) {
        return true;
    }
    if (!openDisplay()) {
        return false;
    }
    if (LaunchArguments::opensWindow(arguments_) ||
        StateStore::bringsBackAShownWindow(StateStore::defaultPath())) {
        WebEngine::preload(WebEngine::modulePath());
    }
    return true;
}

// Says what is missing where GTK would only print "cannot open display".
bool ApplicationDelegate::openDisplay() {
    if (gtk_init_check(nullptr, nullptr) == TRUE) {
        return true;
    }
    const char* display = g_getenv("DISPLAY");
    std::fputs(LaunchArguments::missingDisplay(display != nullptr ? display : "").c_str(), stderr);
    return false;
}

// Asked before registering: registering as the first instance would start
// the application, display and all.
bool ApplicationDelegate::runsElsewhere() {
    GDBusConnection* bus = g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, nullptr);
    if (bus == nullptr) {
        return false;
    }
    GVariant* reply = g_dbus_connection_call_sync(
        bus, "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
        "NameHasOwner", g_variant_new("(s)", std::string(ApplicationIdentity::id).c_str()),
        G_VARIANT_TYPE("(b)"), G_DBUS_CALL_FLAGS_NONE, -1, nullptr, nullptr);
    gboolean owned = FALSE;
    if (reply != nullptr) {
        g_variant_get(reply, "(b)", &owned);
        g_variant_unref(reply);
    }
    g_object_unref(bus);
    return owned == TRUE;
}

void ApplicationDelegate::startup() {
    // Closing the last window never ends the application.
    application_->hold();
    Gtk::Window::set_default_icon_name(std::string(ApplicationIdentity::id));
    auto& windows = BrowserWindowManager::shared();
    windows.setApplicationPort(&applicationPort_);
    // Neither the web engine nor a web process is there before the first
    // floating window.
    windows.setWindowFactory(
        WebEngine::loadingFactory({AppDataStore::shared(), launcher_, &ScreenLayout::ofDisplay},
                                  applicationPort_, WebEngine::modulePath()));
    windows.setStateStore(&StateStore::shared());
    chooseHotKeyService();
    GlobalHotKeyManager::shared().setService(hotKeyService_.get());
    signalSources_ = {g_unix_signal_add(SIGTERM, &ApplicationDelegate::quitOnSignal, this),
                      g_unix_signal_add(SIGINT, &ApplicationDelegate::quitOnSignal, this),
                      g_unix_signal_add(SIGHUP, &ApplicationDelegate::quitOnSignal, this)};
    writeWhenTheDisplayEnds();
    lifecycle_ = std::make_unique<ApplicationLifecycle>(ApplicationLifecycle::Services{
        *this, applicationPort_, AppDataStore::shared(), windows, GlobalHotKeyManager::shared()});
    dataFileWatch_ = std::make_unique<DataFileWatch>(AppDataStore::shared());
    addActions();
    lifecycle_->applicationDidFinishLaunching();
}

// On X11 key grabs see every key. On Wayland they see only keys sent to our
// own (XWayland) windows, so the desktop binds them through its portal; where
// it cannot make a session for that, the grabs stay and the settings window
// says how to bind a desktop shortcut to the actions instead. Nothing waits
// for the portal to answer.
void ApplicationDelegate::chooseHotKeyService() {
    const bool wayland = HotKeyBackends::waylandSession(Glib::getenv("XDG_SESSION_TYPE"),
                                                        Glib::getenv("WAYLAND_DISPLAY"));
    hotKeyBackend_ = HotKeyBackends::choose(wayland, wayland);
    if (hotKeyBackend_ == HotKeyBackend::portal) {
        // After the service's own call, which the switch ends.
        hotKeyService_ = std::make_unique<PortalHotKeyService>(
            [this] { MainQueue::async([this] { fallBackToKeyGrabs(); }); });
    } else {
        hotKeyService_ = std::make_unique<KeyGrabHotKeyService>();
    }
}

void ApplicationDelegate::fallBackToKeyGrabs() {
    hotKeyBackend_ = HotKeyBackends::choose(true, false);
    auto grabs = std::make_unique<KeyGrabHotKeyService>();
    GlobalHotKeyManager::shared().setService(grabs.get());
    hotKeyService_ = std::move(grabs);
    lifecycle_->registerHotKeys();
    if (settingsShown_) {
        SettingsWindowController::shared().setHotKeyBackend(hotKeyBackend_);
    }
}

// The actions are exported on the session bus too, so `gapplication action
// com.orvantis.velumo quit` ends the application as Ctrl+Q does. A floating
// window handles its own Ctrl+N before GTK looks at these accelerators, so the
// key never opens two windows.
void ApplicationDelegate::addActions() {
    for (const auto& action : lifecycle_->actions()) {
        const std::string name(action.name);
        application_->add_action(name, action.run);
        if (!action.accelerator.empty()) {
            application_->set_accels_for_action("app." + name,
                                                {Glib::ustring(std::string(action.accelerator))});
        }
    }
}

int ApplicationDelegate::commandLine(const Glib::RefPtr<Gio::ApplicationCommandLine>& line) {
    const bool newWindow = line->get_options_dict()->contains("new-window");
    int count = 0;
    char** arguments = line->get_arguments(count);
    const std::vector<std::string> texts(arguments + std::min(count, 1), arguments + count);
    g_strfreev(arguments);
    if (newWindow) {
        application_->activate_action("new-window");
    }
    if (texts.empty()) {
        // The first start has shown everything through its launch steps.
        if (line->is_remote() && !newWindow) {
            lifecycle_->applicationShouldHandleReopen();
        }
        return EXIT_SUCCESS;
    }
    const auto refused = open(texts);
    if (!refused) {
        return EXIT_SUCCESS;
    }
    // The caller learns why at once; nobody waits for the alert.
    line->printerr(refused->message + "：" + refused->informative + "\n");
    // Only a second process ends here; the first one's status is the run's.
    return line->is_remote() ? EXIT_FAILURE : EXIT_SUCCESS;
}

std::optional<OpenRefusal> ApplicationDelegate::open(const std::vector<std::string>& texts) {
    auto& windows = BrowserWindowManager::shared();
    const SearchEngine engine = AppDataStore::shared().snapshot().settings.searchEngine;
    std::vector<OpenRefusal> refusals;
    for (const auto& text : texts) {
        const auto address = LaunchArguments::addressToOpen(text, engine);
        if (!address) {
            refusals.push_back(address.error());
        } else if (windows.isFull()) {
            refusals.push_back({std::string(BrowserWindowManager::limitMessage),
                                std::string(BrowserWindowManager::limitInformative)});
        } else {
            windows.createWindow(*address, BrowserWindowMode::window);
        }
    }
    if (refusals.empty()) {
        return std::nullopt;
    }
    OpenRefusal alert = LaunchArguments::alertFor(refusals);
    applicationPort_.showAlert(alert.message, alert.informative);
    return alert;
}

void ApplicationDelegate::shutdown() {
    dataFileWatch_.reset();
    if (lifecycle_) {
        lifecycle_->applicationWillTerminate();
    }
    // The status item goes while GTK still runs, which its library expects.
    menuBarController_.reset();
}

void ApplicationDelegate::quit() {
    // A question runs a main loop of its own, which quitting the application
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

namespace {

XIOErrorHandler toolkitDisplayLost = nullptr;

int writeBeforeLeaving(Display* display) {
    [[maybe_unused]] const auto written = AppDataStore::shared().flush();
    StateStore::shared().flush();
    return toolkitDisplayLost(display);
}

}  // namespace

// The X server ends with the session, often before any signal comes, and GDK
// then ends the process at once: the visits and window states still gathered
// are written first.
void ApplicationDelegate::writeWhenTheDisplayEnds() {
    if (GDK_IS_X11_DISPLAY(gdk_display_get_default()) && toolkitDisplayLost == nullptr) {
        toolkitDisplayLost = XSetIOErrorHandler(&writeBeforeLeaving);
    }
}

gboolean ApplicationDelegate::quitOnSignal(gpointer self) {
    static_cast<ApplicationDelegate*>(self)->quit();
    return G_SOURCE_CONTINUE;
}

void ApplicationDelegate::applyTheme(std::string_view preference) {
    applyNativeTheme(preference);
}

void ApplicationDelegate::createWorkbench() {
    workbench_ =
        std::make_unique<WorkbenchWindowController>(WorkbenchViewController::sharedServices(
            launcher_, [this] { application_->activate_action("settings"); }));
    // With GTK's own call: gtkmm's would drop the window from the application
    // whenever it is hidden, and with it the application's accelerators.
    gtk_application_add_window(application_->gobj(), workbench_->window().gobj());
}

void ApplicationDelegate::prepareWorkbench() {
    if (workbench_) {
        workbench_->prepare();
    }
}

void ApplicationDelegate::showWorkbench() {
    if (workbench_) {
        workbench_->showWindow();
    }
}

void ApplicationDelegate::showSettings() {
    auto& settings = SettingsWindowController::shared();
    // Its window takes the application's accelerators too (GTK adds it once).
    gtk_application_add_window(application_->gobj(), settings.window().gobj());
    settings.setHotKeyBackend(hotKeyBackend_);
    settingsShown_ = true;
    settings.show();
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
