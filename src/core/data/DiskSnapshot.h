#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "data/Models.h"

namespace velumo {

// The records as the data file holds them, before any rule of the sanitizer:
// what a file may leave out is optional, and the keys are the file's own
// ("faviconUrl", "categoryId").
struct DiskBookmark {
    std::string id;
    std::string url;
    std::string title;
    std::uint64_t createdAt = 0;
    std::uint32_t position = 0;
    std::optional<std::string> faviconUrl;
    std::optional<std::string> categoryId;
};

struct DiskCategory {
    std::string id;
    std::string title;
    std::uint32_t position = 0;
    std::uint64_t createdAt = 0;
};

struct DiskHistory {
    std::string id;
    std::string url;
    std::string title;
    std::uint64_t visitedAt = 0;
};

// Enumeration texts that name no case are already absent here.
struct DiskSettings {
    std::optional<SearchEngine> searchEngine;
    std::optional<std::string> shortcut;
    std::optional<std::string> previousWindowShortcut;
    std::optional<std::string> nextWindowShortcut;
    std::optional<std::string> themePreference;
    std::optional<bool> keepRunningAfterLastWindow;
    std::optional<bool> autoHideToolbar;
    std::optional<MenuBarIconStyle> menuBarIconStyle;
    std::optional<double> defaultOpacity;
};

struct DiskSnapshot {
    std::int64_t version = 0;
    std::optional<std::int64_t> defaultBookmarksSeedVersion;
    std::vector<DiskBookmark> bookmarks;
    std::vector<DiskCategory> bookmarkCategories;
    std::vector<DiskHistory> history;
    DiskSettings settings;

    // Reads the file's bytes. None for text that is not JSON (a raw NUL
    // anywhere included), a document of another shape, a value of the wrong
    // JSON type, a missing or null required key, an integer outside its
    // field's range, or nesting deeper than any real file has. Unknown keys
    // are skipped at every level; when a key appears twice in one object, the
    // later value replaces the earlier (both must be well-formed).
    static std::optional<DiskSnapshot> read(std::string_view data);
};

}  // namespace velumo
