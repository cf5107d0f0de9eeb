#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace velumo {

// What a floating window does with a navigation its page asks for.
enum class NavigationDecision {
    allow,
    cancel,
    // Cancel the request and load its address in the same web view: links
    // that want a new window or tab stay in this floating window.
    loadInThisView,
    // Cancel and give the address to the application registered for its
    // scheme: mail and telephone links, which every desktop expects to open.
    handToDesktop,
    // Cancel, and give the address to its application only once the person
    // agreed: any other scheme may start anything (a file share, a package
    // installer, a game launcher).
    askThenHandToDesktop,
};

struct NavigationAction {
    std::string url;
    // False for a request to open a new window or tab.
    bool targetsFrame = true;
    // The person clicked or pressed a key for it; a page navigating on its own
    // (a redirect, a timer, a script) is not.
    bool userGesture = false;
};

// What a floating window does with the response a navigation brought.
enum class ResponseDecision { show, download, ignore };

struct NavigationResponse {
    // The web view can show its type.
    bool showable = true;
    // Sent as "Content-Disposition: attachment".
    bool attachment = false;
    // The navigation came from the person's click in this page.
    bool clicked = false;
};

namespace NavigationPolicy {

// Schemes that open the user's own files, help browsers or desktop places.
// A web page never hands them to the desktop.
bool isLocalResourceScheme(std::string_view scheme);

// `hasHandler` answers whether an application is registered for a scheme; it
// is asked only when the answer matters.
NavigationDecision decide(const NavigationAction& action,
                          const std::function<bool(const std::string& scheme)>& hasHandler);

// A file is never saved without the person: what the view does not show is
// downloaded only from a click (the person then chooses where) and otherwise
// dropped, whether a script, a redirect or a hidden frame asked for it.
ResponseDecision decide(const NavigationResponse& response);

}  // namespace NavigationPolicy
}  // namespace velumo
