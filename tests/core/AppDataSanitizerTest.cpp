#include <cmath>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>

#include "data/AppDataSanitizer.h"

namespace velumo {
namespace {

std::string file(std::string_view bookmarks, std::string_view history = "[]",
                 std::string_view settings = "{}", std::string_view more = "") {
    return R"({"version": 2, "bookmarks": )" + std::string(bookmarks) + R"(, "history": )" +
           std::string(history) + R"(, "settings": )" + std::string(settings) + std::string(more) +
           "}";
}

std::string bookmark(std::string_view id, std::string_view url, std::string_view more = "") {
    return R"({"id": ")" + std::string(id) + R"(", "url": ")" + std::string(url) +
           R"(", "title": "T", "createdAt": 1)" + std::string(more) + "}";
}

std::string list(const std::vector<std::string>& items) {
    std::string text = "[";
    for (const auto& item : items) {
        text += (text.size() > 1 ? "," : "") + item;
    }
    return text + "]";
}

AppDataSnapshot decoded(const std::string& bytes) {
    auto document = AppDataSanitizer::decode(bytes);
    EXPECT_TRUE(document) << bytes;
    return document.value_or(AppDataSnapshot{});
}

std::vector<std::string> ids(const std::vector<Bookmark>& bookmarks) {
    std::vector<std::string> result;
    for (const auto& item : bookmarks) {
        result.push_back(item.id);
    }
    return result;
}

class UnreadableDocument : public testing::TestWithParam<std::string> {};

TEST_P(UnreadableDocument, DecodesToNothing) {
    EXPECT_EQ(AppDataSanitizer::decode(GetParam()), std::nullopt) << GetParam();
}

INSTANTIATE_TEST_SUITE_P(
    NotJsonOrWrongShape, UnreadableDocument,
    testing::Values(std::string(), "not json", "[]", "null", R"({"version": 2,)",
                    file("[]") + " trailing", file("[]").substr(0, 30),
                    R"({"bookmarks": [], "history": [], "settings": {}})",
                    R"({"version": 2, "history": [], "settings": {}})",
                    R"({"version": 2, "bookmarks": [], "settings": {}})",
                    R"({"version": 2, "bookmarks": [], "history": []})", file("{}"), file("[1]"),
                    file("[[]]"), file("[]", "[]", "null"), file("[]", "[]", "[]"), file("null"),
                    file("[]", "[]", "{}", R"(, "bookmarkCategories": {})"),
                    file("[]", "[]", "{}", R"(, "bookmarkCategories": [null])")));

INSTANTIATE_TEST_SUITE_P(
    Versions, UnreadableDocument,
    testing::Values(R"({"version": 3, "bookmarks": [], "history": [], "settings": {}})",
                    R"({"version": 0, "bookmarks": [], "history": [], "settings": {}})",
                    R"({"version": -2, "bookmarks": [], "history": [], "settings": {}})",
                    R"({"version": 2.0, "bookmarks": [], "history": [], "settings": {}})",
                    R"({"version": "2", "bookmarks": [], "history": [], "settings": {}})",
                    R"({"version": null, "bookmarks": [], "history": [], "settings": {}})",
                    file("[]", "[]", "{}",
                         R"(, "defaultBookmarksSeedVersion": 9223372036854775808)"),
                    file("[]", "[]", "{}", R"(, "defaultBookmarksSeedVersion": 1.0)"),
                    file("[]", "[]", "{}", R"(, "defaultBookmarksSeedVersion": "1")")));

