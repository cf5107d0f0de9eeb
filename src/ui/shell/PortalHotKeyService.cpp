#include "shell/PortalHotKeyService.h"

#include <algorithm>
#include <memory>
#include <utility>

namespace velumo {
namespace {

constexpr const char* portalName = "org.freedesktop.portal.Desktop";
constexpr const char* portalPath = "/org/freedesktop/portal/desktop";
constexpr const char* shortcutsInterface = "org.freedesktop.portal.GlobalShortcuts";
constexpr const char* requestInterface = "org.freedesktop.portal.Request";
constexpr const char* sessionInterface = "org.freedesktop.portal.Session";
// A portal that is started on demand answers well within this; a hung one
// must not hold the application's start for long.
constexpr int probeTimeout = 5000;

using Variant = std::shared_ptr<GVariant>;

Variant owned(GVariant* value) {
    return {value, [](GVariant* held) {
                if (held != nullptr) {
                    g_variant_unref(held);
                }
            }};
}

// A text or object path under `key` of a vardict (the portal has sent the
// session handle as either).
std::optional<std::string> pathIn(GVariant* results, const char* key) {
    const Variant value = owned(g_variant_lookup_value(results, key, nullptr));
    if (value && (g_variant_is_of_type(value.get(), G_VARIANT_TYPE_STRING) ||
                  g_variant_is_of_type(value.get(), G_VARIANT_TYPE_OBJECT_PATH))) {
        return g_variant_get_string(value.get(), nullptr);
    }
    return std::nullopt;
}

std::vector<BoundPortalShortcut> boundIn(GVariant* results) {
    std::vector<BoundPortalShortcut> bound;
    const Variant list =
        owned(g_variant_lookup_value(results, "shortcuts", G_VARIANT_TYPE("a(sa{sv})")));
    if (!list) {
        return bound;
    }
    GVariantIter iter;
    g_variant_iter_init(&iter, list.get());
    const char* id = nullptr;
    GVariant* values = nullptr;
    while (g_variant_iter_next(&iter, "(&s@a{sv})", &id, &values)) {
        BoundPortalShortcut shortcut{id, std::nullopt};
        const char* trigger = nullptr;
        if (g_variant_lookup(values, "trigger_description", "&s", &trigger)) {
            shortcut.triggerDescription = trigger;
        }
        g_variant_unref(values);
        bound.push_back(std::move(shortcut));
    }
    return bound;
}

}  // namespace

bool PortalHotKeyService::available() {
    GDBusConnection* bus = g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, nullptr);
    if (bus == nullptr) {
        return false;
    }
    GVariant* reply = g_dbus_connection_call_sync(
        bus, portalName, portalPath, "org.freedesktop.DBus.Properties", "Get",
        g_variant_new("(ss)", shortcutsInterface, "version"), G_VARIANT_TYPE("(v)"),
        G_DBUS_CALL_FLAGS_NONE, probeTimeout, nullptr, nullptr);
    g_object_unref(bus);
    if (reply == nullptr) {
        return false;
    }
    g_variant_unref(reply);
    return true;
}

PortalHotKeyService::PortalHotKeyService(std::chrono::milliseconds answerTimeout)
    : answerTimeout_(answerTimeout),
      bus_(g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, nullptr)),
      answers_(g_main_context_new()) {
    if (bus_ == nullptr) {
        return;
    }
    // Presses arrive on the main loop, as the port wants them.
    activatedSubscription_ = g_dbus_connection_signal_subscribe(
        bus_, portalName, shortcutsInterface, "Activated", portalPath, nullptr,
        G_DBUS_SIGNAL_FLAGS_NONE, &PortalHotKeyService::activated, this, nullptr);
}

PortalHotKeyService::~PortalHotKeyService() {
    cancelRebind();
    if (bus_ != nullptr) {
        closeSession();
        g_dbus_connection_signal_unsubscribe(bus_, activatedSubscription_);
        // The session's Close must leave before the process may end.
        g_dbus_connection_flush_sync(bus_, nullptr, nullptr);
        g_object_unref(bus_);
    }
    g_main_context_unref(answers_);
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
    cancelRebind();
    Bindings wanted = bindings_;
    wanted[++lastReference_] = {identifier, *shortcut};
    if (bind(wanted)) {
        bindings_ = std::move(wanted);
        return {HotKeyStatus::ok, lastReference_};
    }
    // The keys registered before stay registered.
    bind(bindings_);
    return {HotKeyStatus::hotKeyExists, std::nullopt};
}

void PortalHotKeyService::unregisterHotKey(Reference reference) {
    if (bindings_.erase(reference) == 0) {
        return;
    }
    if (bindings_.empty()) {
        cancelRebind();
        closeSession();
    } else {
        scheduleRebind();
    }
}

void PortalHotKeyService::installPressHandler(PressHandler handler) {
    handler_ = std::move(handler);
}

void PortalHotKeyService::removePressHandler() {
    handler_ = nullptr;
}

