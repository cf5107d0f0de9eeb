#include "browser/NavigationPolicy.h"

#include <algorithm>
#include <array>

#include "data/Url.h"

namespace velumo::NavigationPolicy {

bool isLocalResourceScheme(std::string_view scheme) {
    // File managers, help viewers and the desktop's virtual places would all
    // gladly open these, exposing or running the user's local files.
    static constexpr std::array<std::string_view, 12> local{
        "file",  "resource", "ghelp",    "help",    "man",   "info",
        "trash", "recent",   "computer", "network", "admin", "javascript"};
    return std::ranges::find(local, scheme) != local.end();
}

NavigationDecision decide(const NavigationAction& action,
                          const std::function<bool(const std::string& scheme)>& hasHandler) {
    if (action.url.empty()) {
        return NavigationDecision::cancel;
    }
    const std::string name = Url::scheme(action.url);
    if (name == "about" || name == "blob" || name == "data") {
        return action.targetsFrame ? NavigationDecision::allow : NavigationDecision::cancel;
    }
    if (name == "http" || name == "https") {
        return action.targetsFrame ? NavigationDecision::allow : NavigationDecision::loadInThisView;
    }
    if (name.empty() || isLocalResourceScheme(name) || !action.userGesture || !hasHandler(name)) {
        return NavigationDecision::cancel;
    }
    if (name == "mailto" || name == "tel") {
        return NavigationDecision::handToDesktop;
    }
    return NavigationDecision::askThenHandToDesktop;
}

ResponseDecision decide(const NavigationResponse& response) {
    if (response.showable && !response.attachment) {
        return ResponseDecision::show;
    }
    return response.clicked ? ResponseDecision::download : ResponseDecision::ignore;
}

}  // namespace velumo::NavigationPolicy
