#include "shell/PortalHotKeyService.h"

#include <algorithm>
#include <utility>

namespace velumo {
namespace {

constexpr const char* portalName = "org.freedesktop.portal.Desktop";
constexpr const char* portalPath = "/org/freedesktop/portal/desktop";
constexpr const char* shortcutsInterface = "org.freedesktop.portal.GlobalShortcuts";
constexpr std::uint32_t failedResponse = 2;

using Variant = std::shared_ptr<GVariant>;

// One shortcut of the portal's answers; the trigger description is absent
// when the portal did not say.
struct BoundShortcut {
    std::string id;
    std::optional<std::string> triggerDescription;
};

Variant owned(GVariant* value) {
    return {value, [](GVariant* held) {
                if (held != nullptr) {
                    g_variant_unref(held);
                }
            }};
}

// A text or object path under `key` of a vardict (portals have sent the
// session handle as either).
std::optional<std::string> pathIn(GVariant* results, const char* key) {
    const Variant value =
        owned(results == nullptr ? nullptr : g_variant_lookup_value(results, key, nullptr));
    if (value && (g_variant_is_of_type(value.get(), G_VARIANT_TYPE_STRING) ||
                  g_variant_is_of_type(value.get(), G_VARIANT_TYPE_OBJECT_PATH))) {
        return g_variant_get_string(value.get(), nullptr);
    }
    return std::nullopt;
}

std::vector<BoundShortcut> shortcutsIn(GVariant* list) {
    std::vector<BoundShortcut> shortcuts;
    GVariantIter iter;
    g_variant_iter_init(&iter, list);
    const char* id = nullptr;
    GVariant* values = nullptr;
    while (g_variant_iter_next(&iter, "(&s@a{sv})", &id, &values)) {
        BoundShortcut shortcut{id, std::nullopt};
        const char* trigger = nullptr;
        if (g_variant_lookup(values, "trigger_description", "&s", &trigger)) {
            shortcut.triggerDescription = trigger;
        }
        g_variant_unref(values);
        shortcuts.push_back(std::move(shortcut));
    }
    return shortcuts;
}

// The unique name of a connection as the portal writes it in object paths:
// ":1.42" becomes "1_42".
std::string pathElement(const char* uniqueName) {
    std::string name(uniqueName != nullptr && uniqueName[0] == ':' ? uniqueName + 1 : "");
    std::ranges::replace(name, '.', '_');
    return name;
}

struct Call {
    std::weak_ptr<PortalHotKeyService*> service;
    std::string expectedPath;
};

}  // namespace

PortalHotKeyService::PortalHotKeyService(std::function<void()> unavailable)
    : unavailable_(std::move(unavailable)),
      bus_(g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, nullptr)) {
    if (bus_ == nullptr) {
        return;
    }
    // The portal's answers and presses arrive on the main loop.
    responseSubscription_ = g_dbus_connection_signal_subscribe(
        bus_, portalName, "org.freedesktop.portal.Request", "Response", nullptr, nullptr,
        G_DBUS_SIGNAL_FLAGS_NONE, &PortalHotKeyService::responded, this, nullptr);
    activatedSubscription_ = g_dbus_connection_signal_subscribe(
        bus_, portalName, shortcutsInterface, "Activated", portalPath, nullptr,
        G_DBUS_SIGNAL_FLAGS_NONE, &PortalHotKeyService::activated, this, nullptr);
    changedSubscription_ = g_dbus_connection_signal_subscribe(
        bus_, portalName, shortcutsInterface, "ShortcutsChanged", portalPath, nullptr,
        G_DBUS_SIGNAL_FLAGS_NONE, &PortalHotKeyService::shortcutsChanged, this, nullptr);
}

PortalHotKeyService::~PortalHotKeyService() {
    if (bindSource_ != 0) {
        g_source_remove(bindSource_);
    }
    g_cancellable_cancel(cancellable_);
    if (bus_ != nullptr) {
        closeSession();
        for (const guint subscription :
             {responseSubscription_, activatedSubscription_, changedSubscription_}) {
            g_dbus_connection_signal_unsubscribe(bus_, subscription);
        }
        // The session's Close must leave before the process may end.
        g_dbus_connection_flush_sync(bus_, nullptr, nullptr);
        g_object_unref(bus_);
    }
    g_object_unref(cancellable_);
}

