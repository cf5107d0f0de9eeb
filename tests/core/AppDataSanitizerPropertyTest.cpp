#include <cstdint>
#include <map>
#include <random>
#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "DocumentInvariants.h"
#include "data/AppDataSanitizer.h"

namespace velumo {
namespace {

using Choices = std::vector<std::string>;

Choices quoted(const Choices& texts) {
    Choices out;
    for (const auto& text : texts) {
        out.push_back('"' + text + '"');
    }
    return out;
}

Choices titles(std::size_t limit) {
    return quoted({"Title", "标题", "👍🏽👨‍👩‍👧", "", "   ", "a\u200Db",
                   "e\u0301\u0301", R"(  padded\t)", R"(line\nbreak)", std::string(limit, 'x'),
                   std::string(limit + 1, 'x'), " " + std::string(limit, 'y') + " "});
}

// JSON values of every kind a record may hold: valid and broken, duplicated,
// odd Unicode, extreme numbers.
const std::map<std::string, Choices> pools = {
    {"id", quoted({"a", "b", "书签", "e\u0301", "x_1-2", std::string(64, 'z'), std::string(65, 'z'),
                   "", "a.b", "a\u200Db", "id7", "id8"})},
    {"url",
     quoted({"https://example.com/", "HTTPS://EXAMPLE.COM/Path", "https://example.com/a b?q=中文#f",
             " https://zh.wikipedia.org/wiki/北京 ", "http://例子.测试/", "http://[::1]:8080/x",
             "https://e.com:65536/", "https://e.com/100%", "https://u:p@e.com:8443/p?q",
             "ftp://example.com/", "javascript:alert(1)", "https:/nohost", "example.com", "   ",
             "https://e.com/\u200B", "https://e.com/" + std::string(4082, 'a'),
             "https://e.com/" + std::string(4083, 'a'), "https://site1.com/p",
             "https://site2.com/p"})},
    {"faviconUrl",
     {"null", R"("")", R"("https://cdn.example/i.png")", R"("ftp://x/i.ico")",
      R"("https://example.com/favicon.ico")", R"(" https://site1.com/favicon.ico")"}},
    {"categoryId", {"null", R"("a")", R"("书签")", R"("none")"}},
    {"title", titles(512)},
    {"title64", titles(64)},
    {"shortcut", titles(128)},
    {"time", {"0", "1", "18446744073709551615", "1700000000123"}},
    {"position", {"0", "1", "4294967295", "null", "3"}},
    {"searchEngine", {R"("bing")", R"("duckduckgo")", R"("DuckDuckGo")", "null"}},
    {"themePreference", {R"("light")", R"("dark")", R"("Dark")", R"(" dark")"}},
    {"flag", {"true", "false", "null"}},
    {"menuBarIconStyle", {R"("pin")", R"("hidden")", R"("star")"}},
    {"defaultOpacity", {"0.05", "0.35", "1", "1.5", "1e-300", "18446744073709551616"}},
    {"extra", {R"([{"deep": [[]]}])", R"({"x": null})"}},
};

// A record's keys, each with its pool after a colon where the key's own name
// is not one.
using Shape = std::vector<std::string>;
const Shape categoryShape = {"id", "title:title64", "createdAt:time", "position"};
const Shape bookmarkShape = {"id",       "url",        "title",      "createdAt:time",
                             "position", "faviconUrl", "categoryId", "extra"};
const Shape historyShape = {"id", "url", "title", "visitedAt:time"};
const Shape settingsShape = {"searchEngine",
                             "shortcut",
                             "previousWindowShortcut:shortcut",
                             "nextWindowShortcut:shortcut",
                             "themePreference",
                             "keepRunningAfterLastWindow:flag",
                             "menuBarIconStyle",
                             "defaultOpacity",
                             "defaultAlwaysOnTop:flag"};

// Random data files of a readable shape whose records are anything.
class RandomDocument {
  public:
    explicit RandomDocument(std::uint32_t seed) : random_(seed) {}

    std::string text() {
        // Now and then more history than the 50 entries a document keeps.
        const int historyLength = std::bernoulli_distribution(0.2)(random_) ? 70 : 10;
        return R"({"version": )" + pick({"1", "2"}) + R"(, "defaultBookmarksSeedVersion": )" +
               pick({"1", "-1", "null"}) + R"(, "bookmarkCategories": )" + list(6, categoryShape) +
               R"(, "bookmarks": )" + list(25, bookmarkShape) + R"(, "history": )" +
               list(historyLength, historyShape) + R"(, "settings": )" + record(settingsShape) +
               R"(, "unknown": {"nested": [1, [2, {"x": null}], "s", true]}})";
    }

  private:
    std::string pick(const Choices& choices) {
        return choices[std::uniform_int_distribution<std::size_t>(0, choices.size() - 1)(random_)];
    }

    std::string record(const Shape& shape) {
        std::string out;
        for (const auto& field : shape) {
            const auto colon = field.find(':');
            const auto key = field.substr(0, colon);
            const auto pool = colon == std::string::npos ? key : field.substr(colon + 1);
            out += (out.empty() ? "{\"" : ", \"") + key + "\": " + pick(pools.at(pool));
        }
        return out + "}";
    }

    std::string list(int largest, const Shape& shape) {
        std::string out;
        for (int i = std::uniform_int_distribution<int>(0, largest)(random_); i > 0; --i) {
            out += (out.empty() ? "" : ", ") + record(shape);
        }
        return "[" + out + "]";
    }

    std::mt19937 random_;
};

TEST(SanitizerProperty, RandomDocumentsDecodeToValidDocumentsThatSurviveARoundTrip) {
    std::size_t keptRecords = 0;
    for (std::uint32_t seed = 1; seed <= 250; ++seed) {
        const auto text = RandomDocument(seed).text();
        const auto document = AppDataSanitizer::decode(text);
        ASSERT_TRUE(document) << "seed " << seed << "\n" << text;
        EXPECT_THAT(DocumentInvariants::violations(*document), testing::IsEmpty())
            << "seed " << seed;
        const auto bytes = AppDataSanitizer::encode(*document);
        ASSERT_TRUE(bytes) << bytes.error();
        const auto again = AppDataSanitizer::decode(*bytes);
        EXPECT_EQ(again, document) << "seed " << seed;
        EXPECT_EQ(AppDataSanitizer::encode(again.value()), bytes) << "seed " << seed;
        keptRecords += document->bookmarks.size() + document->history.size() +
                       document->bookmarkCategories.size();
    }
    // A reader that dropped every record would meet every rule; this one keeps many.
    EXPECT_GT(keptRecords, 500U);
}

}  // namespace
}  // namespace velumo
