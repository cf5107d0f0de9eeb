#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "data/Models.h"
#include "design/NativePalette.h"

namespace velumo {

// A bookmark as its tile shows it.
struct BookmarkTile {
    std::string id;
    std::string title;
    // The host of the address, or the address text when it has none.
    std::string subtitle;
    // Opened on a click and shown as the tile's tool tip.
    std::string url;
    std::optional<std::string> faviconURL;
    bool operator==(const BookmarkTile&) const = default;
};

// What the text buttons of an open window's row offer: the opposite of the
// window's current mode and visibility, and for a ghost, taking the pointer
// again (empty otherwise).
struct WindowRowTitles {
    std::string_view mode;
    std::string_view visibility;
    std::string_view ghost;
    bool operator==(const WindowRowTitles&) const = default;
};

// An open window's row as shown.
struct WindowRow {
    std::string title;
    WindowRowTitles buttons;
    bool operator==(const WindowRow&) const = default;
};

namespace WorkbenchRules {

inline constexpr std::size_t gridColumns = 3;
inline constexpr double gridRowHeight = 44;
inline constexpr double gridRowSpacing = 6;
inline constexpr std::size_t recentVisitLimit = 5;
// The product's own site, opened by "官网" in the desktop's browser.
inline constexpr std::string_view websiteAddress = "https://velumo.orvantis.com/";

// One row of the grid: tiles from the left, empty cells after a short last row.
using GridRow = std::array<std::optional<BookmarkTile>, gridColumns>;

BookmarkTile tile(const Bookmark& bookmark);

// Rows hold the bookmarks in stored order, three to a row.
std::size_t gridRowCount(std::size_t bookmarks);
GridRow gridRow(std::span<const Bookmark> bookmarks, std::size_t row);

// The rows [first, end) of a grid of `rowCount` rows that meet the band
// [from, to), in the grid's own coordinates.
struct RowRange {
    std::size_t first = 0;
    std::size_t end = 0;
    bool operator==(const RowRange&) const = default;
};
RowRange rowsMeeting(double from, double to, std::size_t rowCount);
// The grid's height: the rows and the gaps between them.
double gridHeight(std::size_t rowCount);

// Whether two bookmark lists give the same tiles in the same places, so a
// grid built from one also shows the other.
bool sameGrid(std::span<const Bookmark> shown, std::span<const Bookmark> bookmarks);

// The newest visits: the front of the history, at most five.
std::span<const HistoryEntry> recentVisits(std::span<const HistoryEntry> history);

WindowRowTitles windowRowTitles(BrowserWindowMode mode, bool visible, bool ghost);

// The theme button stores the opposite of what is on screen, so from
// "system" the first press always changes what the person sees.
std::string_view themePreferenceAfterToggle(Appearance shown);

}  // namespace WorkbenchRules
}  // namespace velumo
