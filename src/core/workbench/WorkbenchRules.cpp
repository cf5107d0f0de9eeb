#include "workbench/WorkbenchRules.h"

#include <algorithm>
#include <cmath>

#include "data/Url.h"

namespace velumo::WorkbenchRules {

BookmarkTile tile(const Bookmark& bookmark) {
    return {bookmark.id, bookmark.title, Url::hostOrText(bookmark.url), bookmark.url,
            bookmark.faviconURL};
}

std::size_t gridRowCount(std::size_t bookmarks) {
    return (bookmarks + gridColumns - 1) / gridColumns;
}

GridRow gridRow(std::span<const Bookmark> bookmarks, std::size_t row) {
    GridRow cells;
    for (std::size_t column = 0; column < gridColumns; ++column) {
        if (const std::size_t index = row * gridColumns + column; index < bookmarks.size()) {
            cells[column] = tile(bookmarks[index]);
        }
    }
    return cells;
}

RowRange rowsMeeting(double from, double to, std::size_t rowCount) {
    constexpr double pitch = gridRowHeight + gridRowSpacing;
    if (rowCount == 0 || !(to > from) || to <= 0) {
        return {};
    }
    const auto row = [&](double y) {
        return std::min(static_cast<double>(rowCount), std::max(0.0, std::floor(y / pitch)));
    };
    // A band ending in the gap below a row does not reach the next one.
    const auto first = static_cast<std::size_t>(row(from));
    const auto end = static_cast<std::size_t>(row(std::ceil(to) - 1) + 1);
    return {std::min(first, rowCount), std::min(end, rowCount)};
}

double gridHeight(std::size_t rowCount) {
    return rowCount == 0
               ? 0
               : static_cast<double>(rowCount) * (gridRowHeight + gridRowSpacing) - gridRowSpacing;
}

bool sameGrid(std::span<const Bookmark> shown, std::span<const Bookmark> bookmarks) {
    // Every field a tile shows or acts on; the subtitle follows from the address.
    return std::ranges::equal(shown, bookmarks, [](const Bookmark& a, const Bookmark& b) {
        return a.id == b.id && a.url == b.url && a.title == b.title && a.faviconURL == b.faviconURL;
    });
}

std::span<const HistoryEntry> recentVisits(std::span<const HistoryEntry> history) {
    return history.first(std::min(history.size(), recentVisitLimit));
}

WindowRowTitles windowRowTitles(BrowserWindowMode mode, bool visible, bool ghost) {
    return {mode == BrowserWindowMode::advertisement ? "转窗口" : "转广告",
            visible ? "隐藏" : "显示", ghost ? "取消穿透" : ""};
}

std::string_view themePreferenceAfterToggle(Appearance shown) {
    return shown == Appearance::dark ? "light" : "dark";
}

}  // namespace velumo::WorkbenchRules
