#include "StatusNotifierWatcher.h"

#include <utility>

#include <gtest/gtest.h>

#include "StatusNotifierWatcherInterface.h"
#include "UiTestSupport.h"

namespace velumo::uitest {
namespace {

StatusNotifierWatcher::MenuEntry menuEntry(GVariant* layout) {
    StatusNotifierWatcher::MenuEntry entry;
    g_autoptr(GVariant) properties = nullptr;
    g_variant_get(layout, "(i@a{sv}av)", &entry.id, &properties, nullptr);
    const gchar* text = nullptr;
    if (g_variant_lookup(properties, "label", "&s", &text)) {
        entry.label = text;
    }
    if (g_variant_lookup(properties, "type", "&s", &text) && std::string(text) == "separator") {
        entry.label = "-";
    }
    gboolean enabled = TRUE;
    g_variant_lookup(properties, "enabled", "b", &enabled);
    entry.enabled = enabled != FALSE;
    if (gint32 state = 0; g_variant_lookup(properties, "toggle-state", "i", &state)) {
        entry.toggleState = state;
    }
    // The first of the entry's key combinations, such as [["Control", "n"]].
    g_autoptr(GVariant) shortcuts =
        g_variant_lookup_value(properties, "shortcut", G_VARIANT_TYPE("aas"));
    if (shortcuts != nullptr && g_variant_n_children(shortcuts) > 0) {
        g_autoptr(GVariant) keys = g_variant_get_child_value(shortcuts, 0);
        g_autofree const gchar** parts = g_variant_get_strv(keys, nullptr);
        for (const gchar** part = parts; *part != nullptr; ++part) {
            entry.shortcut += (entry.shortcut.empty() ? "" : "+") + std::string(*part);
        }
    }
    return entry;
}

}  // namespace

StatusNotifierWatcher::StatusNotifierWatcher(FirstRegistration first) : first_(first) {
    g_autofree gchar* address =
        g_dbus_address_get_for_bus_sync(G_BUS_TYPE_SESSION, nullptr, nullptr);
    connection_ = g_dbus_connection_new_for_address_sync(
        address,
        static_cast<GDBusConnectionFlags>(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                                          G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION),
        nullptr, nullptr, nullptr);
    if (connection_ == nullptr) {
        ADD_FAILURE() << "no session bus (run the tests in dbus-run-session)";
        return;
    }
    GDBusNodeInfo* node = g_dbus_node_info_new_for_xml(statusNotifierWatcherInterface, nullptr);
    static const GDBusInterfaceVTable vtable = {methodCalled, propertyRead, nullptr, {}};
    registration_ =
        g_dbus_connection_register_object(connection_, "/StatusNotifierWatcher",
                                          node->interfaces[0], &vtable, this, nullptr, nullptr);
    g_dbus_node_info_unref(node);
    // The bus daemon answers this itself, so waiting for it cannot block on us.
    g_autoptr(GVariant) reply = g_dbus_connection_call_sync(
        connection_, "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
        "RequestName", g_variant_new("(su)", statusNotifierWatcherName, 0U), G_VARIANT_TYPE("(u)"),
        G_DBUS_CALL_FLAGS_NONE, -1, nullptr, nullptr);
    guint owned = 0;
    if (reply != nullptr) {
        g_variant_get(reply, "(u)", &owned);
    }
    EXPECT_EQ(owned, 1U) << "the watcher's name is taken";
}

StatusNotifierWatcher::~StatusNotifierWatcher() {
    if (unanswered_ != nullptr) {
        g_dbus_method_invocation_return_value(unanswered_, nullptr);
    }
    if (connection_ != nullptr) {
        g_dbus_connection_unregister_object(connection_, registration_);
        g_dbus_connection_close_sync(connection_, nullptr, nullptr);
        g_object_unref(connection_);
    }
}

bool StatusNotifierWatcher::waitForItem() {
    return runUntil([this] { return !items_.empty(); });
}

std::string StatusNotifierWatcher::itemProperty(const std::string& name) {
    if (items_.empty()) {
        return "";
    }
    g_autoptr(GVariant) reply =
        call(items_.back().second, "org.freedesktop.DBus.Properties", "Get",
             g_variant_new("(ss)", "org.kde.StatusNotifierItem", name.c_str()));
    if (reply == nullptr) {
        return "";
    }
    g_autoptr(GVariant) value = nullptr;
    g_variant_get(reply, "(v)", &value);
    // Text and object paths alike.
    return g_variant_get_string(value, nullptr);
}

std::vector<StatusNotifierWatcher::MenuEntry> StatusNotifierWatcher::menu() {
    std::vector<MenuEntry> entries;
    g_autoptr(GVariant) reply =
        call(itemProperty("Menu"), "com.canonical.dbusmenu", "GetLayout",
             g_variant_new("(ii@as)", 0, 1, g_variant_new_strv(nullptr, 0)));
    if (reply == nullptr) {
        return entries;
    }
    g_autoptr(GVariant) children = nullptr;
    g_variant_get(reply, "(u(ia{sv}@av))", nullptr, nullptr, nullptr, &children);
    for (gsize i = 0; i < g_variant_n_children(children); ++i) {
        g_autoptr(GVariant) child = g_variant_get_child_value(children, i);
        g_autoptr(GVariant) layout = g_variant_get_variant(child);
        entries.push_back(menuEntry(layout));
    }
    return entries;
}

void StatusNotifierWatcher::click(int id) {
    g_autoptr(GVariant) reply =
        call(itemProperty("Menu"), "com.canonical.dbusmenu", "Event",
             g_variant_new("(isvu)", id, "clicked", g_variant_new_int32(0), 0U));
    EXPECT_NE(reply, nullptr) << "entry " << id << " was not clicked";
}

GVariant* StatusNotifierWatcher::call(const std::string& path, const char* interface,
                                      const char* method, GVariant* parameters) {
    struct Answer {
        bool done = false;
        GVariant* reply = nullptr;
    } answer;
    // The item lives in this process: its answer needs the main loop to run.
    g_dbus_connection_call(
        connection_, items_.back().first.c_str(), path.c_str(), interface, method, parameters,
        nullptr, G_DBUS_CALL_FLAGS_NONE, 5000, nullptr,
        [](GObject* source, GAsyncResult* result, gpointer data) {
            auto* out = static_cast<Answer*>(data);
            out->reply = g_dbus_connection_call_finish(G_DBUS_CONNECTION(source), result, nullptr);
            out->done = true;
        },
        &answer);
    // The call times out before the loop gives up, so `answer` is never left behind.
    runUntil([&] { return answer.done; });
    return answer.reply;
}

void StatusNotifierWatcher::methodCalled(GDBusConnection* connection, const gchar* sender,
                                         const gchar*, const gchar*, const gchar* method,
                                         GVariant* parameters, GDBusMethodInvocation* invocation,
                                         gpointer self) {
    const gchar* service = nullptr;
    g_variant_get(parameters, "(&s)", &service);
    auto* watcher = static_cast<StatusNotifierWatcher*>(self);
    if (std::string(method) == "RegisterStatusNotifierItem") {
        if (!std::exchange(watcher->registrationSeen_, true) &&
            watcher->first_ == FirstRegistration::leftUnanswered) {
            watcher->unanswered_ = invocation;
            return;
        }
        if (watcher->unanswered_ != nullptr) {
            g_dbus_method_invocation_return_value(std::exchange(watcher->unanswered_, nullptr),
                                                  nullptr);
        }
        // An item names either its object path on the caller's connection or
        // its own bus name with the protocol's usual path.
        const bool isPath = service[0] == '/';
        auto& item = watcher->items_.emplace_back(isPath ? sender : service,
                                                  isPath ? service : "/StatusNotifierItem");
        g_dbus_connection_emit_signal(
            connection, nullptr, "/StatusNotifierWatcher", "org.kde.StatusNotifierWatcher",
            "StatusNotifierItemRegistered",
            g_variant_new("(s)", (item.first + item.second).c_str()), nullptr);
    }
    g_dbus_method_invocation_return_value(invocation, nullptr);
}

GVariant* StatusNotifierWatcher::propertyRead(GDBusConnection*, const gchar*, const gchar*,
                                              const gchar*, const gchar* property, GError**,
                                              gpointer self) {
    const std::string name = property;
    if (name == "IsStatusNotifierHostRegistered") {
        return g_variant_new_boolean(TRUE);
    }
    if (name == "ProtocolVersion") {
        return g_variant_new_int32(0);
    }
    GVariantBuilder names;
    g_variant_builder_init(&names, G_VARIANT_TYPE("as"));
    for (const auto& [service, path] : static_cast<StatusNotifierWatcher*>(self)->items_) {
        g_variant_builder_add(&names, "s", (service + path).c_str());
    }
    return g_variant_builder_end(&names);
}

}  // namespace velumo::uitest
