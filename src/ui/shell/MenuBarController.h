#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <gtkmm/accelgroup.h>
#include <gtkmm/menu.h>
#include <libayatana-appindicator/app-indicator.h>

#include "MainQueue.h"
#include "NotificationCenter.h"

namespace velumo {

class AppDataStore;
class BrowserWindowManager;
class FloatingWindow;

// The status icon and its menu: a StatusNotifierItem through AppIndicator,
// which falls back to an icon in the XEmbed tray where no panel hosts items.
// The icon and its title follow the floating windows and the icon style; the
// menu lists the windows and offers the application's commands. Main thread
// only.
class MenuBarController {
  public:
    // What the application does for the menu's commands that are not about
    // floating windows.
    struct Commands {
        std::function<void()> showWorkbench;
        std::function<void()> showSettings;
        std::function<void()> quit;
    };

    MenuBarController(BrowserWindowManager& manager, AppDataStore& store, Commands commands);
    ~MenuBarController();
    MenuBarController(const MenuBarController&) = delete;
    MenuBarController& operator=(const MenuBarController&) = delete;

    // Shows or removes the icon for the stored style and sets its image and
    // title from the floating windows.
    void refreshIcon();
    // Fills the menu anew from the floating windows.
    void rebuildMenu();

    // The menu as the panel, or the tray icon, shows it.
    Gtk::Menu& menu() { return menu_; }

  private:
    void addItem(const std::string& title, std::function<void()> action, unsigned key = 0);
    void addSeparator();
    void addWindowEntry(const std::shared_ptr<FloatingWindow>& window);
    void later(std::function<void()> action);
    void makeIndicator();
    void dropIndicator();
    static void connectionChanged(AppIndicator* indicator, gboolean connected, gpointer self);
    static void watcherAppeared(GDBusConnection* bus, const gchar* name, const gchar* owner,
                                gpointer self);
    static void watcherVanished(GDBusConnection* bus, const gchar* name, gpointer self);

    BrowserWindowManager& manager_;
    AppDataStore& store_;
    Commands commands_;
    Glib::RefPtr<Gtk::AccelGroup> keyHints_;
    // Declared before the indicator, which holds it and goes first.
    Gtk::Menu menu_;
    AppIndicator* indicator_ = nullptr;
    // Whether the panel's watcher took the item; a check that it did.
    bool registered_ = false;
    unsigned indicatorsMade_ = 0;
    guint watcherWatch_ = 0;
    MainQueue::Ticket registrationCheck_ = 0;
    // browserWindowsDidChange, then appDataDidChange.
    std::vector<NotificationCenter::Token> observers_;
    std::shared_ptr<MenuBarController*> lifetime_;
};

}  // namespace velumo
