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
    std::string text;
    for (const auto& item : items) {
        text += (text.empty() ? "[" : ",") + item;
    }
    return text.empty() ? "[]" : text + "]";
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
    EXPECT_EQ(AppDataSanitizer::decode(GetParam()), std::nullopt) << GetParam().substr(0, 200);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, UnreadableDocument,
    testing::Values(
        "", "not json", "[]", file("[]") + " trailing",
        R"({"bookmarks": [], "history": [], "settings": {}})",
        R"({"version": 2, "bookmarks": [], "settings": {}})", file("[]", "[]", "null"), file("[1]"),
        file("[]", "[]", "{}", R"(, "bookmarkCategories": {})"),
        R"({"version": 3, "bookmarks": [], "history": [], "settings": {}})",
        R"({"version": 0, "bookmarks": [], "history": [], "settings": {}})",
        R"({"version": 2.0, "bookmarks": [], "history": [], "settings": {}})",
        R"({"version": "2", "bookmarks": [], "history": [], "settings": {}})",
        file("[]", "[]", "{}", R"(, "defaultBookmarksSeedVersion": 9223372036854775808)"),
        file(list({bookmark("a", "https://a.com", R"(, "createdAt": -5)")})),
        file(list({bookmark("a", "https://a.com", R"(, "createdAt": 1.5)")})),
        file(list({bookmark("a", "https://a.com", R"(, "createdAt": 18446744073709551616)")})),
        file(list({bookmark("a", "https://a.com", R"(, "position": 4294967296)")})),
        file(list({bookmark("a", "https://a.com", R"(, "title": null)")})),
        file(list({bookmark("a", "https://a.com", R"(, "faviconUrl": 5)")})),
        file("[]", R"([{"id": "h", "url": "https://a.com", "title": "T"}])"),
        file("[]", "[]", R"({"searchEngine": 1})"), file("[]", "[]", R"({"defaultOpacity": "1"})"),
        // Nesting far deeper than any real file, even under an unknown key.
        file("[]", "[]", "{}",
             R"(, "unknown": )" + std::string(100000, '[') + std::string(100000, ']'))));

TEST(DecodeDocument, AVersion1FileWithoutOptionalKeysIsRead) {
    const auto document =
        decoded(R"({"version": 1, "bookmarks": [], "history": [], "settings": {}, )"
                R"("future": {"x": [1, {"y": null}, [[[[[]]]]]]}})");
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
}

TEST(DecodeDocument, NullCountsAsAbsentAndALaterDuplicateKeyWins) {
    const auto document = decoded(
        file(list({bookmark("a", "https://a.com/x",
                            R"(, "position": null, "faviconUrl": null, "categoryId": null)")}),
             "[]", R"({"shortcut": null, "autoHideToolbar": false, "autoHideToolbar": true})",
             R"(, "bookmarkCategories": null, "defaultBookmarksSeedVersion": null)"));
    ASSERT_EQ(document.bookmarks.size(), 1U);
    EXPECT_EQ(document.bookmarks[0].faviconURL, "https://a.com/favicon.ico");
    EXPECT_EQ(document.bookmarks[0].categoryID, std::nullopt);
    EXPECT_EQ(document.settings.shortcut, "Command+Option+B");
    EXPECT_TRUE(document.settings.autoHideToolbar);
    EXPECT_TRUE(
        decoded(file(list({bookmark("a", "https://a.com")}), "[]", "{}", R"(, "bookmarks": [])"))
            .bookmarks.empty());
}

TEST(DecodeBookmarks, InvalidRecordsAreDroppedAndTheRestIsKept) {
    const auto document = decoded(file(list({
        bookmark("zero", "https://a.com", R"(, "createdAt": 0)"),
        bookmark("js", "javascript:alert(1)"),
        bookmark("nohost", "https:/path"),
        bookmark("bad.id", "https://b.com"),
        R"({"id": "zwj", "url": "https://d.com", "title": "a\u200db", "createdAt": 1})",
        bookmark("caps", "HTTPS://EXAMPLE.COM/Path"),
        bookmark("wiki", " https://zh.wikipedia.org/wiki/北京 "),
    })));
    EXPECT_EQ(ids(document.bookmarks), (std::vector<std::string>{"caps", "wiki"}));
    EXPECT_EQ(document.bookmarks[0].url, "HTTPS://EXAMPLE.COM/Path");
    EXPECT_EQ(document.bookmarks[1].url, "https://zh.wikipedia.org/wiki/%E5%8C%97%E4%BA%AC");
}

