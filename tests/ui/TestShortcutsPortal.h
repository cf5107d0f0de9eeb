#pragma once

#include <map>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include <gio/gio.h>

#include "TestBusService.h"

namespace velumo::uitest {

// The desktop portal's GlobalShortcuts, played on the test's private session
// bus: it owns org.freedesktop.portal.Desktop and answers CreateSession,
// ListShortcuts and BindShortcuts through their Request objects' Response
// signals, as the portal does. Like a desktop that asks the person, it binds
// only in BindShortcuts (what CreateSession offers is ignored), once per
// session. The test decides which triggers the desktop cannot give, whether
// it refuses, when it answers, and presses shortcuts (Activated).
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
    // The next binding is declined (as by the person); sessions are refused
    // (as by a desktop without global shortcuts).
    void refuseNextBinding();
    void refuseSessions();
    // Requests are accepted, and answered only by answerNow.
    void stopAnswering();
    void answerNow();

    // The shortcuts of the open sessions by id.
    Shortcuts bound();
    // Presses a shortcut of the open session that holds `id`.
    void activate(const std::string& id);
    // The open session's handle that holds `id`; empty when none.
    std::string sessionOf(const std::string& id);

  private:
    struct Session {
        bool bindAttempted = false;
        Shortcuts shortcuts;
    };

    struct Response {
        std::string request;
        std::uint32_t response;
        GVariant* results;
    };

    void respond(const std::string& request, std::uint32_t response, GVariant* results);
    // A Response's results listing `shortcuts` with their triggers.
    static GVariant* described(const Shortcuts& shortcuts);
    static void methodCall(GDBusConnection* connection, const char* sender, const char* path,
                           const char* interface, const char* method, GVariant* parameters,
                           GDBusMethodInvocation* invocation, gpointer self);
    static GVariant* propertyRead(GDBusConnection* connection, const char* sender, const char* path,
                                  const char* interface, const char* property, GError** error,
                                  gpointer self);
    void createSession(const char* sender, GVariant* parameters, GDBusMethodInvocation* invocation);
    void bindShortcuts(const char* sender, GVariant* parameters, GDBusMethodInvocation* invocation);
    void listShortcuts(const char* sender, GVariant* parameters, GDBusMethodInvocation* invocation);

    std::mutex mutex_;
    bool answering_ = true;
    bool decliningNextBinding_ = false;
    bool refusingSessions_ = false;
    std::vector<Response> unanswered_;
    std::set<std::string> refusedTriggers_;
    // Open sessions by handle, with their registrations on the bus.
    std::map<std::string, Session> sessions_;
    std::map<std::string, guint> sessionObjects_;
    GDBusNodeInfo* node_ = nullptr;
    guint registration_ = 0;
};

}  // namespace velumo::uitest
