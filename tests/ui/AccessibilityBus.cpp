#include "AccessibilityBus.h"

#include <atspi/atspi.h>
#include <csignal>
#include <functional>
#include <set>

#include "UiTestSupport.h"

namespace velumo::uitest {
namespace {

// What a person operates, as opposed to what only shows or holds others; a
// text counts where it can be edited.
bool isControl(AtspiRole role, bool editable) {
    static const std::set<AtspiRole> controls{
        ATSPI_ROLE_PUSH_BUTTON,     ATSPI_ROLE_TOGGLE_BUTTON,
        ATSPI_ROLE_CHECK_BOX,       ATSPI_ROLE_RADIO_BUTTON,
        ATSPI_ROLE_COMBO_BOX,       ATSPI_ROLE_ENTRY,
        ATSPI_ROLE_PASSWORD_TEXT,   ATSPI_ROLE_SLIDER,
        ATSPI_ROLE_SPIN_BUTTON,     ATSPI_ROLE_LINK,
        ATSPI_ROLE_PAGE_TAB,        ATSPI_ROLE_MENU_ITEM,
        ATSPI_ROLE_CHECK_MENU_ITEM, ATSPI_ROLE_RADIO_MENU_ITEM};
    return controls.contains(role) || (role == ATSPI_ROLE_TEXT && editable);
}

std::string taken(gchar* text) {
    std::string copy = text != nullptr ? text : "";
    g_free(text);
    return copy;
}

using Visit = std::function<void(AtspiAccessible*, AtspiRole)>;

// Calls `visit` with each control on screen under `node`, in tree order.
void visitShowing(AtspiAccessible* node, const Visit& visit) {
    AtspiStateSet* states = atspi_accessible_get_state_set(node);
    const bool showing = atspi_state_set_contains(states, ATSPI_STATE_SHOWING) != FALSE;
    const bool editable = atspi_state_set_contains(states, ATSPI_STATE_EDITABLE) != FALSE;
    g_object_unref(states);
    const AtspiRole role = atspi_accessible_get_role(node, nullptr);
    // A page's own content is the site's, not the application's.
    if (!showing || role == ATSPI_ROLE_DOCUMENT_WEB || role == ATSPI_ROLE_DOCUMENT_FRAME) {
        return;
    }
    if (isControl(role, editable)) {
        visit(node, role);
    }
    const int count = atspi_accessible_get_child_count(node, nullptr);
    for (int i = 0; i < count; ++i) {
        if (AtspiAccessible* child = atspi_accessible_get_child_at_index(node, i, nullptr)) {
            visitShowing(child, visit);
            g_object_unref(child);
        }
    }
}

// The same for every window of process `pid`.
void visitShowing(int pid, const Visit& visit) {
    AtspiAccessible* desktop = atspi_get_desktop(0);
    const int applications = atspi_accessible_get_child_count(desktop, nullptr);
    for (int i = 0; i < applications; ++i) {
        AtspiAccessible* application = atspi_accessible_get_child_at_index(desktop, i, nullptr);
        if (application == nullptr) {
            continue;
        }
        if (static_cast<int>(atspi_accessible_get_process_id(application, nullptr)) == pid) {
            // Read anew: windows come and go between two looks.
            atspi_accessible_clear_cache(application);
            const int windows = atspi_accessible_get_child_count(application, nullptr);
            for (int w = 0; w < windows; ++w) {
                if (AtspiAccessible* window =
                        atspi_accessible_get_child_at_index(application, w, nullptr)) {
                    visitShowing(window, visit);
                    g_object_unref(window);
                }
            }
        }
        g_object_unref(application);
    }
    g_object_unref(desktop);
}

}  // namespace

AccessibilityBus::AccessibilityBus() {
    // Neither holds the test's output open, should it outlive the test.
    GSubprocessLauncher* spawner = g_subprocess_launcher_new(static_cast<GSubprocessFlags>(
        G_SUBPROCESS_FLAGS_STDOUT_SILENCE | G_SUBPROCESS_FLAGS_STDERR_SILENCE));
    launcher_ = g_subprocess_launcher_spawn(spawner, nullptr, "/usr/libexec/at-spi-bus-launcher",
                                            "--launch-immediately", nullptr);
    GDBusConnection* session = g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, nullptr);
    runUntil([&] {
        GVariant* reply = g_dbus_connection_call_sync(
            session, "org.a11y.Bus", "/org/a11y/bus", "org.a11y.Bus", "GetAddress", nullptr,
            G_VARIANT_TYPE("(s)"), G_DBUS_CALL_FLAGS_NO_AUTO_START, 1000, nullptr, nullptr);
        if (reply != nullptr) {
            const char* address = nullptr;
            g_variant_get(reply, "(&s)", &address);
            address_ = address;
            g_variant_unref(reply);
        }
        return launcher_ == nullptr || !address_.empty();
    });
    g_object_unref(session);
    if (!address_.empty()) {
        g_subprocess_launcher_setenv(spawner, "AT_SPI_BUS_ADDRESS", address_.c_str(), TRUE);
        registry_ = g_subprocess_launcher_spawn(spawner, nullptr, "/usr/libexec/at-spi2-registryd",
                                                nullptr);
        GDBusConnection* bus = g_dbus_connection_new_for_address_sync(
            address_.c_str(),
            static_cast<GDBusConnectionFlags>(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                                              G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION),
            nullptr, nullptr, nullptr);
        const bool registered =
            bus != nullptr && runUntil([&] {
                GVariant* reply = g_dbus_connection_call_sync(
                    bus, "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
                    "NameHasOwner", g_variant_new("(s)", "org.a11y.atspi.Registry"),
                    G_VARIANT_TYPE("(b)"), G_DBUS_CALL_FLAGS_NONE, 1000, nullptr, nullptr);
                gboolean owned = FALSE;
                if (reply != nullptr) {
                    g_variant_get(reply, "(b)", &owned);
                    g_variant_unref(reply);
                }
                return owned != FALSE;
            });
        if (bus != nullptr) {
            g_object_unref(bus);
        }
        if (registered) {
            g_setenv("AT_SPI_BUS_ADDRESS", address_.c_str(), TRUE);
            atspi_init();
        } else {
            address_.clear();
        }
    }
    g_object_unref(spawner);
}

