#include "TestShortcutsPortal.h"

#include <stdexcept>
#include <string_view>

namespace velumo::uitest {
namespace {

constexpr const char* portalName = "org.freedesktop.portal.Desktop";
constexpr const char* portalPath = "/org/freedesktop/portal/desktop";
constexpr const char* shortcutsInterface = "org.freedesktop.portal.GlobalShortcuts";

constexpr const char* introspection = R"xml(
<node>
  <interface name="org.freedesktop.portal.GlobalShortcuts">
    <method name="CreateSession">
      <arg type="a{sv}" name="options" direction="in"/>
      <arg type="o" name="handle" direction="out"/>
    </method>
    <method name="BindShortcuts">
      <arg type="o" name="session_handle" direction="in"/>
      <arg type="a(sa{sv})" name="shortcuts" direction="in"/>
      <arg type="s" name="parent_window" direction="in"/>
      <arg type="a{sv}" name="options" direction="in"/>
      <arg type="o" name="request_handle" direction="out"/>
    </method>
    <signal name="Activated">
      <arg type="o" name="session_handle"/>
      <arg type="s" name="shortcut_id"/>
      <arg type="t" name="timestamp"/>
      <arg type="a{sv}" name="options"/>
    </signal>
    <property name="version" type="u" access="read"/>
  </interface>
  <interface name="org.freedesktop.portal.Session">
    <method name="Close"/>
  </interface>
</node>)xml";

constexpr int ready = 1;
constexpr int failed = 2;

// The caller's unique name as the portal puts it in handles: ":1.42" -> "1_42".
std::string escaped(std::string_view sender) {
    std::string name(sender.substr(sender.starts_with(':') ? 1 : 0));
    for (char& c : name) {
        c = c == '.' ? '_' : c;
    }
    return name;
}

std::string option(GVariant* options, const char* key) {
    const char* value = nullptr;
    return g_variant_lookup(options, key, "&s", &value) ? value : "";
}

}  // namespace

TestShortcutsPortal::TestShortcutsPortal()
    : node_(g_dbus_node_info_new_for_xml(introspection, nullptr)),
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

TestShortcutsPortal::~TestShortcutsPortal() {
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
    g_dbus_node_info_unref(node_);
}

void TestShortcutsPortal::refuseTrigger(const std::string& trigger) {
    const std::scoped_lock lock(mutex_);
    refusedTriggers_.insert(trigger);
}

TestShortcutsPortal::Shortcuts TestShortcutsPortal::bound() {
    const std::scoped_lock lock(mutex_);
    Shortcuts all;
    for (const auto& [handle, session] : sessions_) {
        all.insert(session.shortcuts.begin(), session.shortcuts.end());
    }
    return all;
}

std::string TestShortcutsPortal::sessionOf(const std::string& id) {
    const std::scoped_lock lock(mutex_);
    for (const auto& [handle, session] : sessions_) {
        if (session.shortcuts.contains(id)) {
            return handle;
        }
    }
    return {};
}

void TestShortcutsPortal::activate(const std::string& id, const std::string& session) {
    const std::string handle = session.empty() ? sessionOf(id) : session;
    if (handle.empty()) {
        return;
    }
    g_dbus_connection_emit_signal(
        connection_, nullptr, portalPath, shortcutsInterface, "Activated",
        g_variant_new("(ost@a{sv})", handle.c_str(), id.c_str(),
                      static_cast<guint64>(g_get_real_time()),
                      g_variant_new_array(G_VARIANT_TYPE("{sv}"), nullptr, 0)),
        nullptr);
    g_dbus_connection_flush_sync(connection_, nullptr, nullptr);
}

void TestShortcutsPortal::serve(std::atomic<int>& state) {
    g_main_context_push_thread_default(context_);
    char* address = g_dbus_address_get_for_bus_sync(G_BUS_TYPE_SESSION, nullptr, nullptr);
    connection_ = g_dbus_connection_new_for_address_sync(
        address,
        static_cast<GDBusConnectionFlags>(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                                          G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION),
        nullptr, nullptr, nullptr);
    g_free(address);
    static const GDBusInterfaceVTable vtable{methodCall, propertyRead, nullptr, {}};
    const guint registration = g_dbus_connection_register_object(
        connection_, portalPath, node_->interfaces[0], &vtable, this, nullptr, nullptr);
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
    for (const auto& [handle, object] : sessionObjects_) {
        g_dbus_connection_unregister_object(connection_, object);
    }
    g_dbus_connection_unregister_object(connection_, registration);
    // Closing the connection gives the name back at once.
    g_dbus_connection_close_sync(connection_, nullptr, nullptr);
    g_object_unref(connection_);
    g_main_context_pop_thread_default(context_);
}

void TestShortcutsPortal::respond(const std::string& request, std::uint32_t response,
                                  GVariant* results) {
    if (!answering_) {
        g_variant_unref(g_variant_ref_sink(results));
        return;
    }
    g_dbus_connection_emit_signal(connection_, nullptr, request.c_str(),
                                  "org.freedesktop.portal.Request", "Response",
                                  g_variant_new("(u@a{sv})", response, results), nullptr);
}

