#include "browser/PageState.h"

#include <algorithm>
#include <limits>

#include <nlohmann/json.hpp>

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

std::optional<double> PageState::fitMeasured(std::string_view answer) {
    const auto measured = nlohmann::json::parse(answer, nullptr, false);
    if (!measured.is_object()) {
        return std::nullopt;
    }
    const auto width = [&measured](const char* name) -> std::optional<double> {
        const auto found = measured.find(name);
        if (found == measured.end()) {
            return std::nullopt;
        }
        if (found->is_null()) {
            return std::numeric_limits<double>::infinity();
        }
        if (found->is_number()) {
            return found->get<double>();
        }
        return std::nullopt;
    };
    const auto viewport = width("viewport");
    const auto content = width("content");
    if (!viewport || !content) {
        return std::nullopt;
    }
    return fit(*viewport, *content);
}

double PageState::setManualZoom(double zoom) {
    hasManualPageZoom_ = true;
    pageZoom_ = WindowGeometry::pageZoomFromSlider(zoom);
    return pageZoom_;
}

void PageState::presetZoom(std::optional<double> zoom) {
    hasManualPageZoom_ = zoom.has_value();
    pageZoom_ = zoom ? WindowGeometry::pageZoomFromSlider(*zoom) : 1.0;
}

bool PageState::setIdentity(BrowserIdentityMode mode) {
    if (mode == identity_) {
        return false;
    }
    identity_ = mode;
    return true;
}

}  // namespace velumo