AccessibilityBus::~AccessibilityBus() {
    if (!address_.empty()) {
        // libatspi hands bus events to an idle callback that atspi_exit()
        // leaves behind; run it while the library can still take them.
        drainMainLoop();
        atspi_exit();
        g_unsetenv("AT_SPI_BUS_ADDRESS");
    }
    // The registry first, while its bus is still there.
    for (GSubprocess* process : {registry_, launcher_}) {
        if (process != nullptr) {
            g_subprocess_send_signal(process, SIGTERM);
            g_subprocess_wait(process, nullptr, nullptr);
            g_object_unref(process);
        }
    }
}

std::vector<AccessibleControl> AccessibilityBus::controlsOnScreen(int pid) const {
    std::vector<AccessibleControl> found;
    visitShowing(pid, [&](AtspiAccessible* control, AtspiRole) {
        found.push_back({taken(atspi_accessible_get_role_name(control, nullptr)),
                         taken(atspi_accessible_get_name(control, nullptr))});
    });
    return found;
}

bool AccessibilityBus::press(int pid, const std::string& name) const {
    bool pressed = false;
    visitShowing(pid, [&](AtspiAccessible* control, AtspiRole role) {
        if (pressed || role != ATSPI_ROLE_PUSH_BUTTON ||
            taken(atspi_accessible_get_name(control, nullptr)) != name) {
            return;
        }
        if (AtspiAction* action = atspi_accessible_get_action_iface(control)) {
            pressed = atspi_action_do_action(action, 0, nullptr) != FALSE;
            g_object_unref(action);
        }
    });
    return pressed;
}

}  // namespace velumo::uitest
