#include "TestSettingsPortal.h"

#include <stdexcept>
#include <string_view>

namespace velumo::uitest {
namespace {

constexpr const char* portalName = "org.freedesktop.portal.Desktop";
constexpr const char* portalPath = "/org/freedesktop/portal/desktop";
constexpr const char* settingsInterface = "org.freedesktop.portal.Settings";

constexpr const char* introspection = R"(
<node>
  <interface name="org.freedesktop.portal.Settings">
    <method name="Read">
      <arg type="s" name="namespace" direction="in"/>
      <arg type="s" name="key" direction="in"/>
      <arg type="v" name="value" direction="out"/>
    </method>
    <method name="ReadOne">
      <arg type="s" name="namespace" direction="in"/>
      <arg type="s" name="key" direction="in"/>
      <arg type="v" name="value" direction="out"/>
    </method>
    <signal name="SettingChanged">
      <arg type="s" name="namespace"/>
      <arg type="s" name="key"/>
      <arg type="v" name="value"/>
    </signal>
  </interface>
</node>)";

constexpr int ready = 1;
constexpr int failed = 2;

}  // namespace

TestSettingsPortal::TestSettingsPortal(std::uint32_t colorScheme, Version version)
    : colorScheme_(colorScheme),
      version_(version),
      context_(g_main_context_new()),
      loop_(g_main_loop_new(context_, FALSE)) {
    std::atomic<int> state = 0;
    thread_ = std::thread([this, &state] { serve(state); });
    while (state.load() == 0) {
        std::this_thread::yield();
    }
    if (state.load() == failed) {
        thread_.join();
        throw std::runtime_error("the test portal could not take its name");
    }
}

TestSettingsPortal::~TestSettingsPortal() {
    g_main_context_invoke(
        context_,
        [](gpointer loop) {
            g_main_loop_quit(static_cast<GMainLoop*>(loop));
            return G_SOURCE_REMOVE;
        },
        loop_);
    thread_.join();
    g_main_loop_unref(loop_);
    g_main_context_unref(context_);
}

void TestSettingsPortal::setColorScheme(std::uint32_t colorScheme) {
    colorScheme_ = colorScheme;
    g_dbus_connection_emit_signal(connection_, nullptr, portalPath, settingsInterface,
                                  "SettingChanged",
                                  g_variant_new("(ssv)", "org.freedesktop.appearance",
                                                "color-scheme", g_variant_new_uint32(colorScheme)),
                                  nullptr);
    g_dbus_connection_flush_sync(connection_, nullptr, nullptr);
}

void TestSettingsPortal::serve(std::atomic<int>& state) {
    g_main_context_push_thread_default(context_);
    char* address = g_dbus_address_get_for_bus_sync(G_BUS_TYPE_SESSION, nullptr, nullptr);
    connection_ = g_dbus_connection_new_for_address_sync(
        address,
        static_cast<GDBusConnectionFlags>(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                                          G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION),
        nullptr, nullptr, nullptr);
    g_free(address);
    GDBusNodeInfo* node = g_dbus_node_info_new_for_xml(introspection, nullptr);
    static const GDBusInterfaceVTable vtable{methodCall, nullptr, nullptr, {}};
    const guint registration = g_dbus_connection_register_object(
        connection_, portalPath, node->interfaces[0], &vtable, this, nullptr, nullptr);
    // Do not queue: a second portal on the bus would be a fault of the test.
    GVariant* reply = g_dbus_connection_call_sync(
        connection_, "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
        "RequestName", g_variant_new("(su)", portalName, 4U), G_VARIANT_TYPE("(u)"),
        G_DBUS_CALL_FLAGS_NONE, -1, nullptr, nullptr);
    std::uint32_t answer = 0;
    if (reply != nullptr) {
        g_variant_get(reply, "(u)", &answer);
        g_variant_unref(reply);
    }
    const bool owned = answer == 1;  // the primary owner
    state = owned ? ready : failed;
    if (owned) {
        g_main_loop_run(loop_);
    }
    g_dbus_connection_unregister_object(connection_, registration);
    g_dbus_node_info_unref(node);
    // Closing the connection gives the name back at once.
    g_dbus_connection_close_sync(connection_, nullptr, nullptr);
    g_object_unref(connection_);
    g_main_context_pop_thread_default(context_);
}

void TestSettingsPortal::methodCall(GDBusConnection* /*connection*/, const char* /*sender*/,
                                    const char* /*path*/, const char* /*interface*/,
                                    const char* method, GVariant* parameters,
                                    GDBusMethodInvocation* invocation, gpointer self) {
    auto& portal = *static_cast<TestSettingsPortal*>(self);
    const bool read = std::string_view(method) == "Read";
    if (!read && portal.version_ == Version::readOnly) {
        g_dbus_method_invocation_return_dbus_error(
            invocation, "org.freedesktop.DBus.Error.UnknownMethod", "No such method");
        return;
    }
    const char* nameSpace = nullptr;
    const char* key = nullptr;
    g_variant_get(parameters, "(&s&s)", &nameSpace, &key);
    if (std::string_view(nameSpace) != "org.freedesktop.appearance" ||
        std::string_view(key) != "color-scheme") {
        g_dbus_method_invocation_return_dbus_error(
            invocation, "org.freedesktop.portal.Error.NotFound", "Requested setting not found");
        return;
    }
    GVariant* value = g_variant_new_uint32(portal.colorScheme_);
    // Read wraps the value once more, as the portal has always done.
    if (read) {
        value = g_variant_new_variant(value);
    }
    g_dbus_method_invocation_return_value(invocation, g_variant_new("(v)", value));
}

}  // namespace velumo::uitest
