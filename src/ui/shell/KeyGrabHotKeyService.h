#pragma once

#include <map>
#include <optional>

#include <gdk/gdk.h>

#include "shell/HotKeyService.h"
#include "shell/ShortcutText.h"

namespace velumo {

// The system-wide hot keys on X11: passive grabs on the root window. A
// shortcut's key is a place on the keyboard (its XKB key name), so the hot
// key is that key whatever the current layout types there; when the keymap
// changes (a layout switch), every grab is made again on the key's key code
// and the modifiers' bits in the new keymap. Each combination is grabbed with
// Num Lock and Caps Lock on too, so the lock keys never stop a hot key. A
// combination another X client holds is refused with HotKeyStatus::hotKeyExists.
// Needs GTK on the X11 backend. Main thread only.
class KeyGrabHotKeyService final : public HotKeyService {
  public:
    KeyGrabHotKeyService();
    ~KeyGrabHotKeyService() override;
    KeyGrabHotKeyService(const KeyGrabHotKeyService&) = delete;
    KeyGrabHotKeyService& operator=(const KeyGrabHotKeyService&) = delete;

    Registration registerHotKey(std::uint32_t keyCode, std::uint32_t modifiers,
                                HotKeyIdentifier identifier) override;
    void unregisterHotKey(Reference reference) override;
    void installPressHandler(PressHandler handler) override;
    void removePressHandler() override;

  private:
    // A key code and the modifier bits of the X server's current keymap.
    struct Grab {
        int keyCode = 0;
        unsigned modifiers = 0;
        bool operator==(const Grab&) const = default;
    };
    struct Binding {
        KeyCombination combination;
        HotKeyIdentifier identifier;
        // Absent while the current keymap has no such key or another client
        // took the combination after a keymap change.
        std::optional<Grab> grab;
    };

    // The combination in the current keymap; none when it cannot be typed.
    std::optional<Grab> resolve(KeyCombination combination) const;
    // Grabs with every state of the lock keys; false (holding nothing) when
    // another client holds any of them.
    bool grab(const Grab& wanted) const;
    void ungrab(const Grab& grab) const;
    // The lock keys' modifier bits, ignored in presses.
    unsigned lockModifiers() const;
    void keymapChanged();
    static GdkFilterReturn filter(GdkXEvent* xevent, GdkEvent* event, gpointer self);

    GdkDisplay* display_;
    GdkWindow* root_;
    gulong keysChanged_ = 0;
    std::map<Reference, Binding> bindings_;
    Reference lastReference_ = 0;
    PressHandler handler_;
};

}  // namespace velumo
