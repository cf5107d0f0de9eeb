#include "TestSettingsPortal.h"

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

}  // namespace

TestSettingsPortal::TestSettingsPortal(std::uint32_t colorScheme, Version version)
    : colorScheme_(colorScheme),
      version_(version),
      node_(g_dbus_node_info_new_for_xml(introspection, nullptr)) {
    start(portalName, [this](GDBusConnection* connection) {
        static const GDBusInterfaceVTable vtable{methodCall, nullptr, nullptr, {}};
        registration_ = g_dbus_connection_register_object(
            connection, portalPath, node_->interfaces[0], &vtable, this, nullptr, nullptr);
    });
}

TestSettingsPortal::~TestSettingsPortal() {
    stop([this](GDBusConnection* connection) {
        g_dbus_connection_unregister_object(connection, registration_);
    });
    g_dbus_node_info_unref(node_);
}

void TestSettingsPortal::setColorScheme(std::uint32_t colorScheme) {
    colorScheme_ = colorScheme;
    g_dbus_connection_emit_signal(connection(), nullptr, portalPath, settingsInterface,
                                  "SettingChanged",
                                  g_variant_new("(ssv)", "org.freedesktop.appearance",
                                                "color-scheme", g_variant_new_uint32(colorScheme)),
                                  nullptr);
    g_dbus_connection_flush_sync(connection(), nullptr, nullptr);
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
