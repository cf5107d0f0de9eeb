#include "browser/SavedState.h"

#include <cmath>
#include <utility>

#include <nlohmann/json.hpp>

#include "browser/BrowserWindowManager.h"
#include "data/AppDataSanitizer.h"

namespace velumo {
namespace {

using Json = nlohmann::json;

// Far beyond the largest desktop, small enough that no sum overflows.
constexpr double farthestCoordinate = 100000;

Json frameJson(const Rect& frame) {
    return {{"x", frame.x}, {"y", frame.y}, {"width", frame.width}, {"height", frame.height}};
}

// The value of `key` when the object has it with the JSON type `check` accepts.
template <typename T>
std::optional<T> field(const Json& object, const char* key, bool (Json::*check)() const) {
    const auto found = object.find(key);
    if (found == object.end() || !((*found).*check)()) {
        return std::nullopt;
    }
    return found->get<T>();
}

std::optional<double> number(const Json& object, const char* key) {
    return field<double>(object, key, &Json::is_number);
}

std::optional<bool> flag(const Json& object, const char* key) {
    return field<bool>(object, key, &Json::is_boolean);
}

std::optional<std::string> text(const Json& object, const char* key) {
    return field<std::string>(object, key, &Json::is_string);
}

std::optional<Rect> frameFrom(const Json& object, const char* key) {
    const auto found = object.find(key);
    if (found == object.end() || !found->is_object()) {
        return std::nullopt;
    }
    const auto x = number(*found, "x");
    const auto y = number(*found, "y");
    const auto width = number(*found, "width");
    const auto height = number(*found, "height");
    if (!x || !y || !width || !height) {
        return std::nullopt;
    }
    const auto plausible = [](double value, double lowest) {
        return std::isfinite(value) && value >= lowest && value <= farthestCoordinate;
    };
    if (!plausible(*x, -farthestCoordinate) || !plausible(*y, -farthestCoordinate) ||
        !plausible(*width, 1) || !plausible(*height, 1)) {
        return std::nullopt;
    }
    return Rect{*x, *y, *width, *height};
}

std::optional<SavedWindow> windowFrom(const Json& object) {
    if (!object.is_object()) {
        return std::nullopt;
    }
    const auto url = text(object, "url");
    auto address = url && url->size() <= SavedState::longestURL ? AppDataSanitizer::webURL(*url)
                                                                : std::nullopt;
    const auto frame = frameFrom(object, "frame");
    if (!address || !frame) {
        return std::nullopt;
    }
    SavedWindow window;
    window.url = std::move(*address);
    window.frame = *frame;
    window.normalFrame = frameFrom(object, "normalFrame");
    if (const auto mode = text(object, "mode")) {
        window.mode = browserWindowModeFromRaw(*mode).value_or(window.mode);
    }
    if (const auto identity = text(object, "identity")) {
        window.identity = browserIdentityModeFromRaw(*identity).value_or(window.identity);
    }
    if (const auto opacity = number(object, "opacity")) {
        window.opacity = SiteMemory::validOpacity(*opacity).value_or(window.opacity);
    }
    if (const auto zoom = number(object, "zoom")) {
        window.zoom = SiteMemory::validZoom(*zoom);
    }
    window.alwaysOnTop = flag(object, "alwaysOnTop").value_or(window.alwaysOnTop);
    window.hideOnPointerExit = flag(object, "hideOnPointerExit").value_or(false);
    window.ghost = flag(object, "ghost").value_or(false);
    window.hidden = flag(object, "hidden").value_or(false);
    return window;
}

std::optional<RememberedSite> siteFrom(const Json& object) {
    if (!object.is_object()) {
        return std::nullopt;
    }
    auto host = text(object, "host");
    if (!host) {
        return std::nullopt;
    }
    RememberedSite site{std::move(*host), {}};
    site.preferences.zoom = number(object, "zoom");
    site.preferences.opacity = number(object, "opacity");
    if (const auto identity = text(object, "identity")) {
        site.preferences.identity = browserIdentityModeFromRaw(*identity);
    }
    return site;
}

// The elements of the array at `key`, or none when it is not an array.
const Json* list(const Json& document, const char* key) {
    const auto found = document.find(key);
    return found != document.end() && found->is_array() ? &*found : nullptr;
}

}  // namespace

std::string SavedState::encode() const {
    Json windowList = Json::array();
    for (const auto& window : windows) {
        Json entry = {{"url", window.url},
                      {"mode", rawValue(window.mode)},
                      {"frame", frameJson(window.frame)},
                      {"opacity", window.opacity},
                      {"identity", rawValue(window.identity)},
                      {"alwaysOnTop", window.alwaysOnTop},
                      {"hideOnPointerExit", window.hideOnPointerExit},
                      {"ghost", window.ghost},
                      {"hidden", window.hidden}};
        if (window.normalFrame) {
            entry["normalFrame"] = frameJson(*window.normalFrame);
        }
        if (window.zoom) {
            entry["zoom"] = *window.zoom;
        }
        windowList.push_back(std::move(entry));
    }
    Json siteList = Json::array();
    for (const auto& [host, preferences] : sites.sites()) {
        Json entry = {{"host", host}};
        if (preferences.zoom) {
            entry["zoom"] = *preferences.zoom;
        }
        if (preferences.identity) {
            entry["identity"] = rawValue(*preferences.identity);
        }
        if (preferences.opacity) {
            entry["opacity"] = *preferences.opacity;
        }
        siteList.push_back(std::move(entry));
    }
    const Json document = {{"version", 1},
                           {"restoreWindows", restoreWindows},
                           {"windows", std::move(windowList)},
                           {"sites", std::move(siteList)}};
    return document.dump(2) + "\n";
}

std::optional<SavedState> SavedState::decode(std::string_view bytes) {
    const Json document = Json::parse(bytes, nullptr, false);
    if (!document.is_object()) {
        return std::nullopt;
    }
    SavedState state;
    state.restoreWindows = flag(document, "restoreWindows").value_or(true);
    if (const Json* windows = list(document, "windows")) {
        for (const Json& entry : *windows) {
            if (state.windows.size() == BrowserWindowManager::windowLimit) {
                break;
            }
            if (auto window = windowFrom(entry)) {
                state.windows.push_back(std::move(*window));
            }
        }
    }
    if (const Json* sites = list(document, "sites")) {
        std::vector<RememberedSite> remembered;
        for (const Json& entry : *sites) {
            if (auto site = siteFrom(entry)) {
                remembered.push_back(std::move(*site));
            }
        }
        state.sites = SiteMemory(std::move(remembered));
    }
    return state;
}

}  // namespace velumo
