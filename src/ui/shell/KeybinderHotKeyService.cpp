#include "shell/KeybinderHotKeyService.h"

#include <algorithm>
#include <span>
#include <string_view>

#include <gtk/gtk.h>
#include <keybinder.h>

#include "shell/ActivationTime.h"
#include "shell/HotKeyAccelerator.h"

namespace velumo {
namespace {

// keybinder warns on standard error about every grab it could not make. A
// refused grab is an answer here, which the caller shows to the user.
void dropRefusalWarnings(const gchar* domain, GLogLevelFlags level, const gchar* message,
                         gpointer) {
    if (!std::string_view(message).starts_with("Binding '")) {
        g_log_default_handler(domain, level, message, nullptr);
    }
}

// Whether a key of the keyboard's first layout types the accelerator's keysym
// without any modifier: the only keys raw accelerators grab.
bool keyboardHasKey(const std::string& accelerator) {
    guint keyval = 0;
    GdkModifierType modifiers{};
    gtk_accelerator_parse(accelerator.c_str(), &keyval, &modifiers);
    GdkKeymapKey* keys = nullptr;
    gint count = 0;
    if (keyval == 0 ||
        !gdk_keymap_get_entries_for_keyval(gdk_keymap_get_for_display(gdk_display_get_default()),
                                           keyval, &keys, &count)) {
        return false;
    }
    const bool found = std::ranges::any_of(
        std::span(keys, static_cast<std::size_t>(count)),
        [](const GdkKeymapKey& key) { return key.group == 0 && key.level == 0; });
    g_free(keys);
    return found;
}

}  // namespace

KeybinderHotKeyService::KeybinderHotKeyService() {
    // keybinder watches the root window for the process's whole life.
    static const bool initialised = [] {
        keybinder_init();
        // Raw accelerators: a press is read as its key's own keysym and the
        // modifiers held, so "Shift+/" stays slash with Shift and Caps Lock
        // does not turn "b" into "B". Cooked ones would miss both.
        keybinder_set_use_cooked_accelerators(FALSE);
        return true;
    }();
    (void)initialised;
}

KeybinderHotKeyService::~KeybinderHotKeyService() {
    for (const auto& [reference, binding] : bindings_) {
        keybinder_unbind(binding->accelerator.c_str(), &KeybinderHotKeyService::pressed);
    }
}

HotKeyService::Registration KeybinderHotKeyService::registerHotKey(std::uint32_t keyCode,
                                                                   std::uint32_t modifiers,
                                                                   HotKeyIdentifier identifier) {
    const auto accelerator = HotKeyAccelerator::text({keyCode, modifiers});
    if (!accelerator || !keyboardHasKey(*accelerator)) {
        return {HotKeyStatus::hotKeyInvalid, std::nullopt};
    }
    // X lets a client grab a combination twice; keybinder would then call
    // both bindings and unbind either one by its text.
    if (std::ranges::any_of(bindings_, [&](const auto& entry) {
            return entry.second->accelerator == *accelerator;
        })) {
        return {HotKeyStatus::hotKeyExists, std::nullopt};
    }
    auto binding = std::make_unique<Binding>(Binding{this, *accelerator, identifier});
    // keybinder logs in the default domain.
    const guint quiet =
        g_log_set_handler(nullptr, G_LOG_LEVEL_WARNING, dropRefusalWarnings, nullptr);
    const bool grabbed =
        keybinder_bind(accelerator->c_str(), &KeybinderHotKeyService::pressed, binding.get());
    g_log_remove_handler(nullptr, quiet);
    if (!grabbed) {
        return {HotKeyStatus::hotKeyExists, std::nullopt};
    }
    bindings_[++lastReference_] = std::move(binding);
    return {HotKeyStatus::ok, lastReference_};
}

void KeybinderHotKeyService::unregisterHotKey(Reference reference) {
    const auto entry = bindings_.find(reference);
    if (entry == bindings_.end()) {
        return;
    }
    keybinder_unbind(entry->second->accelerator.c_str(), &KeybinderHotKeyService::pressed);
    bindings_.erase(entry);
}

void KeybinderHotKeyService::installPressHandler(PressHandler handler) {
    handler_ = std::move(handler);
}

void KeybinderHotKeyService::removePressHandler() {
    handler_ = nullptr;
}

void KeybinderHotKeyService::pressed(const char*, void* data) {
    const auto* binding = static_cast<const Binding*>(data);
    ActivationTime::recordHotKeyPress(keybinder_get_current_event_time());
    if (binding->service->handler_) {
        binding->service->handler_(binding->identifier);
    }
}

}  // namespace velumo
