#pragma once

#include <compare>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velumo {

enum class SearchEngine { bing, google, duckduckgo };
enum class MenuBarIconStyle { eye, window, pin, hidden };
enum class BrowserWindowMode { window, advertisement };
enum class BrowserIdentityMode { desktop, mobile };

// Raw texts as stored in the data file. Conversion from text accepts only the
// exact raw strings; anything else yields no value and the caller decides.
std::string_view rawValue(SearchEngine engine);
std::string_view rawValue(MenuBarIconStyle style);
std::string_view rawValue(BrowserWindowMode mode);
std::string_view rawValue(BrowserIdentityMode mode);
std::optional<SearchEngine> searchEngineFromRaw(std::string_view raw);
std::optional<MenuBarIconStyle> menuBarIconStyleFromRaw(std::string_view raw);
std::optional<BrowserWindowMode> browserWindowModeFromRaw(std::string_view raw);
std::optional<BrowserIdentityMode> browserIdentityModeFromRaw(std::string_view raw);

struct Bookmark {
    std::string id;
    std::string url;
    std::string title;
    std::optional<std::string> faviconURL;
    std::uint64_t createdAt = 1;
    std::optional<std::string> categoryID;
    std::uint32_t position = 0;

    bool operator==(const Bookmark&) const = default;
};

struct BookmarkCategory {
    std::string id;
    std::string title;
    std::uint32_t position = 0;
    std::uint64_t createdAt = 1;

    bool operator==(const BookmarkCategory&) const = default;
};

struct HistoryEntry {
    std::string id;
    std::string url;
    std::string title;
    std::uint64_t visitedAt = 1;

    bool operator==(const HistoryEntry&) const = default;
};

struct AppSettings {
    SearchEngine searchEngine = SearchEngine::bing;
    std::string shortcut = "Command+Option+B";
    std::string previousWindowShortcut = "Command+Option+[";
    std::string nextWindowShortcut = "Command+Option+]";
    std::string themePreference = "system";
    bool keepRunningAfterLastWindow = true;
    bool autoHideToolbar = false;
    MenuBarIconStyle menuBarIconStyle = MenuBarIconStyle::eye;
    double defaultOpacity = 1.0;
    // Never stored: the file has no key for it, so every document the store
    // holds has it absent, which new windows read as "on top".
    std::optional<bool> defaultAlwaysOnTop;

    bool operator==(const AppSettings&) const = default;
};

struct AppDataSnapshot {
    std::int64_t version = 2;
    std::int64_t defaultBookmarksSeedVersion = 0;
    std::vector<Bookmark> bookmarks;
    std::vector<BookmarkCategory> bookmarkCategories;
    std::vector<HistoryEntry> history;
    AppSettings settings;

    bool operator==(const AppDataSnapshot&) const = default;
};

}  // namespace velumo
