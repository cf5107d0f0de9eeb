#include "workbench/WorkbenchRules.h"

#include <algorithm>

#include "data/Url.h"

namespace velumo::WorkbenchRules {

BookmarkTile tile(const Bookmark& bookmark) {
    return {bookmark.id, bookmark.title, Url::hostOrText(bookmark.url), bookmark.url,
            bookmark.faviconURL};
}

std::vector<GridRow> gridRows(std::span<const Bookmark> bookmarks) {
    std::vector<GridRow> rows((bookmarks.size() + gridColumns - 1) / gridColumns);
    for (std::size_t i = 0; i < bookmarks.size(); ++i) {
        rows[i / gridColumns][i % gridColumns] = tile(bookmarks[i]);
    }
    return rows;
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

WindowRowTitles windowRowTitles(BrowserWindowMode mode, bool visible) {
    return {mode == BrowserWindowMode::advertisement ? "转窗口" : "转广告",
            visible ? "隐藏" : "显示"};
}

std::string_view themePreferenceAfterToggle(Appearance shown) {
    return shown == Appearance::dark ? "light" : "dark";
}

}  // namespace velumo::WorkbenchRules
