#include "shell/MenuBarController.h"

#include <chrono>
#include <optional>
#include <ranges>

#include <gtkmm/checkmenuitem.h>
#include <gtkmm/separatormenuitem.h>

#include "MainQueue.h"
#include "browser/BrowserWindowManager.h"
#include "data/AppDataStore.h"
#include "design/AppIconTheme.h"
#include "design/SymbolIcons.h"
#include "shell/StatusMenuRules.h"

namespace velumo {
namespace {

// The name panels host status items under.
constexpr const char* statusNotifierWatcher = "org.kde.StatusNotifierWatcher";
// How long a panel may take to take the item before it is made anew.
constexpr std::chrono::seconds registrationGrace{3};

// A window's entry. Its check shows whether the window is visible, so
// choosing it shows the window without flipping the check on its own.
class WindowEntry : public Gtk::CheckMenuItem {
  public:
    WindowEntry(const std::string& title, bool visible) : Gtk::CheckMenuItem(title) {
        // GTK sets the check by activating the entry.
        settingCheck_ = true;
        set_active(visible);
        settingCheck_ = false;
    }

  private:
    void on_activate() override {
        if (settingCheck_) {
            Gtk::CheckMenuItem::on_activate();
        }
    }

    bool settingCheck_ = false;
};

}  // namespace

MenuBarController::MenuBarController(BrowserWindowManager& manager, AppDataStore& store,
                                     Commands commands)
    : manager_(manager),
      store_(store),
      commands_(std::move(commands)),
      keyHints_(Gtk::AccelGroup::create()),
      lifetime_(std::make_shared<MenuBarController*>(this)) {
    menu_.set_accel_group(keyHints_);
    // The tray fallback places its menu before the menu's window has taken
    // the size of entries changed since it last showed: placed again once
    // shown, a menu that grew stays on the screen.
    menu_.signal_map().connect([this] { menu_.reposition(); }, true);
    // The library exports the item only once it has a menu and an icon.
    rebuildMenu();
    // Where no panel hosts items, the library's tray fallback looks for the
    // item's icon folder in GTK's search path and, when it is missing, reads
    // past the end of the list; with the folder already there it stops at it.
    AppIconTheme::install();
    makeIndicator();
    watcherWatch_ =
        g_bus_watch_name(G_BUS_TYPE_SESSION, statusNotifierWatcher, G_BUS_NAME_WATCHER_FLAGS_NONE,
                         &watcherAppeared, &watcherVanished, this, nullptr);

    auto& center = NotificationCenter::defaultCenter();
    observers_.push_back(
        center.addObserver(std::string(browserWindowsDidChange), nullptr, [this](const auto&) {
            refreshIcon();
            rebuildMenu();
        }));
    observers_.push_back(center.addObserver(std::string(appDataDidChange), &store_,
                                            [this](const auto&) { refreshIcon(); }));
}

MenuBarController::~MenuBarController() {
    observers_.clear();
    MainQueue::cancel(registrationCheck_);
    g_bus_unwatch_name(watcherWatch_);
    dropIndicator();
}

void MenuBarController::makeIndicator() {
    // Panels look the icon up themselves, in the folder the item names.
    const std::string& themeFolder = AppIconTheme::folder();
    // An item made anew takes a name of its own: the one it replaces may
    // live on in the library, still holding its objects on the bus.
    const std::string id =
        indicatorsMade_++ == 0 ? "velumo" : "velumo-" + std::to_string(indicatorsMade_);
    indicator_ = app_indicator_new_with_path(
        id.c_str(), std::string(SymbolIcons::iconName("eye.circle")).c_str(),
        APP_INDICATOR_CATEGORY_APPLICATION_STATUS,
        themeFolder.empty() ? nullptr : themeFolder.c_str());
    g_signal_connect(indicator_, "connection-changed", G_CALLBACK(&connectionChanged), this);
    app_indicator_set_menu(indicator_, menu_.gobj());
    refreshIcon();
}

void MenuBarController::dropIndicator() {
    g_signal_handlers_disconnect_by_data(indicator_, this);
    // The library warns about an item that goes while it is still shown.
    app_indicator_set_status(indicator_, APP_INDICATOR_STATUS_PASSIVE);
    g_object_unref(indicator_);
    indicator_ = nullptr;
    registered_ = false;
}

void MenuBarController::connectionChanged(AppIndicator*, gboolean connected, gpointer self) {
    auto* controller = static_cast<MenuBarController*>(self);
    controller->registered_ = connected != FALSE;
    if (controller->registered_) {
        MainQueue::cancel(controller->registrationCheck_);
    }
}

// The library asks for the watcher's proxy as soon as the watcher's name
// shows, with its own bus connection that may still be on its way; losing
// that race leaves the item unregistered for good, with no icon and no
// tray fallback. A panel answers within a moment: an item it has not taken
// by then is made anew, once for each time the watcher appears.
void MenuBarController::watcherAppeared(GDBusConnection*, const gchar*, const gchar*,
                                        gpointer self) {
    auto* controller = static_cast<MenuBarController*>(self);
    MainQueue::cancel(controller->registrationCheck_);
    controller->registrationCheck_ = MainQueue::asyncAfter(registrationGrace, [controller] {
        controller->registrationCheck_ = 0;
        if (!controller->registered_) {
            controller->dropIndicator();
            controller->makeIndicator();
        }
    });
}

void MenuBarController::watcherVanished(GDBusConnection*, const gchar*, gpointer self) {
    auto* controller = static_cast<MenuBarController*>(self);
    MainQueue::cancel(controller->registrationCheck_);
}

void MenuBarController::refreshIcon() {
    const auto& windows = manager_.windows();
    const auto symbol =
        StatusMenuRules::statusIconSymbol(store_.snapshot().settings.menuBarIconStyle, windows);
    if (!symbol) {
        app_indicator_set_status(indicator_, APP_INDICATOR_STATUS_PASSIVE);
        return;
    }
    app_indicator_set_icon_full(indicator_, std::string(SymbolIcons::iconName(*symbol)).c_str(),
                                "Velumo");
    // Panels show the item's title as its tooltip.
    app_indicator_set_title(indicator_, StatusMenuRules::menuBarStatusText(windows).c_str());
    app_indicator_set_status(indicator_, APP_INDICATOR_STATUS_ACTIVE);
}

void MenuBarController::rebuildMenu() {
    for (Gtk::Widget* item : menu_.get_children()) {
        menu_.remove(*item);
    }
    addItem("打开工作台", commands_.showWorkbench);
    addItem(
        "新建浮窗", [this] { manager_.createWindow(std::nullopt, BrowserWindowMode::window); },
        GDK_KEY_n);
    addSeparator();
    const auto& windows = manager_.windows();
    for (const auto& window : windows | std::views::take(BrowserWindowManager::windowLimit)) {
        addWindowEntry(window);
    }
    if (windows.empty()) {
        auto* none = Gtk::make_managed<Gtk::MenuItem>("暂无浮窗");
        none->set_sensitive(false);
        menu_.append(*none);
    }
    addSeparator();
    if (StatusMenuRules::offersGhostOff(windows)) {
        addItem(std::string(StatusMenuRules::ghostOffTitle), [this] { manager_.endGhosts(); });
    }
    addItem("显示全部窗口", [this] { manager_.showAll(); });
    addItem("隐藏全部窗口", [this] { manager_.hideAll(); });
    addItem("关闭全部窗口", [this] { manager_.closeAll(); });
    addSeparator();
    addItem("设置…", commands_.showSettings, GDK_KEY_comma);
    addSeparator();
    addItem("退出Velumo", commands_.quit, GDK_KEY_q);
    menu_.show_all();
}

void MenuBarController::addItem(const std::string& title, std::function<void()> action,
                                unsigned key) {
    auto* item = Gtk::make_managed<Gtk::MenuItem>(title);
    item->signal_activate().connect([this, action = std::move(action)] { later(action); });
    if (key != 0) {
        // Only shown beside the item (and exported with it); the application
        // binds the keys themselves.
        item->add_accelerator("activate", keyHints_, key, Gdk::CONTROL_MASK, Gtk::ACCEL_VISIBLE);
    }
    menu_.append(*item);
}

void MenuBarController::addSeparator() {
    menu_.append(*Gtk::make_managed<Gtk::SeparatorMenuItem>());
}

void MenuBarController::addWindowEntry(const std::shared_ptr<FloatingWindow>& window) {
    auto* entry = Gtk::make_managed<WindowEntry>(
        StatusMenuRules::windowEntryTitle(window->mode(), window->displayTitle()),
        window->isVisible());
    entry->signal_activate().connect([this, weak = std::weak_ptr(window)] {
        later([this, weak] {
            if (const auto chosen = weak.lock(); chosen && !chosen->isClosing()) {
                manager_.bringForward(*chosen);
            }
        });
    });
    menu_.append(*entry);
}

// Commands run on the next main-loop turn: most of them rebuild this menu,
// which must not destroy the item whose activation is still under way.
void MenuBarController::later(std::function<void()> action) {
    MainQueue::async([weak = std::weak_ptr(lifetime_), action = std::move(action)] {
        if (weak.lock() && action) {
            action();
        }
    });
}

}  // namespace velumo