bool PortalHotKeyService::bind(const Bindings& bindings) {
    closeSession();
    if (bindings.empty()) {
        return true;
    }
    session_ = createSession();
    if (!session_) {
        return false;
    }
    GVariantBuilder shortcuts;
    g_variant_builder_init(&shortcuts, G_VARIANT_TYPE("a(sa{sv})"));
    for (const auto& [reference, binding] : bindings) {
        GVariantBuilder details;
        g_variant_builder_init(&details, G_VARIANT_TYPE_VARDICT);
        g_variant_builder_add(&details, "{sv}", "description",
                              g_variant_new_string(binding.shortcut.description.c_str()));
        g_variant_builder_add(&details, "{sv}", "preferred_trigger",
                              g_variant_new_string(binding.shortcut.preferredTrigger.c_str()));
        g_variant_builder_add(&shortcuts, "(sa{sv})", binding.shortcut.id.c_str(), &details);
    }
    GVariantBuilder options;
    g_variant_builder_init(&options, G_VARIANT_TYPE_VARDICT);
    g_variant_builder_add(&options, "{sv}", "handle_token",
                          g_variant_new_string(nextToken().c_str()));
    const auto answer =
        request("BindShortcuts",
                g_variant_new("(oa(sa{sv})sa{sv})", session_->c_str(), &shortcuts, "", &options));
    const auto bound = answer ? boundIn(answer->results.get()) : std::vector<BoundPortalShortcut>{};
    const bool granted =
        answer && std::ranges::all_of(bindings, [&](const auto& entry) {
            return PortalShortcuts::granted(answer->response, bound, entry.second.shortcut.id);
        });
    if (!granted) {
        closeSession();
        return false;
    }
    boundNow_ = bindings;
    return true;
}

std::optional<std::string> PortalHotKeyService::createSession() {
    GVariantBuilder options;
    g_variant_builder_init(&options, G_VARIANT_TYPE_VARDICT);
    g_variant_builder_add(&options, "{sv}", "handle_token",
                          g_variant_new_string(nextToken().c_str()));
    g_variant_builder_add(&options, "{sv}", "session_handle_token",
                          g_variant_new_string(nextToken().c_str()));
    const auto answer = request("CreateSession", g_variant_new("(a{sv})", &options));
    if (!answer || answer->response != 0) {
        return std::nullopt;
    }
    return pathIn(answer->results.get(), "session_handle");
}

void PortalHotKeyService::closeSession() {
    boundNow_.clear();
    if (const auto session = std::exchange(session_, std::nullopt)) {
        // No reply is awaited; the next call on the bus follows it in order.
        g_dbus_connection_call(bus_, portalName, session->c_str(), sessionInterface, "Close",
                               nullptr, nullptr, G_DBUS_CALL_FLAGS_NONE, -1, nullptr, nullptr,
                               nullptr);
    }
}

std::optional<PortalHotKeyService::Answer> PortalHotKeyService::request(const char* method,
                                                                        GVariant* parameters) {
    // Every Response of the portal is kept by its request's path, so an
    // answer sent before the call's reply arrives is not missed.
    std::map<std::string, Answer> answers;
    const auto deadline =
        g_get_monotonic_time() +
        std::chrono::duration_cast<std::chrono::microseconds>(answerTimeout_).count();
    g_main_context_push_thread_default(answers_);
    const guint subscription = g_dbus_connection_signal_subscribe(
        bus_, portalName, requestInterface, "Response", nullptr, nullptr, G_DBUS_SIGNAL_FLAGS_NONE,
        [](GDBusConnection*, const char*, const char* path, const char*, const char*,
           GVariant* response, gpointer kept) {
            Answer answer;
            GVariant* results = nullptr;
            g_variant_get(response, "(u@a{sv})", &answer.response, &results);
            answer.results = owned(results);
            (*static_cast<std::map<std::string, Answer>*>(kept))[path] = std::move(answer);
        },
        &answers, nullptr);
    GVariant* reply = g_dbus_connection_call_sync(
        bus_, portalName, portalPath, shortcutsInterface, method, parameters, G_VARIANT_TYPE("(o)"),
        G_DBUS_CALL_FLAGS_NONE, static_cast<int>(answerTimeout_.count()), nullptr, nullptr);
    std::optional<Answer> answer;
    if (reply != nullptr) {
        const char* handle = nullptr;
        g_variant_get(reply, "(&o)", &handle);
        const std::string request = handle;
        g_variant_unref(reply);
        bool expired = false;
        GSource* timer = g_timeout_source_new(
            static_cast<guint>(std::max<gint64>(0, (deadline - g_get_monotonic_time()) / 1000)));
        g_source_set_callback(
            timer,
            [](gpointer flag) {
                *static_cast<bool*>(flag) = true;
                return G_SOURCE_REMOVE;
            },
            &expired, nullptr);
        g_source_attach(timer, answers_);
        while (!answers.contains(request) && !expired) {
            g_main_context_iteration(answers_, TRUE);
        }
        g_source_destroy(timer);
        g_source_unref(timer);
        if (answers.contains(request)) {
            answer = answers.at(request);
        } else {
            // Ends whatever the desktop still shows for it.
            g_dbus_connection_call(bus_, portalName, request.c_str(), requestInterface, "Close",
                                   nullptr, nullptr, G_DBUS_CALL_FLAGS_NONE, -1, nullptr, nullptr,
                                   nullptr);
        }
    }
    g_dbus_connection_signal_unsubscribe(bus_, subscription);
    g_main_context_pop_thread_default(answers_);
    return answer;
}

void PortalHotKeyService::scheduleRebind() {
    if (rebindSource_ != 0) {
        return;
    }
    rebindSource_ = g_idle_add(
        [](gpointer self) {
            auto& service = *static_cast<PortalHotKeyService*>(self);
            service.rebindSource_ = 0;
            service.bind(service.bindings_);
            return G_SOURCE_REMOVE;
        },
        this);
}

void PortalHotKeyService::cancelRebind() {
    if (rebindSource_ != 0) {
        g_source_remove(std::exchange(rebindSource_, 0));
    }
}

std::string PortalHotKeyService::nextToken() {
    return "velumo_" + std::to_string(++lastToken_) + "_" + std::to_string(g_random_int());
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
    // Only a key the port still holds: one released but not yet rebound is not.
    for (const auto& [reference, binding] : service.boundNow_) {
        if (binding.shortcut.id == id && service.bindings_.contains(reference)) {
            service.handler_(binding.identifier);
            return;
        }
    }
}

}  // namespace velumo
