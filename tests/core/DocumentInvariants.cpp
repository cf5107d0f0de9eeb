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

    void identifier(const std::string& id, std::set<std::string>& seen) {
        require(AppDataSanitizer::validID(id) && seen.insert(id).second, "bad id " + id);
    }
    void address(const std::string& url) {
        require(AppDataSanitizer::webURL(url) == url, "unsanitized address " + url);
        // Also through uriparser, which plain addresses skip when they are read.
        const auto parts = Url::parse(url);
        require(parts && Url::assemble(*parts) == url, "address does not read back " + url);
    }
    void text(const std::string& text, std::size_t maximum) {
        require(AppDataSanitizer::text(text, maximum) == text, "bad text " + text);
    }

    std::vector<std::string> broken;
};

}  // namespace

std::vector<std::string> DocumentInvariants::violations(const AppDataSnapshot& document) {
    Checker check;
    check.require(document.version == 2, "version is not 2");

    std::set<std::string> categoryIDs;
    for (std::size_t index = 0; index < document.bookmarkCategories.size(); ++index) {
        const auto& category = document.bookmarkCategories[index];
        check.identifier(category.id, categoryIDs);
        check.text(category.title, 64);
        check.require(category.position == index, "category position is not its index");
        check.require(category.createdAt >= 1, "category createdAt is 0");
    }

    std::set<std::string> bookmarkIDs;
    std::set<std::string> addresses;
    std::map<std::optional<std::string>, std::vector<std::uint32_t>> positionsByGroup;
    for (const auto& bookmark : document.bookmarks) {
        check.identifier(bookmark.id, bookmarkIDs);
        check.address(bookmark.url);
        check.require(addresses.insert(bookmark.url).second, "duplicate address " + bookmark.url);
        check.text(bookmark.title, 512);
        const auto& icon = bookmark.faviconURL;
        check.require(!icon || AppDataSanitizer::webURL(*icon) == icon ||
                          Url::faviconURL(bookmark.url) == icon,
                      "icon neither sanitized nor derived: " + icon.value_or(""));
        check.require(bookmark.createdAt >= 1, "bookmark createdAt is 0");
        check.require(!bookmark.categoryID || categoryIDs.contains(*bookmark.categoryID),
                      "bookmark names a missing category");
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
        check.identifier(entry.id, historyIDs);
        check.address(entry.url);
        check.text(entry.title, 512);
        check.require(entry.visitedAt >= 1, "history visitedAt is 0");
    }

    const auto& settings = document.settings;
    check.text(settings.shortcut, 128);
    check.text(settings.previousWindowShortcut, 128);
    check.text(settings.nextWindowShortcut, 128);
    const auto& theme = settings.themePreference;
    check.require(theme == "system" || theme == "light" || theme == "dark", "unknown theme");
    check.require(settings.defaultOpacity >= 0.1 && settings.defaultOpacity <= 1.0,
                  "opacity out of range");
    check.require(!settings.defaultAlwaysOnTop, "defaultAlwaysOnTop is stored");
    return check.broken;
}

}  // namespace velumo
