#include "data/AppDataSanitizer.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <functional>
#include <limits>
#include <numeric>
#include <tuple>
#include <unordered_map>

#include <nlohmann/json.hpp>

#include "data/DiskSnapshot.h"
#include "data/TextRules.h"
#include "data/Url.h"

namespace velumo {
namespace {

using Json = nlohmann::json;

constexpr std::size_t maximumURLBytes = 4096;
constexpr std::size_t maximumIDCharacters = 64;
constexpr std::size_t maximumTitleCharacters = 512;
constexpr std::size_t maximumCategoryTitleCharacters = 64;
constexpr std::size_t maximumShortcutCharacters = 128;
constexpr std::size_t maximumHistoryEntries = 50;
constexpr double minimumOpacity = 0.1;
constexpr double maximumOpacity = 1.0;

// For valid UTF-8 only. A character takes at least one byte, so text of no
// more bytes than the limit needs no count.
bool fitsCharacterLimit(std::string_view text, std::size_t maximum) {
    if (text.size() <= maximum) {
        return true;
    }
    const auto count = TextRules::characterCount(text);
    return count && *count <= maximum;
}

// Trimmed, non-empty, at most `maximum` characters, no control characters.
bool isAcceptableText(std::string_view trimmed, std::size_t maximum) {
    // The control check also refuses text that is not valid UTF-8.
    return !trimmed.empty() && !TextRules::containsControlCharacter(trimmed) &&
           fitsCharacterLimit(trimmed, maximum);
}

// text() for a string the caller gives up: kept without a copy when there is
// nothing to trim.
std::optional<std::string> takenText(std::string& value, std::size_t maximum) {
    const auto trimmed = TextRules::trimmed(value);
    if (!isAcceptableText(trimmed, maximum)) {
        return std::nullopt;
    }
    if (trimmed.size() == value.size()) {
        return std::move(value);
    }
    return std::string(trimmed);
}

// The address check on text already trimmed; `read` parses it.
template <typename Read>
std::optional<WebAddress> checkedWebAddress(std::string_view trimmed, Read read) {
    if (trimmed.empty() || trimmed.size() > maximumURLBytes ||
        TextRules::containsControlCharacter(trimmed)) {
        return std::nullopt;
    }
    auto address = read();
    // Escaping can make the stored form longer than what was typed; it must
    // meet the limit too, or the address would not survive the next read.
    if (!address || !address->hasHost || address->text.size() > maximumURLBytes) {
        return std::nullopt;
    }
    return address;
}

// webURL() for a string the caller gives up, with what the icon address needs.
std::optional<WebAddress> takenWebAddress(std::string& value) {
    const auto trimmed = TextRules::trimmed(value);
    return checkedWebAddress(trimmed, [&value, trimmed] {
        return trimmed.size() == value.size() ? Url::webAddressFrom(std::move(value))
                                              : Url::webAddress(trimmed);
    });
}

// The file's icon address when it passes the address check, else the one
// derived from the page's address.
std::string iconAddress(std::optional<std::string>& stored, const WebAddress& page) {
    if (!stored) {
        return Url::faviconURL(page);
    }
    // Files mostly hold the derived address itself. The result is then that
    // address whether it passes the check or not, so it needs no parsing.
    if (Url::isFaviconURL(*stored, page)) {
        return std::move(*stored);
    }
    auto checked = takenWebAddress(*stored);
    return checked ? std::move(checked->text) : Url::faviconURL(page);
}

// Texts seen so far, as views of strings that stay in place while the set
// lives. One flat table with open addressing: a check costs about one cache
// line, where a node-based set costs an allocation per text and a pointer
// chase per check.
class TextSet {
  public:
    // Holds at most `capacity` texts.
    explicit TextSet(std::size_t capacity)
        : mask_(std::bit_ceil(2 * capacity + 1) - 1), slots_(mask_ + 1) {
        texts_.reserve(capacity);
    }

    bool contains(std::string_view text) const { return slots_[slotOf(text).index].tag != 0; }

    // False when the text was there already.
    bool insert(std::string_view text) {
        const auto [index, tag] = slotOf(text);
        auto& slot = slots_[index];
        if (slot.tag != 0) {
            return false;
        }
        slot = {tag, static_cast<std::uint32_t>(texts_.size())};
        texts_.push_back(text);
        return true;
    }

  private:
    struct Slot {
        std::uint32_t tag = 0;  // high bits of the text's hash, never 0; 0 marks a free slot
        std::uint32_t text = 0;
    };
    struct Probe {
        std::size_t index;
        std::uint32_t tag;
    };

