#pragma once

#include <chrono>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <gio/gio.h>

#include "shell/HotKeyService.h"
#include "shell/PortalShortcuts.h"

namespace velumo {

// The system-wide hot keys on a Wayland desktop, bound by the desktop itself
// through the portal's GlobalShortcuts interface (org.freedesktop.portal.Desktop
// on the session bus), where X11 grabs only see keys sent to our own windows.
//
// The portal binds a whole list of shortcuts per session, once, and answers
// later through a Request object's Response signal; the port registers single
// keys and wants its answer at once. So every change of the list binds the
// whole list on a new session (the old one is closed first, so the two never
// compete for the same keys), and each call waits for the portal's answer in
// a nested loop on a main context of its own, bounded by `answerTimeout`:
// nothing else of the application runs meanwhile, and a portal that does not
// answer in time refuses. A registration is granted when the desktop grants
// the new list whole; otherwise the earlier list is bound again and the
// registration is refused. Releasing a key rebinds the rest one main-loop turn
// later, so releasing a set and registering the next binds once per key;
// meanwhile a press of a released key is ignored. Main thread only.
class PortalHotKeyService final : public HotKeyService {
  public:
    // The user may be asked (a dialog of the desktop) when a shortcut is new.
    static constexpr std::chrono::milliseconds defaultAnswerTimeout{25000};

    // Whether the desktop portal on the session bus offers GlobalShortcuts;
    // asks it (which starts it when it is not running yet).
    static bool available();

    explicit PortalHotKeyService(std::chrono::milliseconds answerTimeout = defaultAnswerTimeout);
    ~PortalHotKeyService() override;
    PortalHotKeyService(const PortalHotKeyService&) = delete;
    PortalHotKeyService& operator=(const PortalHotKeyService&) = delete;

    Registration registerHotKey(std::uint32_t keyCode, std::uint32_t modifiers,
                                HotKeyIdentifier identifier) override;
    void unregisterHotKey(Reference reference) override;
    void installPressHandler(PressHandler handler) override;
    void removePressHandler() override;

  private:
    struct Binding {
        HotKeyIdentifier identifier;
        PortalShortcut shortcut;
    };
    using Bindings = std::map<Reference, Binding>;
    struct Answer {
        std::uint32_t response = 2;
        std::shared_ptr<GVariant> results;
    };

    // Binds `bindings` on a new session in place of the current one; true
    // when the desktop granted every one. On false no session is left open.
    bool bind(const Bindings& bindings);
    // Creates a session; its handle, or none when the portal refused.
    std::optional<std::string> createSession();
    void closeSession();
    // Calls a portal method that answers through a Request and waits for the
    // Response; none when the call fails or no answer comes in time.
    std::optional<Answer> request(const char* method, GVariant* parameters);
    void scheduleRebind();
    void cancelRebind();
    std::string nextToken();

    static void activated(GDBusConnection* bus, const char* sender, const char* path,
                          const char* interface, const char* signal, GVariant* parameters,
                          gpointer self);

    std::chrono::milliseconds answerTimeout_;
    GDBusConnection* bus_ = nullptr;
    // Where the portal's answers arrive while a call waits for them.
    GMainContext* answers_ = nullptr;
    guint activatedSubscription_ = 0;
    // The shortcuts the port has registered, and those the open session holds.
    Bindings bindings_;
    Bindings boundNow_;
    std::optional<std::string> session_;
    guint rebindSource_ = 0;
    Reference lastReference_ = 0;
    unsigned lastToken_ = 0;
    PressHandler handler_;
};

}  // namespace velumo
