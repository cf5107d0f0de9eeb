#include <cmath>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>

#include "data/AppDataSanitizer.h"
#include "data/TextRules.h"

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

std::string categories(std::string_view records) {
    return R"(, "bookmarkCategories": )" + std::string(records);
}

// An unknown key whose value is `depth` nested lists: the document is one
// level deeper.
std::string nested(std::size_t depth) {
    return R"(, "unknown": )" + std::string(depth, '[') + std::string(depth, ']');
}

AppDataSnapshot decoded(const std::string& bytes) {
    auto document = AppDataSanitizer::decode(bytes);
    EXPECT_TRUE(document) << bytes;
    return document.value_or(AppDataSnapshot{});
}

// The kept bookmarks as "id:category:position".
std::vector<std::string> placed(const AppDataSnapshot& document) {
    std::vector<std::string> result;
    for (const auto& item : document.bookmarks) {
        result.push_back(item.id + ":" + item.categoryID.value_or("") + ":" +
                         std::to_string(item.position));
    }
    return result;
}

using Strings = std::vector<std::string>;

TEST(DecodeDocument, UnreadableFilesDecodeToNothing) {
    const std::string files[] = {
        "", "not json", "[]", file("[]") + " trailing",
        R"({"bookmarks": [], "history": [], "settings": {}})",
        R"({"version": 2, "bookmarks": [], "settings": {}})", file("[]", "[]", "null"), file("[1]"),
        file("[]", "[]", "{}", categories("{}")),
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
        file(list({bookmark("a", "https://a.com", ", \"title\": \"\xE4\xE4\"")})),
        file("[]", R"([{"id": "h", "url": "https://a.com", "title": "T"}])"),
        file("[]", "[]", "{}", categories(R"([{"id": "c", "title": "C"}])")),
        file("[]", "[]", R"({"searchEngine": 1})"), file("[]", "[]", R"({"defaultOpacity": "1"})"),
        // A list holds records only.
        file("[null]"), file("[]", "[null]"), file("[]", "[]", "{}", categories("[null]")),
        // A raw NUL never stands in JSON text; the parser would stop there.
        file("[]") + std::string("\0{\"version\": 3}", 15),
        // Nesting deeper than any real file, even under an unknown key.
        file("[]", "[]", "{}", nested(256)),
        file("[]", "[]", "{}",
             R"(, "unknown": )" + std::string(100000, '[') + std::string(100000, ']'))};
    for (const auto& bytes : files) {
        EXPECT_EQ(AppDataSanitizer::decode(bytes), std::nullopt) << bytes.substr(0, 200);
    }
}

TEST(DecodeDocument, OptionalKeysNullsDuplicateKeysAndExactIntegers) {
    const auto oldest = decoded(R"({"version": 1, "bookmarks": [], "history": [], "settings": {}, )"
                                R"("future": {"x": [1, {"y": null}, [[[[[]]]]]]}})");
    EXPECT_EQ(oldest.version, 2);
    EXPECT_EQ(oldest.defaultBookmarksSeedVersion, 0);
    EXPECT_EQ(oldest.settings, AppSettings{});
    EXPECT_TRUE(AppDataSanitizer::decode(file("[]", "[]", "{}", nested(255))));

    // null counts as absent, and a later duplicate key wins.
    const auto document = decoded(file(
        list({bookmark("a", "https://a.com/x",
                       R"(, "createdAt": 18446744073709551615, "position": 4294967295,
                                "faviconUrl": null, "categoryId": null)")}),
        "[]", R"({"shortcut": null, "autoHideToolbar": false, "autoHideToolbar": true})",
        R"(, "bookmarkCategories": null, "defaultBookmarksSeedVersion": -9223372036854775808)"));
    ASSERT_EQ(document.bookmarks.size(), 1U);
    EXPECT_EQ(document.bookmarks[0].createdAt, std::numeric_limits<std::uint64_t>::max());
    EXPECT_EQ(document.defaultBookmarksSeedVersion, std::numeric_limits<std::int64_t>::min());
    EXPECT_EQ(document.settings.shortcut, "Command+Option+B");
    EXPECT_TRUE(document.settings.autoHideToolbar);
    EXPECT_EQ(placed(decoded(file(list({bookmark("a", "https://a.com")}), "[]", "{}",
                                  R"(, "bookmarks": [])"))),
              Strings{});
}

TEST(DecodeBookmarks, InvalidRecordsAreDroppedAndDuplicatesKeepTheFirst) {
    const auto document = decoded(file(list({
        bookmark("zero", "https://a.com", R"(, "createdAt": 0)"),
        bookmark("js", "javascript:alert(1)"),
        bookmark("nohost", "https:/path"),
        bookmark("bad.id", "https://b.com"),
        R"({"id": "zwj", "url": "https://d.com", "title": "a\u200db", "createdAt": 1})",
        bookmark("caps", "HTTPS://EXAMPLE.COM/Path"),
        bookmark("wiki", " https://zh.wikipedia.org/wiki/北京 "),
        bookmark("one", "ftp://a.com"),  // dropped as invalid: its id is not taken
        bookmark("one", "https://a.com"),
        bookmark("caps", "https://c.com"),
        bookmark("two", " https://a.com "),  // same address: dropped, but its id is taken
        bookmark("two", "https://e.com"),
        bookmark("long", "https://f.com", R"(, "title": " )" + std::string(512, 'x') + " \""),
        bookmark("longer", "https://g.com", R"(, "title": ")" + std::string(513, 'x') + "\""),
    })));
    EXPECT_EQ(placed(document), (Strings{"caps::0", "wiki::1", "one::2", "long::3"}));
    EXPECT_EQ(document.bookmarks[0].url, "HTTPS://EXAMPLE.COM/Path");
    EXPECT_EQ(document.bookmarks[1].url, "https://zh.wikipedia.org/wiki/%E5%8C%97%E4%BA%AC");
}

TEST(DecodeBookmarks, IconAddressIsCheckedOrDerivedFromThePage) {
    const auto document = decoded(file(list({
        bookmark("ftp", "https://u@a.com:8443/p?q#f", R"(, "faviconUrl": "ftp://a.com/i.ico")"),
        bookmark("empty", "https://b.com/p", R"(, "faviconUrl": "")"),
        bookmark("own", "https://c.com/p", R"(, "faviconUrl": " https://cdn.c.com/图.png ")"),
        bookmark("ip", "http://[::1]:8080/x?y"),
        // The page's own origin does not spare an icon address the check.
        bookmark("same", "https://d.com/p",
                 R"(, "faviconUrl": "https://d.com/\u0007/favicon.ico")"),
    })));
    Strings icons;
    for (const auto& item : document.bookmarks) {
        icons.push_back(item.faviconURL.value_or("none"));
    }
    EXPECT_EQ(icons, (Strings{"https://u@a.com:8443/favicon.ico", "https://b.com/favicon.ico",
                              "https://cdn.c.com/%E5%9B%BE.png", "http://[::1]:8080/favicon.ico",
                              "https://d.com/favicon.ico"}));
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
                     "[]", "{}", categories(R"([{"id": "c", "title": "C", "createdAt": 1},
                                    {"id": "dropped", "title": "D", "createdAt": 0}])")));
    EXPECT_EQ(placed(document), (Strings{"a::2", "b:c:0", "c::1", "d:c:1", "e::0"}));
}

TEST(DecodeCategories, SortedStablyByPositionThenNumberedWithTitlesOfAtMost64) {
    const auto document = decoded(file("[]", "[]", "{}", categories(R"([
        {"id": "A", "title": "A", "position": 5, "createdAt": 1},
        {"id": "B", "title": " B ", "position": 2, "createdAt": 1},
        {"id": "C", "title": "C", "position": 2, "createdAt": 1},
        {"id": "B", "title": "B again", "position": 0, "createdAt": 1},
        {"id": "L", "title": ")" + std::string(65, 'x') + R"(", "createdAt": 1},
        {"id": "D", "title": ")" + std::string(64, 'x') + R"(", "createdAt": 1}])")));
    Strings order;
    for (const auto& category : document.bookmarkCategories) {
        order.push_back(category.title.substr(0, 1) + std::to_string(category.position));
    }
    EXPECT_EQ(order, (Strings{"x0", "B1", "C2", "A3"}));
}

TEST(DecodeHistory, KeepsTheFirst50ValidEntriesWithRepeatedAddresses) {
    Strings entries{R"({"id": "h0", "url": "ftp://a.com", "title": "T", "visitedAt": 1})",
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

TEST(DecodeSettings, UnusableValuesTakeTheirDefaultsAndOpacityIsClamped) {
    const auto settings = [](const std::string& json) {
        return decoded(file("[]", "[]", json)).settings;
    };
    EXPECT_EQ(settings(R"({"searchEngine": "DuckDuckGo", "shortcut": "   ",
        "menuBarIconStyle": "star", "nextWindowShortcut": ")" +
                       std::string(129, 'x') + R"(",
        "previousWindowShortcut": "\u200d", "themePreference": "Dark"})"),
              AppSettings{});
    for (const auto& [value, clamped] : std::vector<std::pair<std::string, double>>{
             {"0.05", 0.1}, {"-3", 0.1}, {"0.1", 0.1}, {"1", 1.0}, {"1.5", 1.0}}) {
        EXPECT_EQ(settings(R"({"defaultOpacity": )" + value + "}").defaultOpacity, clamped)
            << value;
    }
}

TEST(EncodeDocument, WritesSortedKeysPrettyPrinted) {
    AppDataSnapshot document;
    document.settings.defaultAlwaysOnTop = false;  // never written
    EXPECT_EQ(AppDataSanitizer::encode(document), R"({
  "bookmarkCategories": [],
  "bookmarks": [],
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

TEST(EncodeDocument, EveryRecordReadsBackUnchangedAndTheVersionIsAlwaysTwo) {
    AppDataSnapshot document;
    document.version = 1;
    document.bookmarkCategories.push_back({"c", "分类", 0, 9});
    document.bookmarks.push_back({"a", "https://a.com", "A \"/\\", "https://a.com/favicon.ico",
                                  std::numeric_limits<std::uint64_t>::max(), "c", 0});
    document.history.push_back({"h", "https://a.com", "访问", 7});
    document.settings = {
        SearchEngine::duckduckgo, "Control+K", "Control+[", "Control+]", "dark", false, true,
        MenuBarIconStyle::hidden, 0.1 + 0.2,   std::nullopt};
    const auto again = AppDataSanitizer::decode(AppDataSanitizer::encode(document).value());
    document.version = 2;
    EXPECT_EQ(again, document);
}

TEST(EncodeDocument, FailsInsteadOfWritingWhatJsonCannotHold) {
    AppDataSnapshot document;
    for (const double opacity : {std::nan(""), std::numeric_limits<double>::infinity()}) {
        document.settings.defaultOpacity = opacity;
        EXPECT_FALSE(AppDataSanitizer::encode(document));
    }
    document.settings.defaultOpacity = 1.0;
    document.history.push_back({"h", "https://a.com", "bad\xFF", 1});
    const auto bytes = AppDataSanitizer::encode(document);
    ASSERT_FALSE(bytes);
    EXPECT_FALSE(bytes.error().empty());
}

TEST(ReadingLoss, OnlyWhatReadingDropsOrChangesCountsAsLost) {
    const auto withSettings = [](std::string_view settings) {
        return file(list({bookmark("a", "https://a.com/")}), "[]", settings);
    };
    const auto category = [](std::string_view id, int position) {
        return R"({"id": ")" + std::string(id) +
               R"(", "title": "C", "createdAt": 1, "position": )" + std::to_string(position) + "}";
    };
    Strings fiftyOne;
    for (int i = 0; i <= 50; ++i) {
        fiftyOne.push_back(R"({"id": "h)" + std::to_string(i) +
                           R"(", "url": "https://a.com/", "title": "T", "visitedAt": 1})");
    }
    const std::vector<std::pair<std::string, bool>> cases = {
        // Kept: another layout, defaults and icon addresses added, version 1,
        // positions renumbered and categories sorted without changing order.
        {R"({"version":1,"bookmarks":[],"history":[],"settings":{}})", true},
        {file(list({bookmark("a", "https://a.com/", R"(, "position": 7)"),
                    bookmark("b", "https://b.com/", R"(, "position": 3)")}),
              "[]", "{}", categories(list({category("x", 5), category("y", 2)}))),
         true},
        {withSettings(R"({"themePreference": "dark", "defaultOpacity": 1})"), true},
        // Lost: a dropped or trimmed record, a duplicate, an unknown key, the
        // 51st visit, a replaced icon address or setting.
        {file(list({bookmark("a", "https://a.com/", R"(, "title": "Tab\there")")})), false},
        {file(list({bookmark("a", "https://a.com/", R"(, "title": " A ")")})), false},
        {file(list({bookmark("a", "https://a.com/"), bookmark("a", "https://b.com/")})), false},
        {file(list({bookmark("a", "https://a.com/", R"(, "note": "mine")")})), false},
        {file("[]", list(fiftyOne)), false},
        {file(list({bookmark("a", "https://a.com/", R"(, "faviconUrl": "ftp://a.com/i")")})),
         false},
        {withSettings(R"({"themePreference": "Dark"})"), false},
        {withSettings(R"({"defaultOpacity": 0.05})"), false},
        {file("[]", "[]", "{}", R"(, "syncedFrom": "laptop")"), false},
    };
    for (const auto& [bytes, kept] : cases) {
        EXPECT_EQ(AppDataSanitizer::keepsEverything(bytes, decoded(bytes)), kept) << bytes;
    }
}

TEST(WebURLCheck, KeepsOnlyHttpAndHttpsAddressesWithAHost) {
    EXPECT_EQ(AppDataSanitizer::webURL("  http://example.com\n"), "http://example.com");
    for (const std::string_view refused :
         {"ftp://example.com/file", "https:///path", "example.com", "   ", "https://exa mple.com/",
          "https://example.com/\u200Bx", "https://example.com/\xFF"}) {
        EXPECT_EQ(AppDataSanitizer::webURL(refused), std::nullopt) << refused;
    }
}

TEST(WebURLCheck, LimitsTheTypedAndTheStoredFormTo4096Bytes) {
    const std::string prefix = "https://example.com/";
    const std::string fits = prefix + std::string(4096 - prefix.size(), 'a');
    EXPECT_EQ(AppDataSanitizer::webURL(" " + fits + " "), fits);
    EXPECT_EQ(AppDataSanitizer::webURL(fits + "a"), std::nullopt);
    // Under 4096 bytes typed, three times that escaped: refused, or the stored
    // address would be dropped at the next read.
    std::string chinese = prefix;
    while (chinese.size() + 3 <= 4096) {
        chinese += "北";
    }
    EXPECT_EQ(AppDataSanitizer::webURL(chinese), std::nullopt);
}

TEST(TextAndIdentifierChecks, CountCharactersUpToTheirLimits) {
    EXPECT_EQ(AppDataSanitizer::text("\t" + std::string(512, 'a') + "\u3000", 512),
              std::string(512, 'a'));
    EXPECT_EQ(AppDataSanitizer::text(std::string(513, 'a'), 512), std::nullopt);
    EXPECT_EQ(AppDataSanitizer::text(" \u3000\n", 10), std::nullopt);
    std::string flags;     // 128 characters of 8 bytes each
    std::string accented;  // 64 characters of two scalars each
    for (int i = 0; i < 128; ++i) {
        flags += "\U0001F1E8\U0001F1F3";
        accented += i < 64 ? "e\u0301" : "";
    }
    EXPECT_EQ(AppDataSanitizer::text(flags, 128), flags);
    EXPECT_EQ(AppDataSanitizer::text(flags + "a", 128), std::nullopt);
    EXPECT_TRUE(AppDataSanitizer::validID(accented));
    EXPECT_FALSE(AppDataSanitizer::validID(accented + "e"));
    EXPECT_FALSE(AppDataSanitizer::validID(""));
}

TEST(TextRules, TrimsWhiteSpaceAndLineBreaksAtBothEndsOnly) {
    EXPECT_EQ(TextRules::trimmed(" \t\n\v\f\r a b \r\n"), "a b");
    // Ideographic and no-break spaces, line and paragraph separators, NEL.
    EXPECT_EQ(TextRules::trimmed("\u3000\u00A0标题\u2028\u2029\u0085"), "标题");
    // Zero-width space and byte-order mark are format characters: they stay.
    EXPECT_EQ(TextRules::trimmed("\u200Bx\uFEFF"), "\u200Bx\uFEFF");
    EXPECT_EQ(TextRules::trimmed("   "), "");
    // Invalid bytes are never cut, nor trimmed across.
    EXPECT_EQ(TextRules::trimmed(" \xFF "), "\xFF");
    EXPECT_EQ(TextRules::trimmed("a\xE3\x80"), "a\xE3\x80");
    EXPECT_EQ(TextRules::trimmed("\x80\x80\x80\x80\x80 "), "\x80\x80\x80\x80\x80");
}

TEST(TextRules, ControlCharactersAreCcAndCfAndInvalidUtf8CountsAsOne) {
    EXPECT_FALSE(TextRules::containsControlCharacter("plain, 中文 and 👍"));
    for (const std::string_view text :
         {"tab\there", "del\x7F", "next\u0085", "a\u200Db", "\uFEFFbom", "soft\u00ADhyphen",
          "\xED\xA0\x80" /* surrogate */, "\xC0\xAF" /* overlong */, "bad\xFF"}) {
        EXPECT_TRUE(TextRules::containsControlCharacter(text)) << text;
    }
}

TEST(TextRules, CountsExtendedGraphemeClusters) {
    EXPECT_EQ(TextRules::characterCount("北京"), 2U);
    EXPECT_EQ(TextRules::characterCount("e\u0301"), 1U);
    EXPECT_EQ(TextRules::characterCount("\U0001F1E8\U0001F1F3"), 1U);
    EXPECT_EQ(TextRules::characterCount("\U0001F468\u200D\U0001F469\u200D\U0001F467"), 1U);
    EXPECT_EQ(TextRules::characterCount("\U0001F44D\U0001F3FD!"), 2U);
    EXPECT_EQ(TextRules::characterCount("a\r\nb"), 3U);
    EXPECT_EQ(TextRules::characterCount("ok\xFF"), std::nullopt);

    EXPECT_EQ(TextRules::leadingCharacters("\U0001F44D\U0001F3FDabc", 2), "\U0001F44D\U0001F3FDa");
    EXPECT_EQ(TextRules::leadingCharacters("短", 5), "短");
    // An invalid byte is a character of its own, never part of its neighbour.
    EXPECT_EQ(TextRules::leadingCharacters("a\xE9\xE9!", 2), "a\xE9");
    EXPECT_EQ(TextRules::leadingCharacters("\xE4\xB8"
                                           "e\u0301",
                                           2),
              "\xE4\xB8");
}

TEST(TextRules, IdentifierTextIsLettersMarksDigitsUnderscoreAndHyphen) {
    EXPECT_TRUE(TextRules::isIdentifierText("b-18c5f3a2b1c-0123abcdef"));
    EXPECT_TRUE(TextRules::isIdentifierText("书签_2-Ⅻ²e\u0301"));  // Lo, Nl, No, Mn
    for (const std::string_view text : {"a.b", "a b", "a\u3000b", "\U0001F44D", "id\xFF"}) {
        EXPECT_FALSE(TextRules::isIdentifierText(text)) << text;
    }
}

}  // namespace
}  // namespace velumo