void TestShortcutsPortal::methodCall(GDBusConnection* /*connection*/, const char* sender,
                                     const char* path, const char* /*interface*/,
                                     const char* method, GVariant* parameters,
                                     GDBusMethodInvocation* invocation, gpointer self) {
    auto& portal = *static_cast<TestShortcutsPortal*>(self);
    const std::string_view name = method;
    if (name == "CreateSession") {
        portal.createSession(sender, parameters, invocation);
    } else if (name == "BindShortcuts") {
        portal.bindShortcuts(sender, parameters, invocation);
    } else {
        // Close on a session: the desktop forgets its shortcuts.
        const std::scoped_lock lock(portal.mutex_);
        portal.sessions_.erase(path);
        if (const auto object = portal.sessionObjects_.find(path);
            object != portal.sessionObjects_.end()) {
            g_dbus_connection_unregister_object(portal.connection_, object->second);
            portal.sessionObjects_.erase(object);
        }
        g_dbus_method_invocation_return_value(invocation, nullptr);
    }
}

GVariant* TestShortcutsPortal::propertyRead(GDBusConnection* /*connection*/, const char* /*sender*/,
                                            const char* /*path*/, const char* /*interface*/,
                                            const char* /*property*/, GError** /*error*/,
                                            gpointer /*self*/) {
    return g_variant_new_uint32(1);
}

void TestShortcutsPortal::createSession(const char* sender, GVariant* parameters,
                                        GDBusMethodInvocation* invocation) {
    GVariant* options = g_variant_get_child_value(parameters, 0);
    const std::string request = std::string(portalPath) + "/request/" + escaped(sender) + "/" +
                                option(options, "handle_token");
    const std::string session = std::string(portalPath) + "/session/" + escaped(sender) + "/" +
                                option(options, "session_handle_token");
    g_variant_unref(options);
    static const GDBusInterfaceVTable vtable{methodCall, nullptr, nullptr, {}};
    {
        const std::scoped_lock lock(mutex_);
        sessions_[session] = {};
        sessionObjects_[session] = g_dbus_connection_register_object(
            connection_, session.c_str(), node_->interfaces[1], &vtable, this, nullptr, nullptr);
    }
    ++sessionsOpened_;
    g_dbus_method_invocation_return_value(invocation, g_variant_new("(o)", request.c_str()));
    // A text, not an object path: the handle as xdg-desktop-portal 1.16 sends it.
    GVariantBuilder results;
    g_variant_builder_init(&results, G_VARIANT_TYPE_VARDICT);
    g_variant_builder_add(&results, "{sv}", "session_handle",
                          g_variant_new_string(session.c_str()));
    respond(request, 0, g_variant_builder_end(&results));
}

void TestShortcutsPortal::bindShortcuts(const char* sender, GVariant* parameters,
                                        GDBusMethodInvocation* invocation) {
    const char* session = nullptr;
    GVariantIter* shortcuts = nullptr;
    const char* parent = nullptr;
    GVariant* options = nullptr;
    g_variant_get(parameters, "(&oa(sa{sv})&s@a{sv})", &session, &shortcuts, &parent, &options);
    const std::string request = std::string(portalPath) + "/request/" + escaped(sender) + "/" +
                                option(options, "handle_token");
    g_variant_unref(options);
    GVariantBuilder results;
    g_variant_builder_init(&results, G_VARIANT_TYPE("a(sa{sv})"));
    {
        const std::scoped_lock lock(mutex_);
        const auto open = sessions_.find(session);
        if (open == sessions_.end() || open->second.bindAttempted) {
            g_variant_iter_free(shortcuts);
            g_variant_builder_clear(&results);
            g_dbus_method_invocation_return_dbus_error(
                invocation, "org.freedesktop.DBus.Error.AccessDenied", "Invalid session");
            return;
        }
        open->second.bindAttempted = true;
        const char* id = nullptr;
        GVariant* details = nullptr;
        while (g_variant_iter_next(shortcuts, "(&s@a{sv})", &id, &details)) {
            const Shortcut shortcut{option(details, "description"),
                                    option(details, "preferred_trigger")};
            g_variant_unref(details);
            const bool refused = refusedTriggers_.contains(shortcut.trigger);
            if (!refused) {
                open->second.shortcuts[id] = shortcut;
            }
            GVariantBuilder described;
            g_variant_builder_init(&described, G_VARIANT_TYPE_VARDICT);
            g_variant_builder_add(&described, "{sv}", "description",
                                  g_variant_new_string(shortcut.description.c_str()));
            g_variant_builder_add(&described, "{sv}", "trigger_description",
                                  g_variant_new_string(refused ? "" : shortcut.trigger.c_str()));
            g_variant_builder_add(&results, "(sa{sv})", id, &described);
        }
        g_variant_iter_free(shortcuts);
    }
    g_dbus_method_invocation_return_value(invocation, g_variant_new("(o)", request.c_str()));
    GVariantBuilder answer;
    g_variant_builder_init(&answer, G_VARIANT_TYPE_VARDICT);
    g_variant_builder_add(&answer, "{sv}", "shortcuts", g_variant_builder_end(&results));
    respond(request, 0, g_variant_builder_end(&answer));
}

}  // namespace velumo::uitest
