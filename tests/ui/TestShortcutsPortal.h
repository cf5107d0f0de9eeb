#pragma once

#include <atomic>
#include <map>
#include <mutex>
#include <set>
#include <string>

#include <gio/gio.h>

#include "TestBusService.h"

namespace velumo::uitest {

// The desktop portal's GlobalShortcuts, played on the test's private session
// bus: it owns org.freedesktop.portal.Desktop and answers CreateSession and
// BindShortcuts through their Request objects' Response signals, as the
// portal does, and lets a session bind once, as the interface says. The test
// decides which triggers the desktop cannot give, whether it answers at all,
// and presses shortcuts (Activated).
class TestShortcutsPortal : private TestBusService {
  public:
    // A shortcut bound in an open session.
    struct Shortcut {
        std::string description;
        std::string trigger;
        bool operator==(const Shortcut&) const = default;
    };
    using Shortcuts = std::map<std::string, Shortcut>;

    TestShortcutsPortal();
    // Gives the name up: the desktop then has no portal.
    ~TestShortcutsPortal();

    // A binding that asks for this trigger is answered without it: the
    // desktop assigned that shortcut no key.
    void refuseTrigger(const std::string& trigger);
    // Requests are accepted but never answered.
    void stopAnswering() { answering_ = false; }

    // The shortcuts of the open sessions by id.
    Shortcuts bound();
    // Presses a shortcut of the open session that holds `id` (or, given one,
    // of that session even when it is closed).
    void activate(const std::string& id, const std::string& session = {});
    // The open session's handle that holds `id`; empty when none.
    std::string sessionOf(const std::string& id);

  private:
    struct Session {
        bool bindAttempted = false;
        Shortcuts shortcuts;
    };

    void respond(const std::string& request, std::uint32_t response, GVariant* results);
    static void methodCall(GDBusConnection* connection, const char* sender, const char* path,
                           const char* interface, const char* method, GVariant* parameters,
                           GDBusMethodInvocation* invocation, gpointer self);
    static GVariant* propertyRead(GDBusConnection* connection, const char* sender, const char* path,
                                  const char* interface, const char* property, GError** error,
                                  gpointer self);
    void createSession(const char* sender, GVariant* parameters, GDBusMethodInvocation* invocation);
    void bindShortcuts(const char* sender, GVariant* parameters, GDBusMethodInvocation* invocation);

    std::atomic<bool> answering_ = true;
    std::mutex mutex_;
    std::set<std::string> refusedTriggers_;
    // Open sessions by handle, with their registrations on the bus.
    std::map<std::string, Session> sessions_;
    std::map<std::string, guint> sessionObjects_;
    GDBusNodeInfo* node_ = nullptr;
    guint registration_ = 0;
};

}  // namespace velumo::uitest