    // The slot that holds the text, or the free slot where it would go. The
    // table is always less than half full, so there is one.
    Probe slotOf(std::string_view text) const {
        const auto hash = std::hash<std::string_view>{}(text);
        const auto tag = static_cast<std::uint32_t>(hash >> 32U) | 1U;
        for (auto index = hash & mask_;; index = (index + 1) & mask_) {
            const auto& slot = slots_[index];
            if (slot.tag == 0 || (slot.tag == tag && texts_[slot.text] == text)) {
                return {index, tag};
            }
        }
    }

    std::size_t mask_;
    std::vector<Slot> slots_;
    std::vector<std::string_view> texts_;
};

std::uint32_t saturatedPosition(std::size_t rank) {
    return static_cast<std::uint32_t>(
        std::min<std::size_t>(rank, std::numeric_limits<std::uint32_t>::max()));
}

std::vector<BookmarkCategory> sanitizedCategories(std::vector<DiskCategory>& records) {
    std::vector<BookmarkCategory> kept;
    TextSet ids(records.size());
    for (auto& record : records) {
        if (!AppDataSanitizer::validID(record.id) || record.createdAt == 0) {
            continue;
        }
        auto title = takenText(record.title, maximumCategoryTitleCharacters);
        if (!title || !ids.insert(record.id)) {
            continue;
        }
        kept.push_back({record.id, std::move(*title), record.position, record.createdAt});
    }
    // Equal positions keep their file order.
    std::vector<std::size_t> order(kept.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::ranges::sort(order, [&kept](std::size_t a, std::size_t b) {
        return std::tie(kept[a].position, a) < std::tie(kept[b].position, b);
    });
    std::vector<BookmarkCategory> sorted;
    sorted.reserve(kept.size());
    for (const auto index : order) {
        sorted.push_back(std::move(kept[index]));
        sorted.back().position = saturatedPosition(sorted.size() - 1);
    }
    return sorted;
}

std::vector<Bookmark> sanitizedBookmarks(std::vector<DiskBookmark>& records,
                                         const std::vector<BookmarkCategory>& categories) {
    TextSet categoryIDs(categories.size());
    for (const auto& category : categories) {
        categoryIDs.insert(category.id);
    }
    std::vector<Bookmark> kept;
    // The sets view strings of the records or of the kept bookmarks, which
    // stay in place: the vector never grows beyond this reservation.
    kept.reserve(records.size());
    TextSet takenIDs(records.size());
    TextSet addresses(records.size());
    for (auto& record : records) {
        if (!AppDataSanitizer::validID(record.id) || record.createdAt == 0) {
            continue;
        }
        auto address = takenWebAddress(record.url);
        if (!address) {
            continue;
        }
        auto title = takenText(record.title, maximumTitleCharacters);
        if (!title || takenIDs.contains(record.id)) {
            continue;
        }
        if (addresses.contains(address->text)) {
            // Its id stays taken all the same.
            takenIDs.insert(record.id);
            continue;
        }
        auto& bookmark = kept.emplace_back();
        bookmark.id = std::move(record.id);
        bookmark.title = std::move(*title);
        bookmark.createdAt = record.createdAt;
        bookmark.position = record.position;
        if (record.categoryId && categoryIDs.contains(*record.categoryId)) {
            bookmark.categoryID = std::move(record.categoryId);
        }
        bookmark.faviconURL = iconAddress(record.faviconUrl, *address);
        bookmark.url = std::move(address->text);
        takenIDs.insert(bookmark.id);
        addresses.insert(bookmark.url);
    }
    AppDataSanitizer::normalizeBookmarkPositions(kept);
    return kept;
}

std::vector<HistoryEntry> sanitizedHistory(std::vector<DiskHistory>& records) {
    std::vector<HistoryEntry> kept;
    // Every id added keeps an entry.
    TextSet ids(std::min(records.size(), maximumHistoryEntries));
    for (auto& record : records) {
        if (kept.size() == maximumHistoryEntries) {
            break;
        }
        if (!AppDataSanitizer::validID(record.id) || record.visitedAt == 0) {
            continue;
        }
        auto address = takenWebAddress(record.url);
        if (!address) {
            continue;
        }
        auto title = takenText(record.title, maximumTitleCharacters);
        if (!title || !ids.insert(record.id)) {
            continue;
        }
        kept.push_back({record.id, std::move(address->text), std::move(*title), record.visitedAt});
    }
    return kept;
}

std::string sanitizedShortcut(const std::optional<std::string>& value,
                              const std::string& fallback) {
    if (!value) {
        return fallback;
    }
    return AppDataSanitizer::text(*value, maximumShortcutCharacters).value_or(fallback);
}

AppSettings sanitizedSettings(const DiskSettings& record) {
    const AppSettings defaults;
    AppSettings settings;
    settings.searchEngine = record.searchEngine.value_or(defaults.searchEngine);
    settings.shortcut = sanitizedShortcut(record.shortcut, defaults.shortcut);
    settings.previousWindowShortcut =
        sanitizedShortcut(record.previousWindowShortcut, defaults.previousWindowShortcut);
    settings.nextWindowShortcut =
        sanitizedShortcut(record.nextWindowShortcut, defaults.nextWindowShortcut);
    const auto& theme = record.themePreference;
    if (theme && (*theme == "system" || *theme == "light" || *theme == "dark")) {
        settings.themePreference = *theme;
    }
    settings.keepRunningAfterLastWindow =
        record.keepRunningAfterLastWindow.value_or(defaults.keepRunningAfterLastWindow);
    settings.autoHideToolbar = record.autoHideToolbar.value_or(defaults.autoHideToolbar);
    settings.menuBarIconStyle = record.menuBarIconStyle.value_or(defaults.menuBarIconStyle);
    const double opacity = record.defaultOpacity.value_or(defaults.defaultOpacity);
    settings.defaultOpacity = opacity <= minimumOpacity  ? minimumOpacity
                              : opacity > maximumOpacity ? maximumOpacity
                                                         : opacity;
    return settings;
}

// Objects are filled key by key: a braced list would first build a two-element
// array for every key.
Json recordJson(const std::string& id, const std::string& title) {
    Json object(Json::value_t::object);
    object["id"] = id;
    object["title"] = title;
    return object;
}

Json bookmarkJson(const Bookmark& bookmark) {
    Json object = recordJson(bookmark.id, bookmark.title);
    object["url"] = bookmark.url;
    object["createdAt"] = bookmark.createdAt;
    object["position"] = bookmark.position;
    if (bookmark.faviconURL) {
        object["faviconUrl"] = *bookmark.faviconURL;
    }
    if (bookmark.categoryID) {
        object["categoryId"] = *bookmark.categoryID;
    }
    return object;
}

Json categoryJson(const BookmarkCategory& category) {
    Json object = recordJson(category.id, category.title);
    object["position"] = category.position;
    object["createdAt"] = category.createdAt;
    return object;
}

Json historyJson(const HistoryEntry& entry) {
    Json object = recordJson(entry.id, entry.title);
    object["url"] = entry.url;
    object["visitedAt"] = entry.visitedAt;
    return object;
}

Json settingsJson(const AppSettings& settings) {
    Json object(Json::value_t::object);
    object["searchEngine"] = rawValue(settings.searchEngine);
    object["shortcut"] = settings.shortcut;
    object["previousWindowShortcut"] = settings.previousWindowShortcut;
    object["nextWindowShortcut"] = settings.nextWindowShortcut;
    object["themePreference"] = settings.themePreference;
    object["keepRunningAfterLastWindow"] = settings.keepRunningAfterLastWindow;
    object["autoHideToolbar"] = settings.autoHideToolbar;
    object["menuBarIconStyle"] = rawValue(settings.menuBarIconStyle);
    object["defaultOpacity"] = settings.defaultOpacity;
    return object;
}

template <typename Record>
Json arrayJson(const std::vector<Record>& records, Json (*toJson)(const Record&)) {
    Json array(Json::value_t::array);
    auto& elements = array.get_ref<Json::array_t&>();
    elements.reserve(records.size());
    for (const auto& record : records) {
        elements.push_back(toJson(record));
    }
    return array;
}

// Makes a record list comparable whatever the order and numbering reading
// gave it: positions go, records are sorted by their identifiers.
void withoutPositions(Json& document, const char* key) {
    const auto list = document.find(key);
    if (list == document.end() || !list->is_array()) {
        return;
    }
    auto& records = list->get_ref<Json::array_t&>();
    for (auto& record : records) {
        if (record.is_object()) {
            record.erase("position");
        }
    }
    const auto identifier = [](const Json& record) {
        const auto id = record.is_object() ? record.find("id") : record.end();
        return id != record.end() ? id->dump() : std::string();
    };
    // Identifiers repeat only where reading dropped a record, which the
    // lists' lengths tell whatever the order.
    std::ranges::sort(records, {}, identifier);
}

// Whether everything `original` holds is in `kept` unchanged; objects of
// `kept` may have keys more.
bool covers(const Json& original, const Json& kept) {
    if (original.is_object()) {
        return kept.is_object() && std::ranges::all_of(original.items(), [&kept](const auto& item) {
                   const auto found = kept.find(item.key());
                   return found != kept.end() && covers(item.value(), *found);
               });
    }
    if (original.is_array()) {
        return kept.is_array() && original.size() == kept.size() &&
               std::equal(original.begin(), original.end(), kept.begin(), covers);
    }
    return original == kept;
}

}  // namespace

std::optional<AppDataSnapshot> AppDataSanitizer::decode(std::string_view data) {
    auto file = DiskSnapshot::read(data);
    if (!file || (file->version != 1 && file->version != 2)) {
        return std::nullopt;
    }
    AppDataSnapshot snapshot;
    snapshot.defaultBookmarksSeedVersion = file->defaultBookmarksSeedVersion.value_or(0);
    snapshot.bookmarkCategories = sanitizedCategories(file->bookmarkCategories);
    snapshot.bookmarks = sanitizedBookmarks(file->bookmarks, snapshot.bookmarkCategories);
    snapshot.history = sanitizedHistory(file->history);
    snapshot.settings = sanitizedSettings(file->settings);
    return snapshot;
}

std::expected<std::string, std::string> AppDataSanitizer::encode(const AppDataSnapshot& snapshot) {
    // JSON has no form for these; the library would quietly write null.
    if (!std::isfinite(snapshot.settings.defaultOpacity)) {
        return std::unexpected("无法保存数据：默认不透明度不是有效的数值");
    }
    // nlohmann's objects keep their keys sorted, so the output is too.
    Json document(Json::value_t::object);
    document["version"] = 2;
    document["defaultBookmarksSeedVersion"] = snapshot.defaultBookmarksSeedVersion;
    document["bookmarks"] = arrayJson(snapshot.bookmarks, bookmarkJson);
    document["bookmarkCategories"] = arrayJson(snapshot.bookmarkCategories, categoryJson);
    document["history"] = arrayJson(snapshot.history, historyJson);
    document["settings"] = settingsJson(snapshot.settings);
    try {
        return document.dump(2);
    } catch (const Json::exception& error) {
        return std::unexpected(std::string("无法保存数据：") + error.what());
    }
}

bool AppDataSanitizer::keepsEverything(std::string_view data, const AppDataSnapshot& decoded) {
    const auto written = encode(decoded);
    if (!written) {
        return false;
    }
    if (*written == data) {
        return true;
    }
    Json original = Json::parse(data, nullptr, false);
    Json kept = Json::parse(*written, nullptr, false);
    if (!original.is_object() || !kept.is_object()) {
        return false;
    }
    original.erase("version");
    for (const char* list : {"bookmarks", "bookmarkCategories", "history"}) {
        withoutPositions(original, list);
        withoutPositions(kept, list);
    }
    return covers(original, kept);
}

std::optional<std::string> AppDataSanitizer::webURL(std::string_view text) {
    const auto trimmed = TextRules::trimmed(text);
    auto address = checkedWebAddress(trimmed, [trimmed] { return Url::webAddress(trimmed); });
    if (!address) {
        return std::nullopt;
    }
    return std::move(address->text);
}

std::optional<std::string> AppDataSanitizer::text(std::string_view text, std::size_t maximum) {
    const auto trimmed = TextRules::trimmed(text);
    if (!isAcceptableText(trimmed, maximum)) {
        return std::nullopt;
    }
    return std::string(trimmed);
}

bool AppDataSanitizer::validID(std::string_view text) {
    return !text.empty() && TextRules::isIdentifierText(text) &&
           fitsCharacterLimit(text, maximumIDCharacters);
}

void AppDataSanitizer::normalizeBookmarkPositions(std::vector<Bookmark>& bookmarks) {
    // Sorted on numbers rather than category texts: each category becomes a
    // group number, 0 standing for no category.
    struct Key {
        std::size_t group;
        std::uint32_t position;
        std::size_t index;
    };
    std::unordered_map<std::string_view, std::size_t> groups;
    std::vector<Key> keys;
    keys.reserve(bookmarks.size());
    for (std::size_t index = 0; index < bookmarks.size(); ++index) {
        const auto& bookmark = bookmarks[index];
        std::size_t group = 0;
        if (bookmark.categoryID) {
            group = groups.try_emplace(*bookmark.categoryID, groups.size() + 1).first->second;
        }
        keys.push_back({group, bookmark.position, index});
    }
    // Ordered by group, then position, then place in the list.
    std::ranges::sort(keys, [](const Key& a, const Key& b) {
        return std::tie(a.group, a.position, a.index) < std::tie(b.group, b.position, b.index);
    });
    std::size_t rank = 0;
    for (std::size_t k = 0; k < keys.size(); ++k) {
        if (k > 0 && keys[k].group != keys[k - 1].group) {
            rank = 0;
        }
        bookmarks[keys[k].index].position = saturatedPosition(rank++);
    }
}

}  // namespace velumo
