#pragma once

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>

#include <gio/gio.h>

#include "shell/HotKeyService.h"
#include "shell/PortalShortcuts.h"

namespace velumo {

// The system-wide hot keys on a Wayland desktop, bound by the desktop itself
// through the portal's GlobalShortcuts interface (org.freedesktop.portal.Desktop
// on the session bus), where X11 grabs only see keys sent to our own windows.
//
// The portal binds a list of shortcuts per session and answers later through
// a Request object's Response signal, possibly after asking the person. So a
// registration is accepted at once; a main-loop turn after the list changed,
// the whole list is bound on a new session (the earlier one is closed first),
// and what the desktop made of it goes to the binding observer whenever it
// answers. Nothing waits for the portal: one that answers late or never
// leaves the application as responsive as ever.
//
// The list is offered where desktops take it: with CreateSession (KDE binds
// what it is offered there and lists the keys it gave), and, when the new
// session lists none of it, with BindShortcuts. The session token is always
// the same, so a desktop that files shortcuts by session keeps the keys a
// person gave Velumo from one run to the next. Main thread only.
class PortalHotKeyService final : public HotKeyService {
  public:
    // The token of every session, under which the desktop files our keys.
    static constexpr const char* sessionToken = "velumo_hot_keys";

    // `unavailable` runs, once, when the desktop cannot make a session at all
    // (no portal, or a desktop without global shortcuts); the service then
    // binds nothing, and its owner replaces it.
    explicit PortalHotKeyService(std::function<void()> unavailable);
    ~PortalHotKeyService() override;
    PortalHotKeyService(const PortalHotKeyService&) = delete;
    PortalHotKeyService& operator=(const PortalHotKeyService&) = delete;

    Registration registerHotKey(std::uint32_t keyCode, std::uint32_t modifiers,
                                HotKeyIdentifier identifier) override;
    void unregisterHotKey(Reference reference) override;
    void installPressHandler(PressHandler handler) override;
    void removePressHandler() override;
    void observeBindings(const BindingObserver& observer) override;

  private:
    struct Binding {
        HotKeyIdentifier identifier;
        PortalShortcut shortcut;
    };
    using Answered = std::function<void(std::uint32_t response, GVariant* results)>;

    void scheduleBind();
    // Binds the registered list on a new session, unless a step of an
    // earlier binding still waits for the portal: that one finishes first.
    void bind();
    void sessionCreated(std::uint32_t response, GVariant* results);
    void listed(std::uint32_t response, GVariant* results);
    void bound(std::uint32_t response, GVariant* results);
    // Ends a binding's steps; starts the next binding if the list changed meanwhile.
    void finish(std::optional<DesktopBindings::Answer> answer);
    void closeSession();
    void report(DesktopBindings::Answer answer);
    void takeTriggers(GVariant* results);
    GVariant* shortcutList() const;
    // Calls a method that answers through a Request; `answered` gets the
    // Response, or response 2 without results when the call itself failed.
    void request(const char* method, GVariant* parameters, const std::string& token,
                 Answered answered);
    void answer(const std::string& path, std::uint32_t response, GVariant* results);
    std::string nextToken();

    static void called(GObject* bus, GAsyncResult* result, gpointer data);
    static void responded(GDBusConnection* bus, const char* sender, const char* path,
                          const char* interface, const char* signal, GVariant* parameters,
                          gpointer self);
    static void activated(GDBusConnection* bus, const char* sender, const char* path,
                          const char* interface, const char* signal, GVariant* parameters,
                          gpointer self);
    static void shortcutsChanged(GDBusConnection* bus, const char* sender, const char* path,
                                 const char* interface, const char* signal, GVariant* parameters,
                                 gpointer self);

    std::function<void()> unavailable_;
    GDBusConnection* bus_ = nullptr;
    GCancellable* cancellable_ = g_cancellable_new();
    guint responseSubscription_ = 0;
    guint activatedSubscription_ = 0;
    guint changedSubscription_ = 0;
    // The registered shortcuts, and those the open session was asked to hold.
    std::map<Reference, Binding> bindings_;
    std::map<Reference, Binding> sessionBindings_;
    // The desktop's description of the key it gave each shortcut, by id.
    std::map<std::string, std::string> triggers_;
    std::optional<std::string> session_;
    bool sessionEverMade_ = false;
    // A binding's step waits for the portal; the list changed meanwhile.
    bool busy_ = false;
    bool changed_ = false;
    // Requests waiting for their Response by object path, and Responses that
    // came before their request's reply named the path.
    std::map<std::string, Answered> waiting_;
    std::map<std::string, std::pair<std::uint32_t, std::shared_ptr<GVariant>>> early_;
    guint bindSource_ = 0;
    Reference lastReference_ = 0;
    unsigned lastToken_ = 0;
    PressHandler handler_;
    BindingObserver observer_;
    // Replies of calls in flight hold this weakly.
    std::shared_ptr<PortalHotKeyService*> lifetime_ = std::make_shared<PortalHotKeyService*>(this);
};

}  // namespace velumo