TEST(DecodeBookmarks, DuplicatesKeepTheFirstAndAnAddressDuplicateStillTakesItsID) {
    const auto document = decoded(file(list({
        bookmark("zero", "ftp://a.com"),  // dropped as invalid: its id is not taken
        bookmark("zero", "https://z.com"),
        bookmark("one", "https://a.com"),
        bookmark("one", "https://b.com"),
        bookmark("two", " https://a.com "),
        bookmark("two", "https://c.com"),
    })));
    EXPECT_EQ(ids(document.bookmarks), (std::vector<std::string>{"zero", "one"}));
}

TEST(DecodeBookmarks, IconAddressIsCheckedOrDerivedFromThePage) {
    const auto document = decoded(file(list({
        bookmark("ftp", "https://u@a.com:8443/p?q#f", R"(, "faviconUrl": "ftp://a.com/i.ico")"),
        bookmark("empty", "https://b.com/p", R"(, "faviconUrl": "")"),
        bookmark("own", "https://c.com/p", R"(, "faviconUrl": " https://cdn.c.com/图.png ")"),
        bookmark("ip", "http://[::1]:8080/x?y"),
    })));
    ASSERT_EQ(document.bookmarks.size(), 4U);
    EXPECT_EQ(document.bookmarks[0].faviconURL, "https://u@a.com:8443/favicon.ico");
    EXPECT_EQ(document.bookmarks[1].faviconURL, "https://b.com/favicon.ico");
    EXPECT_EQ(document.bookmarks[2].faviconURL, "https://cdn.c.com/%E5%9B%BE.png");
    EXPECT_EQ(document.bookmarks[3].faviconURL, "http://[::1]:8080/favicon.ico");
}

TEST(DecodeBookmarks, CategoriesMustBeKeptAndPositionsBecomeRanksPerCategory) {
    const auto document =
        decoded(file(list({
                         bookmark("a", "https://a.com", R"(, "position": 7)"),
                         bookmark("b", "https://b.com", R"(, "position": 3, "categoryId": "c")"),
                         bookmark("c", "https://c.com", R"(, "position": 3)"),
                         bookmark("d", "https://d.com", R"(, "position": 3, "categoryId": "c")"),
                         bookmark("e", "https://e.com", R"(, "categoryId": "dropped")"),
                     }),
                     "[]", "{}",
                     R"(, "bookmarkCategories": [{"id": "c", "title": "C", "createdAt": 1},
                                    {"id": "dropped", "title": "D", "createdAt": 0}])"));
    EXPECT_EQ(ids(document.bookmarks), (std::vector<std::string>{"a", "b", "c", "d", "e"}));
    std::vector<std::pair<std::optional<std::string>, std::uint32_t>> placed;
    for (const auto& item : document.bookmarks) {
        placed.emplace_back(item.categoryID, item.position);
    }
    EXPECT_EQ(placed,
              (std::vector<std::pair<std::optional<std::string>, std::uint32_t>>{
                  {std::nullopt, 2}, {"c", 0}, {std::nullopt, 1}, {"c", 1}, {std::nullopt, 0}}));
}

TEST(DecodeCategories, SortedStablyByPositionThenNumberedWithTitlesOfAtMost64) {
    const auto document = decoded(file("[]", "[]", "{}", R"(, "bookmarkCategories": [
        {"id": "A", "title": "A", "position": 5, "createdAt": 1},
        {"id": "B", "title": " B ", "position": 2, "createdAt": 1},
        {"id": "C", "title": "C", "position": 2, "createdAt": 1},
        {"id": "B", "title": "B again", "position": 0, "createdAt": 1},
        {"id": "L", "title": ")" + std::string(65, 'x') + R"(", "createdAt": 1},
        {"id": "D", "title": ")" + std::string(64, 'x') + R"(", "createdAt": 1}])"));
    std::vector<std::pair<std::string, std::uint32_t>> order;
    for (const auto& category : document.bookmarkCategories) {
        order.emplace_back(category.id, category.position);
    }
    EXPECT_EQ(order, (std::vector<std::pair<std::string, std::uint32_t>>{
                         {"D", 0}, {"B", 1}, {"C", 2}, {"A", 3}}));
    EXPECT_EQ(document.bookmarkCategories[1].title, "B");
}

TEST(DecodeHistory, KeepsTheFirst50ValidEntriesWithRepeatedAddresses) {
    std::vector<std::string> entries{
        R"({"id": "h0", "url": "ftp://a.com", "title": "T", "visitedAt": 1})",
        R"({"id": "z", "url": "https://a.com", "title": "T", "visitedAt": 0})"};
    for (int i = 0; i < 60; ++i) {
        entries.push_back(R"({"id": "h)" + std::to_string(i % 55) +
                          R"(", "url": "https://same.com", "title": "T", "visitedAt": 1})");
    }
    const auto document = decoded(file("[]", list(entries)));
    ASSERT_EQ(document.history.size(), 50U);
    EXPECT_EQ(document.history.front().id, "h0");
    EXPECT_EQ(document.history.back().id, "h49");
}

TEST(DecodeSettings, UnusableValuesTakeTheirDefaults) {
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
        "nextWindowShortcut": ")" + std::string(128, 'x') +
                                           R"(",
        "themePreference": "dark", "keepRunningAfterLastWindow": false,
        "autoHideToolbar": true, "menuBarIconStyle": "hidden", "defaultOpacity": 0.35})"));
    AppSettings expected;
    expected.searchEngine = SearchEngine::duckduckgo;
    expected.shortcut = "Control+Shift+K";
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
    EXPECT_EQ(opacity("-3"), 0.1);
    EXPECT_EQ(opacity("0.1"), 0.1);
    EXPECT_EQ(opacity("0.35"), 0.35);
    EXPECT_EQ(opacity("1"), 1.0);
    EXPECT_EQ(opacity("1.5"), 1.0);
}

