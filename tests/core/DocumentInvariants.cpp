#include "DocumentInvariants.h"

#include <algorithm>
#include <map>
#include <set>

#include "data/AppDataSanitizer.h"
#include "data/Url.h"

namespace velumo {
namespace {

class Checker {
  public:
    void require(bool holds, const std::string& rule) {
        if (!holds) {
            broken.push_back(rule);
        }
    }

    void checkID(const std::string& id, std::set<std::string>& seen, const std::string& where) {
        require(AppDataSanitizer::validID(id), where + ": invalid id '" + id + "'");
        require(seen.insert(id).second, where + ": duplicate id '" + id + "'");
    }

    void checkAddress(const std::string& url, const std::string& where) {
        require(AppDataSanitizer::webURL(url) == url,
                where + ": unsanitized address '" + url + "'");
    }

    void checkText(const std::string& text, std::size_t maximum, const std::string& where) {
        require(AppDataSanitizer::text(text, maximum) == text,
                where + ": text breaks its rule '" + text + "'");
    }

    std::vector<std::string> broken;
};

std::optional<std::string> derivedIcon(const std::string& url) {
    auto parts = Url::parse(url);
    if (!parts) {
        return std::nullopt;
    }
    parts->path = "/favicon.ico";
    parts->query.reset();
    parts->fragment.reset();
    return Url::assemble(*parts);
}

}  // namespace

std::vector<std::string> DocumentInvariants::violations(const AppDataSnapshot& document) {
    Checker check;
    check.require(document.version == 2, "version is not 2");

    std::set<std::string> categoryIDs;
    for (std::size_t index = 0; index < document.bookmarkCategories.size(); ++index) {
        const auto& category = document.bookmarkCategories[index];
        check.checkID(category.id, categoryIDs, "category");
        check.checkText(category.title, 64, "category title");
        check.require(category.position == index, "category position is not its index");
        check.require(category.createdAt >= 1, "category createdAt is 0");
    }

    std::set<std::string> bookmarkIDs;
    std::set<std::string> addresses;
    std::map<std::optional<std::string>, std::vector<std::uint32_t>> positionsByGroup;
    for (const auto& bookmark : document.bookmarks) {
        check.checkID(bookmark.id, bookmarkIDs, "bookmark");
        check.checkAddress(bookmark.url, "bookmark");
        check.require(addresses.insert(bookmark.url).second,
                      "bookmark: duplicate address " + bookmark.url);
        check.checkText(bookmark.title, 512, "bookmark title");
        if (bookmark.faviconURL) {
            const auto& icon = *bookmark.faviconURL;
            check.require(
                AppDataSanitizer::webURL(icon) == icon || derivedIcon(bookmark.url) == icon,
                "bookmark icon neither sanitized nor derived: " + icon);
        }
        check.require(bookmark.createdAt >= 1, "bookmark createdAt is 0");
        if (bookmark.categoryID) {
            check.require(categoryIDs.contains(*bookmark.categoryID),
                          "bookmark names a missing category " + *bookmark.categoryID);
        }
        positionsByGroup[bookmark.categoryID].push_back(bookmark.position);
    }
    for (auto& [group, positions] : positionsByGroup) {
        std::ranges::sort(positions);
        for (std::size_t rank = 0; rank < positions.size(); ++rank) {
            check.require(positions[rank] == rank, "bookmark positions are not dense in a group");
        }
    }

    check.require(document.history.size() <= 50, "more than 50 history entries");
    std::set<std::string> historyIDs;
    for (const auto& entry : document.history) {
        check.checkID(entry.id, historyIDs, "history");
        check.checkAddress(entry.url, "history");
        check.checkText(entry.title, 512, "history title");
        check.require(entry.visitedAt >= 1, "history visitedAt is 0");
    }

    const auto& settings = document.settings;
    check.checkText(settings.shortcut, 128, "shortcut");
    check.checkText(settings.previousWindowShortcut, 128, "previous window shortcut");
    check.checkText(settings.nextWindowShortcut, 128, "next window shortcut");
    check.require(settings.themePreference == "system" || settings.themePreference == "light" ||
                      settings.themePreference == "dark",
                  "unknown theme " + settings.themePreference);
    check.require(settings.defaultOpacity >= 0.1 && settings.defaultOpacity <= 1.0,
                  "opacity out of range");
    check.require(!settings.defaultAlwaysOnTop, "defaultAlwaysOnTop is stored");
    return check.broken;
}

}  // namespace velumo
