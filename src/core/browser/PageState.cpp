#include "browser/PageState.h"

#include <algorithm>

#include "browser/PageTitle.h"
#include "browser/WindowGeometry.h"

namespace velumo {
PageState::PageState(std::string initialURL)
    : initialURL_(std::move(initialURL)),
      currentURL_(initialURL_),
      displayTitle_(PageTitle::orAddress({}, initialURL_)) {}

bool PageState::showTitleOrAddress(std::optional<std::string_view> title) {
    if (title) {
        std::string text = PageTitle::cleaned(*title);
        if (!text.empty()) {
            displayTitle_ = std::move(text);
            return true;
        }
    }
    displayTitle_ = PageTitle::orAddress({}, currentURL_);
    return false;
}

bool PageState::arrived(std::optional<std::string_view> url,
                        std::optional<std::string_view> title) {
    if (url) {
        currentURL_ = *url;
    }
    return showTitleOrAddress(title);
}

bool PageState::titleChanged(std::optional<std::string_view> title) {
    return showTitleOrAddress(title);
}

std::optional<double> PageState::fit(double viewport, double content) {
    if (hasManualPageZoom_) {
        return std::nullopt;
    }
    const auto zoom = WindowGeometry::fitZoom(viewport, content);
    if (!zoom) {
        return std::nullopt;
    }
    pageZoom_ = std::clamp(*zoom, 0.3, 1.0);
    return pageZoom_;
}

double PageState::setManualZoom(double zoom) {
    hasManualPageZoom_ = true;
    pageZoom_ = WindowGeometry::pageZoomFromSlider(zoom);
    return pageZoom_;
}

bool PageState::setIdentity(BrowserIdentityMode mode) {
    if (mode == identity_) {
        return false;
    }
    identity_ = mode;
    return true;
}

}  // namespace velumo