TEST(EncodeDocument, WritesSortedKeysPrettyPrintedAndReadsBackUnchanged) {
    AppDataSnapshot document;
    document.version = 1;
    document.bookmarkCategories.push_back({"c", "分类", 0, 9});
    Bookmark item;
    item.id = "a";
    item.url = "https://a.com";
    item.title = "A \"/\\";
    item.categoryID = "c";
    item.createdAt = std::numeric_limits<std::uint64_t>::max();
    document.bookmarks.push_back(item);
    document.settings.defaultAlwaysOnTop = false;
    const auto bytes = AppDataSanitizer::encode(document);
    EXPECT_EQ(bytes, R"({
  "bookmarkCategories": [
    {
      "createdAt": 9,
      "id": "c",
      "position": 0,
      "title": "分类"
    }
  ],
  "bookmarks": [
    {
      "categoryId": "c",
      "createdAt": 18446744073709551615,
      "id": "a",
      "position": 0,
      "title": "A \"/\\",
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
    item.faviconURL = "https://a.com/favicon.ico";
    document.bookmarks = {item};
    document.version = 2;
    document.settings.defaultAlwaysOnTop.reset();
    document.settings.defaultOpacity = 0.1 + 0.2;
    EXPECT_EQ(AppDataSanitizer::decode(AppDataSanitizer::encode(document).value()), document);
}

TEST(EncodeDocument, FailsInsteadOfWritingWhatJsonCannotHold) {
    AppDataSnapshot document;
    for (const double opacity : {std::nan(""), std::numeric_limits<double>::infinity()}) {
        document.settings.defaultOpacity = opacity;
        const auto bytes = AppDataSanitizer::encode(document);
        ASSERT_FALSE(bytes);
        EXPECT_FALSE(bytes.error().empty());
    }
    document.settings.defaultOpacity = 1.0;
    document.history.push_back({"h", "https://a.com", "bad\xFF", 1});
    EXPECT_FALSE(AppDataSanitizer::encode(document));
}

}  // namespace
}  // namespace velumo