HotKeyService::Registration PortalHotKeyService::registerHotKey(std::uint32_t keyCode,
                                                                std::uint32_t modifiers,
                                                                HotKeyIdentifier identifier) {
    const auto shortcut = PortalShortcuts::shortcut({keyCode, modifiers}, identifier);
    if (!shortcut || bus_ == nullptr) {
        return {HotKeyStatus::hotKeyInvalid, std::nullopt};
    }
    if (std::ranges::any_of(bindings_, [&](const auto& entry) {
            return entry.second.shortcut.id == shortcut->id ||
                   entry.second.shortcut.preferredTrigger == shortcut->preferredTrigger;
        })) {
        return {HotKeyStatus::hotKeyExists, std::nullopt};
    }
    bindings_[++lastReference_] = {identifier, *shortcut};
    scheduleBind();
    return {HotKeyStatus::ok, lastReference_};
}

void PortalHotKeyService::unregisterHotKey(Reference reference) {
    if (bindings_.erase(reference) != 0) {
        scheduleBind();
    }
}

void PortalHotKeyService::installPressHandler(PressHandler handler) {
    handler_ = std::move(handler);
}

void PortalHotKeyService::removePressHandler() {
    handler_ = nullptr;
}

void PortalHotKeyService::observeBindings(const BindingObserver& observer) {
    observer_ = observer;
}

// Releasing a set and registering the next in one turn binds once.
void PortalHotKeyService::scheduleBind() {
    if (bindSource_ != 0) {
        return;
    }
    bindSource_ = g_idle_add(
        [](gpointer self) {
            auto& service = *static_cast<PortalHotKeyService*>(self);
            service.bindSource_ = 0;
            service.bind();
            return G_SOURCE_REMOVE;
        },
        this);
}

void PortalHotKeyService::bind() {
    if (busy_) {
        changed_ = true;
        return;
    }
    changed_ = false;
    closeSession();
    sessionBindings_ = bindings_;
    if (sessionBindings_.empty()) {
        report(DesktopBindings::Answer::answered);
        return;
    }
    busy_ = true;
    report(DesktopBindings::Answer::waiting);
    GVariantBuilder options;
    g_variant_builder_init(&options, G_VARIANT_TYPE_VARDICT);
    const std::string token = nextToken();
    g_variant_builder_add(&options, "{sv}", "handle_token", g_variant_new_string(token.c_str()));
    g_variant_builder_add(&options, "{sv}", "session_handle_token",
                          g_variant_new_string(sessionToken));
    g_variant_builder_add(&options, "{sv}", "shortcuts", shortcutList());
    request(
        "CreateSession", g_variant_new("(a{sv})", &options), token,
        [this](std::uint32_t response, GVariant* results) { sessionCreated(response, results); });
}

void PortalHotKeyService::sessionCreated(std::uint32_t response, GVariant* results) {
    const auto handle = response == 0 ? pathIn(results, "session_handle") : std::nullopt;
    if (!handle) {
        busy_ = false;
        if (!sessionEverMade_) {
            // Said once: the owner replaces this service.
            if (auto unavailable = std::exchange(unavailable_, nullptr)) {
                unavailable();
            }
            return;
        }
        finish(DesktopBindings::Answer::refused);
        return;
    }
    session_ = handle;
    sessionEverMade_ = true;
    if (changed_) {
        finish(std::nullopt);
        return;
    }
    GVariantBuilder options;
    g_variant_builder_init(&options, G_VARIANT_TYPE_VARDICT);
    const std::string token = nextToken();
    g_variant_builder_add(&options, "{sv}", "handle_token", g_variant_new_string(token.c_str()));
    request("ListShortcuts", g_variant_new("(oa{sv})", session_->c_str(), &options), token,
            [this](std::uint32_t listedResponse, GVariant* listedResults) {
                listed(listedResponse, listedResults);
            });
}

