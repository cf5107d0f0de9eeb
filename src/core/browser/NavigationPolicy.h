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
    // scheme (mail, telephone, meeting links).
    handToDesktop,
};

struct NavigationAction {
    std::string url;
    // False for a request to open a new window or tab.
    bool targetsFrame = true;
    // The person clicked or pressed a key for it; a page navigating on its own
    // (a redirect, a timer, a script) is not.
    bool userGesture = false;
};

namespace NavigationPolicy {

// Schemes that open the user's own files, help browsers or desktop places.
// A web page never hands them to the desktop.
bool isLocalResourceScheme(std::string_view scheme);

// `hasHandler` answers whether an application is registered for a scheme; it
// is asked only when the answer matters.
NavigationDecision decide(const NavigationAction& action,
                          const std::function<bool(const std::string& scheme)>& hasHandler);

}  // namespace NavigationPolicy
}  // namespace velumo
