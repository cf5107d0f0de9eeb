#include "shell/KeyGrabHotKeyService.h"

#include <algorithm>
#include <array>
#include <utility>

#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/keysym.h>
#include <gdk/gdkx.h>

#include "shell/ActivationTime.h"
#include "shell/XkbKeyNames.h"

namespace velumo {
namespace {

// The bits of the core modifiers in an X event's state; the rest is the
// keyboard group and the pointer buttons.
constexpr unsigned coreModifiers = 0xff;

Display* xDisplay(GdkDisplay* display) {
    return gdk_x11_display_get_xdisplay(display);
}

}  // namespace

KeyGrabHotKeyService::KeyGrabHotKeyService()
    : display_(gdk_display_get_default()), root_(gdk_get_default_root_window()) {
    gdk_window_add_filter(root_, &KeyGrabHotKeyService::filter, this);
    keysChanged_ = g_signal_connect_swapped(
        gdk_keymap_get_for_display(display_), "keys-changed",
        G_CALLBACK(+[](KeyGrabHotKeyService* self) { self->keymapChanged(); }), this);
}

KeyGrabHotKeyService::~KeyGrabHotKeyService() {
    g_signal_handler_disconnect(gdk_keymap_get_for_display(display_), keysChanged_);
    gdk_window_remove_filter(root_, &KeyGrabHotKeyService::filter, this);
    for (const auto& [reference, binding] : bindings_) {
        if (binding.grab) {
            ungrab(*binding.grab);
        }
    }
}

HotKeyService::Registration KeyGrabHotKeyService::registerHotKey(std::uint32_t keyCode,
                                                                 std::uint32_t modifiers,
                                                                 HotKeyIdentifier identifier) {
    const KeyCombination combination{keyCode, modifiers};
    const auto wanted = resolve(combination);
    if (!wanted) {
        return {HotKeyStatus::hotKeyInvalid, std::nullopt};
    }
    // X lets a client grab a combination twice; one press would then be two.
    if (std::ranges::any_of(bindings_,
                            [&](const auto& entry) { return entry.second.grab == wanted; })) {
        return {HotKeyStatus::hotKeyExists, std::nullopt};
    }
    if (!grab(*wanted)) {
        return {HotKeyStatus::hotKeyExists, std::nullopt};
    }
    bindings_[++lastReference_] = {combination, identifier, wanted};
    return {HotKeyStatus::ok, lastReference_};
}

void KeyGrabHotKeyService::unregisterHotKey(Reference reference) {
    const auto entry = bindings_.find(reference);
    if (entry == bindings_.end()) {
        return;
    }
    if (entry->second.grab) {
        ungrab(*entry->second.grab);
    }
    bindings_.erase(entry);
}

void KeyGrabHotKeyService::installPressHandler(PressHandler handler) {
    handler_ = std::move(handler);
}

void KeyGrabHotKeyService::removePressHandler() {
    handler_ = nullptr;
}

std::optional<KeyGrabHotKeyService::Grab> KeyGrabHotKeyService::resolve(
    KeyCombination combination) const {
    const ShortcutKey* key = ShortcutText::keyWithCode(combination.keyCode);
    const auto code = key == nullptr ? std::nullopt : XkbKeyNames::keyCode(display_, key->keyName);
    if (!code) {
        return std::nullopt;
    }
    // Super is whichever modifier the keymap puts the Super keys on.
    auto state = static_cast<GdkModifierType>(0);
    if ((combination.modifiers & ShortcutText::commandModifier) != 0) {
        state = GDK_SUPER_MASK;
        gdk_keymap_map_virtual_modifiers(gdk_keymap_get_for_display(display_), &state);
        if ((state & coreModifiers) == 0) {
            return std::nullopt;
        }
    }
    unsigned modifiers = state & coreModifiers;
    modifiers |= (combination.modifiers & ShortcutText::optionModifier) != 0 ? Mod1Mask : 0;
    modifiers |= (combination.modifiers & ShortcutText::controlModifier) != 0 ? ControlMask : 0;
    modifiers |= (combination.modifiers & ShortcutText::shiftModifier) != 0 ? ShiftMask : 0;
    return Grab{*code, modifiers};
}

unsigned KeyGrabHotKeyService::lockModifiers() const {
    return LockMask | XkbKeysymToModifiers(xDisplay(display_), XK_Num_Lock);
}

bool KeyGrabHotKeyService::grab(const Grab& wanted) const {
    const unsigned locks = lockModifiers();
    Display* display = xDisplay(display_);
    const Window root = gdk_x11_window_get_xid(root_);
    gdk_x11_display_error_trap_push(display_);
    // Every combination of the lock bits, none of them included.
    for (unsigned subset = locks;; subset = (subset - 1) & locks) {
        XGrabKey(display, wanted.keyCode, wanted.modifiers | subset, root, False, GrabModeAsync,
                 GrabModeAsync);
        if (subset == 0) {
            break;
        }
    }
    if (gdk_x11_display_error_trap_pop(display_) != 0) {
        // Releases only the grabs this client made.
        ungrab(wanted);
        return false;
    }
    return true;
}

void KeyGrabHotKeyService::ungrab(const Grab& grab) const {
    const unsigned locks = lockModifiers();
    gdk_x11_display_error_trap_push(display_);
    for (unsigned subset = locks;; subset = (subset - 1) & locks) {
        XUngrabKey(xDisplay(display_), grab.keyCode, grab.modifiers | subset,
                   gdk_x11_window_get_xid(root_));
        if (subset == 0) {
            break;
        }
    }
    gdk_x11_display_error_trap_pop_ignored(display_);
}

// The new keymap may put a key on another key code, or a modifier on another
// bit: all grabs go first, so one hot key's old grab never blocks another's
// new one.
void KeyGrabHotKeyService::keymapChanged() {
    for (auto& [reference, binding] : bindings_) {
        if (const auto old = std::exchange(binding.grab, std::nullopt)) {
            ungrab(*old);
        }
    }
    for (auto& [reference, binding] : bindings_) {
        const auto renewed = resolve(binding.combination);
        if (renewed && grab(*renewed)) {
            binding.grab = renewed;
        }
    }
}

GdkFilterReturn KeyGrabHotKeyService::filter(GdkXEvent* xevent, GdkEvent* /*event*/,
                                             gpointer self) {
    const auto* event = static_cast<const XEvent*>(xevent);
    auto& service = *static_cast<KeyGrabHotKeyService*>(self);
    if (event->type != KeyPress) {
        return GDK_FILTER_CONTINUE;
    }
    const unsigned modifiers = event->xkey.state & coreModifiers & ~service.lockModifiers();
    for (const auto& [reference, binding] : service.bindings_) {
        if (binding.grab &&
            *binding.grab == Grab{static_cast<int>(event->xkey.keycode), modifiers}) {
            ActivationTime::recordHotKeyPress(event->xkey.time);
            if (service.handler_) {
                service.handler_(binding.identifier);
            }
            return GDK_FILTER_REMOVE;
        }
    }
    return GDK_FILTER_CONTINUE;
}

}  // namespace velumo
