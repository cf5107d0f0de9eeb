#pragma once

#include <optional>
#include <string>
#include <vector>

#include <gio/gio.h>

namespace velumo::uitest {

// The desktop panel's side of status icons on the tests' private session bus:
// it owns org.kde.StatusNotifierWatcher and reports a host, so AppIndicator
// exports a StatusNotifierItem instead of falling back to the tray, and it
// reads the registered item and its menu, and clicks menu entries, as a panel
// does. It talks over a connection of its own, answering on the default main
// context like the item it talks to.
class StatusNotifierWatcher {
  public:
    // One entry of the item's menu, as com.canonical.dbusmenu lays it out.
    struct MenuEntry {
        int id = 0;
        // "-" for a separator.
        std::string label;
        bool enabled = true;
        // The check of a check entry: 1 on, 0 off.
        std::optional<int> toggleState;
        // Such as "Control+n"; empty when the entry has none.
        std::string shortcut;
    };

    // What the watcher does with the first item that registers: takes it,
    // or leaves it waiting for an answer (until another one registers), as
    // when the item's own registration went astray.
    enum class FirstRegistration { taken, leftUnanswered };

    // Owns the watcher's name before returning.
    explicit StatusNotifierWatcher(FirstRegistration first = FirstRegistration::taken);
    ~StatusNotifierWatcher();
    StatusNotifierWatcher(const StatusNotifierWatcher&) = delete;
    StatusNotifierWatcher& operator=(const StatusNotifierWatcher&) = delete;

    // Waits until an item has registered.
    bool waitForItem();
    // A text property (IconName, Title, Status, IconThemePath...) of the
    // latest registered item; empty when it cannot be read.
    std::string itemProperty(const std::string& name);
    // The top level of the item's menu, in order.
    std::vector<MenuEntry> menu();
    // Sends the "clicked" event for the entry `id`.
    void click(int id);

  private:
    // Calls a method and runs the main loop until the answer; null on an error.
    GVariant* call(const std::string& path, const char* interface, const char* method,
                   GVariant* parameters);
    static void methodCalled(GDBusConnection* connection, const gchar* sender, const gchar* path,
                             const gchar* interface, const gchar* method, GVariant* parameters,
                             GDBusMethodInvocation* invocation, gpointer self);
    static GVariant* propertyRead(GDBusConnection* connection, const gchar* sender,
                                  const gchar* path, const gchar* interface, const gchar* property,
                                  GError** error, gpointer self);

    GDBusConnection* connection_ = nullptr;
    guint registration_ = 0;
    // Bus names and object paths of the registered items, in order.
    std::vector<std::pair<std::string, std::string>> items_;
    FirstRegistration first_;
    bool registrationSeen_ = false;
    GDBusMethodInvocation* unanswered_ = nullptr;
};

}  // namespace velumo::uitest
