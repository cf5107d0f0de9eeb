#include "data/Models.h"

#include <array>
#include <utility>

namespace velumo {
namespace {

template <typename Enum, std::size_t N>
using RawTable = std::array<std::pair<Enum, std::string_view>, N>;

constexpr RawTable<SearchEngine, 3> searchEngines{{
    {SearchEngine::bing, "bing"},
    {SearchEngine::google, "google"},
    {SearchEngine::duckduckgo, "duckduckgo"},
}};
constexpr RawTable<MenuBarIconStyle, 4> iconStyles{{
    {MenuBarIconStyle::eye, "eye"},
    {MenuBarIconStyle::window, "window"},
    {MenuBarIconStyle::pin, "pin"},
    {MenuBarIconStyle::hidden, "hidden"},
}};
constexpr RawTable<BrowserWindowMode, 2> windowModes{{
    {BrowserWindowMode::window, "window"},
    {BrowserWindowMode::advertisement, "advertisement"},
}};
constexpr RawTable<BrowserIdentityMode, 2> identityModes{{
    {BrowserIdentityMode::desktop, "desktop"},
    {BrowserIdentityMode::mobile, "mobile"},
}};

template <typename Enum, std::size_t N>
std::string_view rawOf(const RawTable<Enum, N>& table, Enum value) {
    for (const auto& [candidate, raw] : table) {
        if (candidate == value) {
            return raw;
        }
    }
    return {};
}

template <typename Enum, std::size_t N>
std::optional<Enum> fromRaw(const RawTable<Enum, N>& table, std::string_view raw) {
    for (const auto& [candidate, text] : table) {
        if (text == raw) {
            return candidate;
        }
    }
    return std::nullopt;
}

}  // namespace

std::string_view rawValue(SearchEngine engine) {
    return rawOf(searchEngines, engine);
}
std::string_view rawValue(MenuBarIconStyle style) {
    return rawOf(iconStyles, style);
}
std::string_view rawValue(BrowserWindowMode mode) {
    return rawOf(windowModes, mode);
}
std::string_view rawValue(BrowserIdentityMode mode) {
    return rawOf(identityModes, mode);
}

std::optional<SearchEngine> searchEngineFromRaw(std::string_view raw) {
    return fromRaw(searchEngines, raw);
}
std::optional<MenuBarIconStyle> menuBarIconStyleFromRaw(std::string_view raw) {
    return fromRaw(iconStyles, raw);
}
std::optional<BrowserWindowMode> browserWindowModeFromRaw(std::string_view raw) {
    return fromRaw(windowModes, raw);
}
std::optional<BrowserIdentityMode> browserIdentityModeFromRaw(std::string_view raw) {
    return fromRaw(identityModes, raw);
}

}  // namespace velumo