void PortalHotKeyService::listed(std::uint32_t response, GVariant* results) {
    if (response == 0) {
        takeTriggers(results);
    }
    const bool offeredTaken = std::ranges::all_of(sessionBindings_, [&](const auto& entry) {
        return triggers_.contains(entry.second.shortcut.id);
    });
    if (changed_ || offeredTaken) {
        finish(DesktopBindings::Answer::answered);
        return;
    }
    // This desktop binds only what it is asked to bind, which may mean asking
    // the person; a session may bind once.
    GVariantBuilder options;
    g_variant_builder_init(&options, G_VARIANT_TYPE_VARDICT);
    const std::string token = nextToken();
    g_variant_builder_add(&options, "{sv}", "handle_token", g_variant_new_string(token.c_str()));
    request("BindShortcuts",
            g_variant_new("(o@a(sa{sv})sa{sv})", session_->c_str(), shortcutList(), "", &options),
            token, [this](std::uint32_t boundResponse, GVariant* boundResults) {
                bound(boundResponse, boundResults);
            });
}

void PortalHotKeyService::bound(std::uint32_t response, GVariant* results) {
    if (response != 0) {
        finish(DesktopBindings::Answer::refused);
        return;
    }
    takeTriggers(results);
    finish(DesktopBindings::Answer::answered);
}

void PortalHotKeyService::finish(std::optional<DesktopBindings::Answer> answer) {
    busy_ = false;
    if (changed_) {
        bind();
        return;
    }
    if (answer) {
        report(*answer);
    }
}

void PortalHotKeyService::closeSession() {
    triggers_.clear();
    if (const auto session = std::exchange(session_, std::nullopt)) {
        // No reply is awaited; the next call on the bus follows it in order,
        // so a new session may take the same token at once.
        g_dbus_connection_call(bus_, portalName, session->c_str(), "org.freedesktop.portal.Session",
                               "Close", nullptr, nullptr, G_DBUS_CALL_FLAGS_NONE, -1, nullptr,
                               nullptr, nullptr);
    }
}

void PortalHotKeyService::report(DesktopBindings::Answer answer) {
    if (!observer_) {
        return;
    }
    DesktopBindings bindings{answer, {}};
    for (const auto& [reference, binding] : sessionBindings_) {
        const auto trigger = triggers_.find(binding.shortcut.id);
        if (trigger != triggers_.end() && !trigger->second.empty()) {
            bindings.triggers[binding.identifier.id] = trigger->second;
        }
    }
    observer_(bindings);
}

// A desktop lists a shortcut it has no key for with an empty trigger
// description, or leaves the description out when it does not say.
void PortalHotKeyService::takeTriggers(GVariant* results) {
    const Variant list =
        owned(results == nullptr
                  ? nullptr
                  : g_variant_lookup_value(results, "shortcuts", G_VARIANT_TYPE("a(sa{sv})")));
    if (!list) {
        return;
    }
    for (const auto& shortcut : shortcutsIn(list.get())) {
        triggers_[shortcut.id] = shortcut.triggerDescription.value_or("");
    }
}

GVariant* PortalHotKeyService::shortcutList() const {
    GVariantBuilder shortcuts;
    g_variant_builder_init(&shortcuts, G_VARIANT_TYPE("a(sa{sv})"));
    for (const auto& [reference, binding] : sessionBindings_) {
        GVariantBuilder details;
        g_variant_builder_init(&details, G_VARIANT_TYPE_VARDICT);
        g_variant_builder_add(&details, "{sv}", "description",
                              g_variant_new_string(binding.shortcut.description.c_str()));
        g_variant_builder_add(&details, "{sv}", "preferred_trigger",
                              g_variant_new_string(binding.shortcut.preferredTrigger.c_str()));
        g_variant_builder_add(&shortcuts, "(sa{sv})", binding.shortcut.id.c_str(), &details);
    }
    return g_variant_builder_end(&shortcuts);
}

void PortalHotKeyService::request(const char* method, GVariant* parameters,
                                  const std::string& token, Answered answered) {
    // The portal names the request after the caller and the token; waiting
    // on that path before the call catches a Response sent before the reply.
    const std::string path = std::string(portalPath) + "/request/" +
                             pathElement(g_dbus_connection_get_unique_name(bus_)) + "/" + token;
    waiting_[path] = std::move(answered);
    g_dbus_connection_call(bus_, portalName, portalPath, shortcutsInterface, method, parameters,
                           G_VARIANT_TYPE("(o)"), G_DBUS_CALL_FLAGS_NONE, G_MAXINT, cancellable_,
                           &PortalHotKeyService::called, new Call{std::weak_ptr(lifetime_), path});
}

