#include "design/SettingsPortal.h"

#include <string_view>

namespace velumo {
namespace {

constexpr const char* portalName = "org.freedesktop.portal.Desktop";
constexpr const char* portalPath = "/org/freedesktop/portal/desktop";
constexpr const char* settingsInterface = "org.freedesktop.portal.Settings";
constexpr const char* appearanceNamespace = "org.freedesktop.appearance";
constexpr const char* colorSchemeKey = "color-scheme";
// A portal that is started on demand answers well within this; a hung one
// must not hold the application's start for long.
constexpr int callTimeout = 3000;

GVariant* call(GDBusConnection* bus, const char* method, GError** error) {
    return g_dbus_connection_call_sync(bus, portalName, portalPath, settingsInterface, method,
                                       g_variant_new("(ss)", appearanceNamespace, colorSchemeKey),
                                       G_VARIANT_TYPE("(v)"), G_DBUS_CALL_FLAGS_NONE, callTimeout,
                                       nullptr, error);
}

// Read, the older method, wraps the value in one more variant; both are
// unwrapped down to the number.
std::optional<std::uint32_t> schemeIn(GVariant* value) {
    GVariant* inner = g_variant_ref(value);
    while (g_variant_is_of_type(inner, G_VARIANT_TYPE_VARIANT)) {
        GVariant* unwrapped = g_variant_get_variant(inner);
        g_variant_unref(inner);
        inner = unwrapped;
    }
    std::optional<std::uint32_t> scheme;
    if (g_variant_is_of_type(inner, G_VARIANT_TYPE_UINT32)) {
        scheme = g_variant_get_uint32(inner);
    }
    g_variant_unref(inner);
    return scheme;
}

}  // namespace

SettingsPortal::SettingsPortal() : bus_(g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, nullptr)) {
    if (bus_ == nullptr) {
        return;
    }
    subscription_ = g_dbus_connection_signal_subscribe(
        bus_, portalName, settingsInterface, "SettingChanged", portalPath, appearanceNamespace,
        G_DBUS_SIGNAL_FLAGS_NONE, settingChanged, this, nullptr);
}

SettingsPortal::~SettingsPortal() {
    if (bus_ != nullptr) {
        g_dbus_connection_signal_unsubscribe(bus_, subscription_);
        g_object_unref(bus_);
    }
}

std::optional<std::uint32_t> SettingsPortal::colorScheme() const {
    if (bus_ == nullptr) {
        return std::nullopt;
    }
    GError* error = nullptr;
    GVariant* reply = call(bus_, "ReadOne", &error);
    if (reply == nullptr && g_error_matches(error, G_DBUS_ERROR, G_DBUS_ERROR_UNKNOWN_METHOD)) {
        g_clear_error(&error);
        reply = call(bus_, "Read", &error);
    }
    g_clear_error(&error);
    if (reply == nullptr) {
        return std::nullopt;
    }
    GVariant* value = g_variant_get_child_value(reply, 0);
    auto scheme = schemeIn(value);
    g_variant_unref(value);
    g_variant_unref(reply);
    return scheme;
}

void SettingsPortal::settingChanged(GDBusConnection* /*bus*/, const char* /*sender*/,
                                    const char* /*path*/, const char* /*interface*/,
                                    const char* /*signal*/, GVariant* parameters, gpointer self) {
    if (!g_variant_is_of_type(parameters, G_VARIANT_TYPE("(ssv)"))) {
        return;
    }
    const char* key = nullptr;
    GVariant* value = nullptr;
    g_variant_get(parameters, "(&s&sv)", nullptr, &key, &value);
    const auto scheme = schemeIn(value);
    g_variant_unref(value);
    auto& portal = *static_cast<SettingsPortal*>(self);
    if (std::string_view(key) == colorSchemeKey && scheme && portal.listener_) {
        portal.listener_(*scheme);
    }
}

}  // namespace velumo
