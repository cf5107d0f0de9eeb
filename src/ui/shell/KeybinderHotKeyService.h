#pragma once

#include <map>
#include <memory>
#include <string>

#include "shell/HotKeyService.h"

namespace velumo {

// The system-wide hot keys on X11, through keybinder's key grabs on the root
// window. keybinder also grabs each combination with Num Lock and Caps Lock
// on, so the lock keys never stop a hot key. A combination another X client
// has grabbed is refused with HotKeyStatus::hotKeyExists. Needs GTK on the
// X11 backend; one service at a time. Main thread only.
class KeybinderHotKeyService final : public HotKeyService {
  public:
    KeybinderHotKeyService();
    ~KeybinderHotKeyService() override;
    KeybinderHotKeyService(const KeybinderHotKeyService&) = delete;
    KeybinderHotKeyService& operator=(const KeybinderHotKeyService&) = delete;

    Registration registerHotKey(std::uint32_t keyCode, std::uint32_t modifiers,
                                HotKeyIdentifier identifier) override;
    void unregisterHotKey(Reference reference) override;
    void installPressHandler(PressHandler handler) override;
    void removePressHandler() override;

  private:
    struct Binding {
        KeybinderHotKeyService* service;
        std::string accelerator;
        HotKeyIdentifier identifier;
    };

    static void pressed(const char* accelerator, void* data);

    // Each binding's address is keybinder's user data until it is unbound.
    std::map<Reference, std::unique_ptr<Binding>> bindings_;
    Reference lastReference_ = 0;
    PressHandler handler_;
};

}  // namespace velumo
