// A desktop panel's side of status icons for the idle figures, on the session
// bus: it owns org.kde.StatusNotifierWatcher and reports a host, so
// AppIndicator exports its item over D-Bus instead of falling back to a tray
// icon, and prints "registered NAME" for each item. It reads nothing from
// the items, like a panel with nothing to redraw. Runs until SIGTERM.
#include <cstdio>

#include <gio/gio.h>
#include <glib-unix.h>

#include "StatusNotifierWatcherInterface.h"

namespace {

void methodCalled(GDBusConnection*, const gchar* sender, const gchar*, const gchar*,
                  const gchar* method, GVariant*, GDBusMethodInvocation* invocation, gpointer) {
    if (g_strcmp0(method, "RegisterStatusNotifierItem") == 0) {
        std::printf("registered %s\n", sender);
        std::fflush(stdout);
    }
    g_dbus_method_invocation_return_value(invocation, nullptr);
}

GVariant* propertyRead(GDBusConnection*, const gchar*, const gchar*, const gchar*,
                       const gchar* property, GError**, gpointer) {
    if (g_strcmp0(property, "IsStatusNotifierHostRegistered") == 0) {
        return g_variant_new_boolean(TRUE);
    }
    if (g_strcmp0(property, "ProtocolVersion") == 0) {
        return g_variant_new_int32(0);
    }
    return g_variant_new_strv(nullptr, 0);
}

void busAcquired(GDBusConnection* connection, const gchar*, gpointer) {
    static const GDBusInterfaceVTable vtable = {methodCalled, propertyRead, nullptr, {}};
    GDBusNodeInfo* node =
        g_dbus_node_info_new_for_xml(velumo::statusNotifierWatcherInterface, nullptr);
    g_dbus_connection_register_object(connection, "/StatusNotifierWatcher", node->interfaces[0],
                                      &vtable, nullptr, nullptr, nullptr);
    g_dbus_node_info_unref(node);
}

void nameAcquired(GDBusConnection*, const gchar*, gpointer) {
    std::puts("ready");
    std::fflush(stdout);
}

}  // namespace

int main() {
    GMainLoop* loop = g_main_loop_new(nullptr, FALSE);
    g_bus_own_name(G_BUS_TYPE_SESSION, velumo::statusNotifierWatcherName,
                   G_BUS_NAME_OWNER_FLAGS_NONE, busAcquired, nameAcquired, nullptr, nullptr,
                   nullptr);
    g_unix_signal_add(
        SIGTERM,
        +[](gpointer running) {
            g_main_loop_quit(static_cast<GMainLoop*>(running));
            return G_SOURCE_REMOVE;
        },
        loop);
    g_main_loop_run(loop);
    g_main_loop_unref(loop);
}