INSTANTIATE_TEST_SUITE_P(
    IntegerRanges, UnreadableDocument,
    testing::Values(
        file(R"([{"id": "a", "url": "https://a.com", "title": "T", "createdAt": -5}])"),
        file(R"([{"id": "a", "url": "https://a.com", "title": "T", "createdAt": 1.5}])"),
        file(R"([{"id": "a", "url": "https://a.com", "title": "T", "createdAt": 1e3}])"),
        file(
            R"([{"id": "a", "url": "https://a.com", "title": "T", "createdAt": 18446744073709551616}])"),
        file(R"([{"id": "a", "url": "https://a.com", "title": "T", "createdAt": "1"}])"),
        file(list({bookmark("a", "https://a.com", R"(, "position": 4294967296)")})),
        file(list({bookmark("a", "https://a.com", R"(, "position": -1)")})),
        file("[]", R"([{"id": "h", "url": "https://a.com", "title": "T", "visitedAt": -1}])"),
        file("[]", "[]", "{}",
             R"(, "bookmarkCategories": [{"id": "c", "title": "C", "createdAt": 0.5}])")));

INSTANTIATE_TEST_SUITE_P(
    WrongTypesAndMissingKeys, UnreadableDocument,
    testing::Values(
        file(R"([{"id": 7, "url": "https://a.com", "title": "T", "createdAt": 1}])"),
        file(R"([{"id": "a", "url": "https://a.com", "title": null, "createdAt": 1}])"),
        file(R"([{"id": "a", "title": "T", "createdAt": 1}])"),
        file(R"([{"id": "a", "url": ["https://a.com"], "title": "T", "createdAt": 1}])"),
        file(list({bookmark("a", "https://a.com", R"(, "faviconUrl": 5)")})),
        file(list({bookmark("a", "https://a.com", R"(, "categoryId": {})")})),
        file("[]", R"([{"id": "h", "url": "https://a.com", "title": "T"}])"),
        file("[]", "[]", "{}", R"(, "bookmarkCategories": [{"id": "c", "createdAt": 1}])"),
        file("[]", "[]", R"({"searchEngine": 1})"),
        file("[]", "[]", R"({"defaultOpacity": "0.5"})"),
        file("[]", "[]", R"({"autoHideToolbar": "true"})"),
        file("[]", "[]", R"({"shortcut": ["Command+B"]})"),
        file("[]", "[]", R"({"themePreference": false})"),
        file("[]", "[]", R"({"defaultOpacity": 1e400})")));

TEST(DecodeDocument, AVersion1FileWithoutOptionalKeysIsRead) {
    const auto document = decoded(
        R"({"version": 1, "bookmarks": [], "history": [], "settings": {}, "future": {"x": [1, {"y": null}]}})");
    EXPECT_EQ(document.version, 2);
    EXPECT_EQ(document.defaultBookmarksSeedVersion, 0);
    EXPECT_TRUE(document.bookmarkCategories.empty());
    EXPECT_EQ(document.settings, AppSettings{});
}

TEST(DecodeDocument, SixtyFourBitIntegersAreExact) {
    const auto document = decoded(
        file(list({bookmark("a", "https://a.com",
                            R"(, "createdAt": 18446744073709551615, "position": 4294967295)")}),
             "[]", "{}", R"(, "defaultBookmarksSeedVersion": -9223372036854775808)"));
    ASSERT_EQ(document.bookmarks.size(), 1U);
    EXPECT_EQ(document.bookmarks[0].createdAt, std::numeric_limits<std::uint64_t>::max());
    EXPECT_EQ(document.defaultBookmarksSeedVersion, std::numeric_limits<std::int64_t>::min());
    EXPECT_EQ(decoded(file("[]", "[]", "{}", R"(, "defaultBookmarksSeedVersion": -1)"))
                  .defaultBookmarksSeedVersion,
              -1);
}

TEST(DecodeDocument, NullCountsAsAbsentForOptionalKeys) {
    const auto document = decoded(
        file(list({bookmark("a", "https://a.com/x",
                            R"(, "position": null, "faviconUrl": null, "categoryId": null)")}),
             "[]", R"({"searchEngine": null, "shortcut": null, "defaultOpacity": null})",
             R"(, "bookmarkCategories": null, "defaultBookmarksSeedVersion": null)"));
    ASSERT_EQ(document.bookmarks.size(), 1U);
    EXPECT_EQ(document.bookmarks[0].faviconURL, "https://a.com/favicon.ico");
    EXPECT_EQ(document.bookmarks[0].categoryID, std::nullopt);
    EXPECT_EQ(document.settings, AppSettings{});
}

TEST(DecodeDocument, ALaterDuplicateKeyReplacesTheEarlierValue) {
    const auto document =
        decoded(R"({"version": 9, "version": 2, "bookmarks": [)" + bookmark("x", "https://x.com") +
                R"(], "bookmarks": [], "history": [], )"
                R"("settings": {"autoHideToolbar": false, "autoHideToolbar": true}})");
    EXPECT_TRUE(document.bookmarks.empty());
    EXPECT_TRUE(document.settings.autoHideToolbar);
    EXPECT_EQ(
        AppDataSanitizer::decode(
            R"({"version": 2, "version": null, "bookmarks": [], "history": [], "settings": {}})"),
        std::nullopt);
}

TEST(DecodeDocument, NestingFarDeeperThanAnyRealFileIsUnreadable) {
    const std::string deep = std::string(100000, '[') + std::string(100000, ']');
    EXPECT_EQ(AppDataSanitizer::decode(deep), std::nullopt);
    EXPECT_EQ(AppDataSanitizer::decode(file("[]", "[]", "{}", R"(, "unknown": )" + deep)),
              std::nullopt);
    const std::string shallow = std::string(50, '[') + std::string(50, ']');
    EXPECT_TRUE(AppDataSanitizer::decode(file("[]", "[]", "{}", R"(, "unknown": )" + shallow)));
}

TEST(DecodeDocument, AByteOrderMarkBeforeTheDocumentIsAccepted) {
    EXPECT_TRUE(AppDataSanitizer::decode("\xEF\xBB\xBF" + file("[]")));
}

TEST(DecodeBookmarks, InvalidRecordsAreDroppedAndTheRestIsKept) {
    const auto document = decoded(file(list({
        bookmark("zero", "https://a.com", R"(, "createdAt": 0)"),
        bookmark("js", "javascript:alert(1)"),
        bookmark("ftp", "ftp://a.com/file"),
        bookmark("nohost", "https:/path"),
        bookmark("bad.id", "https://b.com"),
        R"({"id": "blank", "url": "https://c.com", "title": "   ", "createdAt": 1})",
        R"({"id": "zwj", "url": "https://d.com", "title": "a\u200db", "createdAt": 1})",
        bookmark("caps", "HTTPS://EXAMPLE.COM/Path"),
    })));
    EXPECT_EQ(ids(document.bookmarks), std::vector<std::string>{"caps"});
    EXPECT_EQ(document.bookmarks[0].url, "HTTPS://EXAMPLE.COM/Path");
}

TEST(DecodeBookmarks, DuplicatesKeepTheFirstAndAnAddressDuplicateStillTakesItsID) {
    const auto document = decoded(file(list({
        bookmark("one", "https://a.com"),
        bookmark("one", "https://b.com"),
        bookmark("two", " https://a.com "),
        bookmark("two", "https://c.com"),
        bookmark("three", "https://d.com"),
    })));
    EXPECT_EQ(ids(document.bookmarks), (std::vector<std::string>{"one", "three"}));
}

TEST(DecodeBookmarks, AnInvalidRecordDoesNotTakeItsID) {
    const auto document = decoded(file(list({
        bookmark("one", "ftp://a.com"),
        bookmark("one", "https://a.com"),
    })));
    ASSERT_EQ(ids(document.bookmarks), std::vector<std::string>{"one"});
    EXPECT_EQ(document.bookmarks[0].url, "https://a.com");
}

TEST(DecodeBookmarks, TrimsTitlesAndLimitsThemTo512Characters) {
    std::string longest;
    for (int i = 0; i < 512; ++i) {
        longest += "字";
    }
    const auto document = decoded(file(list({
        R"({"id": "a", "url": "https://a.com", "title": " )" + longest + R"( ", "createdAt": 1})",
        R"({"id": "b", "url": "https://b.com", "title": ")" + longest + R"(x", "createdAt": 1})",
    })));
    ASSERT_EQ(ids(document.bookmarks), std::vector<std::string>{"a"});
    EXPECT_EQ(document.bookmarks[0].title, longest);
}

TEST(DecodeBookmarks, IdentifiersOfUpTo64LettersDigitsUnderscoresAndHyphens) {
    const auto document = decoded(file(list({
        bookmark(std::string(64, 'x'), "https://a.com"),
        bookmark(std::string(65, 'y'), "https://b.com"),
        bookmark("北京_2-书签", "https://c.com"),
        bookmark("with space", "https://d.com"),
    })));
    EXPECT_EQ(ids(document.bookmarks),
              (std::vector<std::string>{std::string(64, 'x'), "北京_2-书签"}));
}

TEST(DecodeBookmarks, AddressesAreStoredInTheirSanitizedForm) {
    const std::string prefix = "https://a.com/";
    const auto document = decoded(file(list({
        bookmark("a", "  https://zh.wikipedia.org/wiki/北京 "),
        bookmark("b", prefix + std::string(4096 - prefix.size() + 1, 'x')),
        bookmark("c", prefix + std::string(4096 - prefix.size(), 'x')),
    })));
    ASSERT_EQ(ids(document.bookmarks), (std::vector<std::string>{"a", "c"}));
    EXPECT_EQ(document.bookmarks[0].url, "https://zh.wikipedia.org/wiki/%E5%8C%97%E4%BA%AC");
}

TEST(DecodeBookmarks, IconAddressIsCheckedOrDerivedFromThePage) {
    const auto document = decoded(file(list({
        bookmark("ftp", "https://u@a.com:8443/p?q#f", R"(, "faviconUrl": "ftp://a.com/i.ico")"),
        bookmark("empty", "https://b.com/p", R"(, "faviconUrl": "")"),
        bookmark("own", "https://c.com/p", R"(, "faviconUrl": " https://cdn.c.com/图.png ")"),
        bookmark("none", "http://[::1]:8080/x?y"),
    })));
    ASSERT_EQ(document.bookmarks.size(), 4U);
    EXPECT_EQ(document.bookmarks[0].faviconURL, "https://u@a.com:8443/favicon.ico");
    EXPECT_EQ(document.bookmarks[1].faviconURL, "https://b.com/favicon.ico");
    EXPECT_EQ(document.bookmarks[2].faviconURL, "https://cdn.c.com/%E5%9B%BE.png");
    EXPECT_EQ(document.bookmarks[3].faviconURL, "http://[::1]:8080/favicon.ico");
}

TEST(DecodeBookmarks, CategoryMustNameAKeptCategory) {
    const auto document =
        decoded(file(list({
                         bookmark("a", "https://a.com", R"(, "categoryId": "kept")"),
                         bookmark("b", "https://b.com", R"(, "categoryId": "dropped")"),
                         bookmark("c", "https://c.com", R"(, "categoryId": "missing")"),
                     }),
                     "[]", "{}",
                     R"(, "bookmarkCategories": [{"id": "kept", "title": "K", "createdAt": 1},
                                    {"id": "dropped", "title": "D", "createdAt": 0}])"));
    ASSERT_EQ(document.bookmarks.size(), 3U);
    EXPECT_EQ(document.bookmarks[0].categoryID, "kept");
    EXPECT_EQ(document.bookmarks[1].categoryID, std::nullopt);
    EXPECT_EQ(document.bookmarks[2].categoryID, std::nullopt);
}

TEST(DecodeBookmarks, PositionsBecomeDenseRanksPerCategoryWithoutReordering) {
    const auto document = decoded(
        file(list({
                 bookmark("a", "https://a.com", R"(, "position": 7)"),
                 bookmark("b", "https://b.com", R"(, "position": 3, "categoryId": "c")"),
                 bookmark("c", "https://c.com", R"(, "position": 3)"),
                 bookmark("d", "https://d.com", R"(, "position": 3, "categoryId": "c")"),
                 bookmark("e", "https://e.com"),
             }),
             "[]", "{}", R"(, "bookmarkCategories": [{"id": "c", "title": "C", "createdAt": 1}])"));
    EXPECT_EQ(ids(document.bookmarks), (std::vector<std::string>{"a", "b", "c", "d", "e"}));
    std::vector<std::uint32_t> positions;
    for (const auto& item : document.bookmarks) {
        positions.push_back(item.position);
    }
    EXPECT_EQ(positions, (std::vector<std::uint32_t>{2, 0, 1, 1, 0}));
}

TEST(DecodeCategories, SortedStablyByPositionThenNumbered) {
    const auto document = decoded(file("[]", "[]", "{}", R"(, "bookmarkCategories": [
        {"id": "A", "title": "A", "position": 5, "createdAt": 1},
        {"id": "B", "title": "B", "position": 2, "createdAt": 1},
        {"id": "C", "title": "C", "position": 2, "createdAt": 1},
        {"id": "B", "title": "B again", "position": 0, "createdAt": 1},
        {"id": "D", "title": "D", "createdAt": 1}])"));
    std::vector<std::pair<std::string, std::uint32_t>> order;
    for (const auto& category : document.bookmarkCategories) {
        order.emplace_back(category.id, category.position);
    }
    EXPECT_EQ(order, (std::vector<std::pair<std::string, std::uint32_t>>{
                         {"D", 0}, {"B", 1}, {"C", 2}, {"A", 3}}));
}

TEST(DecodeCategories, TitlesAreTrimmedAndLimitedTo64Characters) {
    const auto document = decoded(file("[]", "[]", "{}",
                                       R"(, "bookmarkCategories": [
        {"id": "ok", "title": " )" + std::string(64, 'a') +
                                           R"( ", "createdAt": 1},
        {"id": "long", "title": ")" + std::string(65, 'a') +
                                           R"(", "createdAt": 1}])"));
    ASSERT_EQ(document.bookmarkCategories.size(), 1U);
    EXPECT_EQ(document.bookmarkCategories[0].title, std::string(64, 'a'));
}

std::string historyEntry(int index, std::string_view id = "") {
    const auto number = std::to_string(index);
    return R"({"id": ")" + (id.empty() ? "h" + number : std::string(id)) +
           R"(", "url": "https://same.com", "title": "T)" + number + R"(", "visitedAt": 1})";
}

TEST(DecodeHistory, KeepsTheFirst50ValidEntriesInFileOrder) {
    std::vector<std::string> entries{historyEntry(0, "bad id"), historyEntry(0, "h0")};
    for (int i = 1; i < 60; ++i) {
        entries.push_back(historyEntry(i));
    }
    const auto document = decoded(file("[]", list(entries)));
    ASSERT_EQ(document.history.size(), 50U);
    EXPECT_EQ(document.history.front().id, "h0");
    EXPECT_EQ(document.history.back().id, "h49");
    EXPECT_EQ(document.history.back().url, "https://same.com");
}

TEST(DecodeHistory, DropsDuplicateIDsZeroTimesAndBadAddresses) {
    const auto document = decoded(file("[]", R"([
        {"id": "a", "url": "https://a.com", "title": "A", "visitedAt": 5},
        {"id": "a", "url": "https://b.com", "title": "B", "visitedAt": 5},
        {"id": "z", "url": "https://a.com", "title": "Z", "visitedAt": 0},
        {"id": "f", "url": "ftp://a.com", "title": "F", "visitedAt": 5},
        {"id": "b", "url": "https://a.com", "title": " B ", "visitedAt": 18446744073709551615}])"));
    ASSERT_EQ(document.history.size(), 2U);
    EXPECT_EQ(document.history[0].title, "A");
    EXPECT_EQ(document.history[1].title, "B");
}

TEST(DecodeSettings, MissingOrUnusableValuesTakeTheirDefaults) {
    const auto document = decoded(file("[]", "[]",
                                       R"({
        "searchEngine": "DuckDuckGo", "shortcut": "   ", "menuBarIconStyle": "star",
        "nextWindowShortcut": ")" + std::string(129, 'x') +
                                           R"(",
        "previousWindowShortcut": "\u200d", "themePreference": "Dark",
        "defaultAlwaysOnTop": false})"));
    EXPECT_EQ(document.settings, AppSettings{});
}

TEST(DecodeSettings, UsableValuesAreKept) {
    const auto document = decoded(file("[]", "[]",
                                       R"({
        "searchEngine": "duckduckgo", "shortcut": " Control+Shift+K ",
        "previousWindowShortcut": "Command+Option+1", "nextWindowShortcut": ")" +
                                           std::string(128, 'x') + R"(",
        "themePreference": "dark", "keepRunningAfterLastWindow": false,
        "autoHideToolbar": true, "menuBarIconStyle": "hidden", "defaultOpacity": 0.35})"));
    AppSettings expected;
    expected.searchEngine = SearchEngine::duckduckgo;
    expected.shortcut = "Control+Shift+K";
    expected.previousWindowShortcut = "Command+Option+1";
    expected.nextWindowShortcut = std::string(128, 'x');
    expected.themePreference = "dark";
    expected.keepRunningAfterLastWindow = false;
    expected.autoHideToolbar = true;
    expected.menuBarIconStyle = MenuBarIconStyle::hidden;
    expected.defaultOpacity = 0.35;
    EXPECT_EQ(document.settings, expected);
}

TEST(DecodeSettings, OpacityIsClampedBetweenATenthAndOne) {
    const auto opacity = [](std::string_view value) {
        return decoded(file("[]", "[]", R"({"defaultOpacity": )" + std::string(value) + "}"))
            .settings.defaultOpacity;
    };
    EXPECT_EQ(opacity("0.05"), 0.1);
    EXPECT_EQ(opacity("0.1"), 0.1);
    EXPECT_EQ(opacity("-3"), 0.1);
    EXPECT_EQ(opacity("0"), 0.1);
    EXPECT_EQ(opacity("0.35"), 0.35);
    EXPECT_EQ(opacity("1"), 1.0);
    EXPECT_EQ(opacity("1.5"), 1.0);
    EXPECT_EQ(opacity("18446744073709551616"), 1.0);
}

AppDataSnapshot richDocument() {
    AppDataSnapshot document;
    document.defaultBookmarksSeedVersion = std::numeric_limits<std::int64_t>::max();
    document.bookmarkCategories.push_back({"c", "分类 \"一\"", 0, 9});
    Bookmark first;
    first.id = "b-1";
    first.url = "https://example.com/a%20b?q=1#top";
    first.title = "标题 / \\ \"引号\"";
    first.faviconURL = "https://example.com/favicon.ico";
    first.createdAt = std::numeric_limits<std::uint64_t>::max();
    first.categoryID = "c";
    Bookmark second;
    second.id = "b-2";
    second.url = "http://xn--fsqu00a.xn--0zwm56d";
    second.title = "👍🏽";
    second.faviconURL = "http://xn--fsqu00a.xn--0zwm56d/favicon.ico";
    document.bookmarks = {first, second};
    document.history.push_back({"h-1", "https://example.com/", "Example", 1700000000000});
    document.settings.searchEngine = SearchEngine::google;
    document.settings.menuBarIconStyle = MenuBarIconStyle::pin;
    document.settings.defaultOpacity = 0.1 + 0.2;
    document.settings.themePreference = "light";
    return document;
}

TEST(EncodeDocument, WritesSortedKeysPrettyPrintedAndOmitsAbsentOptionals) {
    AppDataSnapshot document;
    document.version = 1;
    Bookmark item;
    item.id = "a";
    item.url = "https://a.com";
    item.title = "A";
    document.bookmarks.push_back(item);
    document.settings.defaultAlwaysOnTop = false;
    EXPECT_EQ(AppDataSanitizer::encode(document), R"({
  "bookmarkCategories": [],
  "bookmarks": [
    {
      "createdAt": 1,
      "id": "a",
      "position": 0,
      "title": "A",
      "url": "https://a.com"
    }
  ],
  "defaultBookmarksSeedVersion": 0,
  "history": [],
  "settings": {
    "autoHideToolbar": false,
    "defaultOpacity": 1.0,
    "keepRunningAfterLastWindow": true,
    "menuBarIconStyle": "eye",
    "nextWindowShortcut": "Command+Option+]",
    "previousWindowShortcut": "Command+Option+[",
    "searchEngine": "bing",
    "shortcut": "Command+Option+B",
    "themePreference": "system"
  },
  "version": 2
})");
}

TEST(EncodeDocument, WhatDecodeReadsIsWrittenAndReadBackUnchanged) {
    const auto document = richDocument();
    const auto bytes = AppDataSanitizer::encode(document);
    ASSERT_TRUE(bytes) << bytes.error();
    EXPECT_NE(bytes->find(R"("categoryId": "c")"), std::string::npos);
    EXPECT_NE(bytes->find(R"("faviconUrl": ")"), std::string::npos);
    EXPECT_EQ(AppDataSanitizer::decode(*bytes), document);
}

TEST(EncodeDocument, FailsInsteadOfWritingWhatJsonCannotHold) {
    auto document = richDocument();
    for (const double opacity : {std::nan(""), std::numeric_limits<double>::infinity(),
                                 -std::numeric_limits<double>::infinity()}) {
        document.settings.defaultOpacity = opacity;
        const auto bytes = AppDataSanitizer::encode(document);
        ASSERT_FALSE(bytes);
        EXPECT_FALSE(bytes.error().empty());
    }
    document = richDocument();
    document.bookmarks[0].title = "bad\xFF";
    EXPECT_FALSE(AppDataSanitizer::encode(document));
}

}  // namespace
}  // namespace velumo
