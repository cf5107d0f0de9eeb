#include "browser/NavigationPolicy.h"

#include <algorithm>
#include <array>
#include <cctype>

namespace velumo::NavigationPolicy {
namespace {

bool isAsciiLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

}  // namespace

std::string scheme(std::string_view url) {
    const auto colon = url.find(':');
    if (colon == std::string_view::npos || colon == 0 || !isAsciiLetter(url.front())) {
        return {};
    }
    const auto name = url.substr(0, colon);
    const bool valid = std::ranges::all_of(name, [](char c) {
        return isAsciiLetter(c) || (c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.';
    });
    if (!valid) {
        return {};
    }
    std::string lower(name);
    std::ranges::transform(lower, lower.begin(),
                           [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return lower;
}

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
    const std::string name = scheme(action.url);
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