void PortalHotKeyService::called(GObject* bus, GAsyncResult* result, gpointer data) {
    const std::unique_ptr<Call> call(static_cast<Call*>(data));
    GVariant* reply = g_dbus_connection_call_finish(G_DBUS_CONNECTION(bus), result, nullptr);
    const auto self = call->service.lock();
    if (!self) {
        if (reply != nullptr) {
            g_variant_unref(reply);
        }
        return;
    }
    auto& service = **self;
    if (reply == nullptr) {
        service.answer(call->expectedPath, failedResponse, nullptr);
        return;
    }
    const char* handle = nullptr;
    g_variant_get(reply, "(&o)", &handle);
    const std::string path = handle;
    g_variant_unref(reply);
    if (path == call->expectedPath) {
        return;
    }
    // A portal that names requests its own way: the answer comes on its path.
    auto waiting = service.waiting_.extract(call->expectedPath);
    if (waiting.empty()) {
        return;
    }
    service.waiting_[path] = std::move(waiting.mapped());
    if (auto early = service.early_.extract(path); !early.empty()) {
        service.answer(path, early.mapped().first, early.mapped().second.get());
    }
}

void PortalHotKeyService::answer(const std::string& path, std::uint32_t response,
                                 GVariant* results) {
    auto waiting = waiting_.extract(path);
    if (!waiting.empty()) {
        waiting.mapped()(response, results);
    }
}

void PortalHotKeyService::responded(GDBusConnection* /*bus*/, const char* /*sender*/,
                                    const char* path, const char* /*interface*/,
                                    const char* /*signal*/, GVariant* parameters, gpointer self) {
    auto& service = *static_cast<PortalHotKeyService*>(self);
    if (!g_variant_is_of_type(parameters, G_VARIANT_TYPE("(ua{sv})"))) {
        return;
    }
    std::uint32_t response = failedResponse;
    GVariant* results = nullptr;
    g_variant_get(parameters, "(u@a{sv})", &response, &results);
    const Variant held = owned(results);
    if (service.waiting_.contains(path)) {
        service.answer(path, response, results);
    } else {
        service.early_[path] = {response, held};
    }
}

void PortalHotKeyService::activated(GDBusConnection* /*bus*/, const char* /*sender*/,
                                    const char* /*path*/, const char* /*interface*/,
                                    const char* /*signal*/, GVariant* parameters, gpointer self) {
    auto& service = *static_cast<PortalHotKeyService*>(self);
    if (!g_variant_is_of_type(parameters, G_VARIANT_TYPE("(osta{sv})"))) {
        return;
    }
    const char* session = nullptr;
    const char* id = nullptr;
    g_variant_get_child(parameters, 0, "&o", &session);
    g_variant_get_child(parameters, 1, "&s", &id);
    if (service.session_ != session || !service.handler_) {
        return;
    }
    // Only a key still registered: one released but not yet rebound is not.
    for (const auto& [reference, binding] : service.sessionBindings_) {
        if (binding.shortcut.id == id && service.bindings_.contains(reference)) {
            service.handler_(binding.identifier);
            return;
        }
    }
}

// The person gave or changed a key in the desktop's own settings.
void PortalHotKeyService::shortcutsChanged(GDBusConnection* /*bus*/, const char* /*sender*/,
                                           const char* /*path*/, const char* /*interface*/,
                                           const char* /*signal*/, GVariant* parameters,
                                           gpointer self) {
    auto& service = *static_cast<PortalHotKeyService*>(self);
    if (!g_variant_is_of_type(parameters, G_VARIANT_TYPE("(oa(sa{sv}))"))) {
        return;
    }
    const char* session = nullptr;
    GVariant* list = nullptr;
    g_variant_get(parameters, "(&o@a(sa{sv}))", &session, &list);
    const Variant held = owned(list);
    if (service.session_ != session) {
        return;
    }
    for (const auto& shortcut : shortcutsIn(list)) {
        service.triggers_[shortcut.id] = shortcut.triggerDescription.value_or("");
    }
    if (!service.busy_) {
        service.report(DesktopBindings::Answer::answered);
    }
}

std::string PortalHotKeyService::nextToken() {
    return "velumo" + std::to_string(++lastToken_);
}

}  // namespace velumo
