#include "TestShortcutsPortal.h"

#include <string_view>
#include <utility>

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
    <method name="ListShortcuts">
      <arg type="o" name="session_handle" direction="in"/>
      <arg type="a{sv}" name="options" direction="in"/>
      <arg type="o" name="request_handle" direction="out"/>
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

GVariant* noResults() {
    return g_variant_new_array(G_VARIANT_TYPE("{sv}"), nullptr, 0);
}

}  // namespace

TestShortcutsPortal::TestShortcutsPortal()
    : node_(g_dbus_node_info_new_for_xml(introspection, nullptr)) {
    start(portalName, [this](GDBusConnection* connection) {
        static const GDBusInterfaceVTable vtable{methodCall, propertyRead, nullptr, {}};
        registration_ = g_dbus_connection_register_object(
            connection, portalPath, node_->interfaces[0], &vtable, this, nullptr, nullptr);
    });
}

TestShortcutsPortal::~TestShortcutsPortal() {
    stop([this](GDBusConnection* connection) {
        for (const auto& [handle, object] : sessionObjects_) {
            g_dbus_connection_unregister_object(connection, object);
        }
        g_dbus_connection_unregister_object(connection, registration_);
    });
    g_dbus_node_info_unref(node_);
}

void TestShortcutsPortal::refuseTrigger(const std::string& trigger) {
    const std::scoped_lock lock(mutex_);
    refusedTriggers_.insert(trigger);
}

void TestShortcutsPortal::refuseNextBinding() {
    const std::scoped_lock lock(mutex_);
    decliningNextBinding_ = true;
}

void TestShortcutsPortal::refuseSessions() {
    const std::scoped_lock lock(mutex_);
    refusingSessions_ = true;
}

void TestShortcutsPortal::stopAnswering() {
    const std::scoped_lock lock(mutex_);
    answering_ = false;
}

void TestShortcutsPortal::answerNow() {
    std::vector<Response> held;
    {
        const std::scoped_lock lock(mutex_);
        answering_ = true;
        held = std::exchange(unanswered_, {});
    }
    for (const auto& [request, response, results] : held) {
        respond(request, response, results);
        g_variant_unref(results);
    }
    g_dbus_connection_flush_sync(connection(), nullptr, nullptr);
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

void TestShortcutsPortal::activate(const std::string& id) {
    const std::string handle = sessionOf(id);
    if (handle.empty()) {
        return;
    }
    g_dbus_connection_emit_signal(
        connection(), nullptr, portalPath, shortcutsInterface, "Activated",
        g_variant_new("(ost@a{sv})", handle.c_str(), id.c_str(),
                      static_cast<guint64>(g_get_real_time()),
                      g_variant_new_array(G_VARIANT_TYPE("{sv}"), nullptr, 0)),
        nullptr);
    g_dbus_connection_flush_sync(connection(), nullptr, nullptr);
}

void TestShortcutsPortal::respond(const std::string& request, std::uint32_t response,
                                  GVariant* results) {
    {
        const std::scoped_lock lock(mutex_);
        if (!answering_) {
            unanswered_.push_back({request, response, g_variant_ref_sink(results)});
            return;
        }
    }
    g_dbus_connection_emit_signal(connection(), nullptr, request.c_str(),
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
    } else if (name == "ListShortcuts") {
        portal.listShortcuts(sender, parameters, invocation);
    } else {
        // Close on a session: the desktop forgets its shortcuts.
        const std::scoped_lock lock(portal.mutex_);
        portal.sessions_.erase(path);
        if (const auto object = portal.sessionObjects_.find(path);
            object != portal.sessionObjects_.end()) {
            g_dbus_connection_unregister_object(portal.connection(), object->second);
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
    bool refused = false;
    {
        const std::scoped_lock lock(mutex_);
        refused = refusingSessions_;
        if (!refused) {
            sessions_[session] = {};
            sessionObjects_[session] = g_dbus_connection_register_object(
                connection(), session.c_str(), node_->interfaces[1], &vtable, this, nullptr,
                nullptr);
        }
    }
    g_dbus_method_invocation_return_value(invocation, g_variant_new("(o)", request.c_str()));
    if (refused) {
        respond(request, 2, noResults());
        return;
    }
    // A text, not an object path: the handle as xdg-desktop-portal 1.16 sends it.
    GVariantBuilder results;
    g_variant_builder_init(&results, G_VARIANT_TYPE_VARDICT);
    g_variant_builder_add(&results, "{sv}", "session_handle",
                          g_variant_new_string(session.c_str()));
    respond(request, 0, g_variant_builder_end(&results));
}

GVariant* TestShortcutsPortal::described(const Shortcuts& shortcuts) {
    GVariantBuilder list;
    g_variant_builder_init(&list, G_VARIANT_TYPE("a(sa{sv})"));
    for (const auto& [id, shortcut] : shortcuts) {
        GVariantBuilder details;
        g_variant_builder_init(&details, G_VARIANT_TYPE_VARDICT);
        g_variant_builder_add(&details, "{sv}", "description",
                              g_variant_new_string(shortcut.description.c_str()));
        g_variant_builder_add(&details, "{sv}", "trigger_description",
                              g_variant_new_string(shortcut.trigger.c_str()));
        g_variant_builder_add(&list, "(sa{sv})", id.c_str(), &details);
    }
    GVariantBuilder results;
    g_variant_builder_init(&results, G_VARIANT_TYPE_VARDICT);
    g_variant_builder_add(&results, "{sv}", "shortcuts", g_variant_builder_end(&list));
    return g_variant_builder_end(&results);
}

void TestShortcutsPortal::listShortcuts(const char* sender, GVariant* parameters,
                                        GDBusMethodInvocation* invocation) {
    const char* session = nullptr;
    GVariant* options = nullptr;
    g_variant_get(parameters, "(&o@a{sv})", &session, &options);
    const std::string request = std::string(portalPath) + "/request/" + escaped(sender) + "/" +
                                option(options, "handle_token");
    g_variant_unref(options);
    Shortcuts listed;
    {
        const std::scoped_lock lock(mutex_);
        if (const auto open = sessions_.find(session); open != sessions_.end()) {
            listed = open->second.shortcuts;
        }
    }
    g_dbus_method_invocation_return_value(invocation, g_variant_new("(o)", request.c_str()));
    respond(request, 0, described(listed));
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
    Shortcuts answered;
    bool declined = false;
    {
        const std::scoped_lock lock(mutex_);
        const auto open = sessions_.find(session);
        if (open == sessions_.end() || open->second.bindAttempted) {
            g_variant_iter_free(shortcuts);
            g_dbus_method_invocation_return_dbus_error(
                invocation, "org.freedesktop.DBus.Error.AccessDenied", "Invalid session");
            return;
        }
        open->second.bindAttempted = true;
        declined = std::exchange(decliningNextBinding_, false);
        const char* id = nullptr;
        GVariant* details = nullptr;
        while (g_variant_iter_next(shortcuts, "(&s@a{sv})", &id, &details)) {
            Shortcut shortcut{option(details, "description"), option(details, "preferred_trigger")};
            g_variant_unref(details);
            if (refusedTriggers_.contains(shortcut.trigger)) {
                shortcut.trigger.clear();
            } else if (!declined) {
                open->second.shortcuts[id] = shortcut;
            }
            answered[id] = shortcut;
        }
        g_variant_iter_free(shortcuts);
    }
    g_dbus_method_invocation_return_value(invocation, g_variant_new("(o)", request.c_str()));
    if (declined) {
        respond(request, 1, noResults());
    } else {
        respond(request, 0, described(answered));
    }
}

}  // namespace velumo::uitest
