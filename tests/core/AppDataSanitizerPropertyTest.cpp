#include <cstdint>
#include <map>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "DocumentInvariants.h"
#include "data/AppDataSanitizer.h"

namespace velumo {
namespace {

using Choices = std::vector<std::string>;
// A record's keys, each with the pool its values come from.
using Shape = std::vector<std::pair<std::string, std::string>>;

std::string quoted(const std::string& text) {
    return '"' + text + '"';
}

Choices quotedAll(const Choices& texts) {
    Choices out;
    for (const auto& text : texts) {
        out.push_back(quoted(text));
    }
    return out;
}

Choices titles(std::size_t limit) {
    auto out = quotedAll({"Title", "标题", "👍🏽👨‍👩‍👧", "", "   ", "a\u200Db",
                          "e\u0301\u0301", std::string(limit, 'x'), std::string(limit + 1, 'x'),
                          " " + std::string(limit, 'y') + " "});
    out.insert(out.end(), {R"("  padded\t")", R"("line\nbreak")"});
    return out;
}

// JSON values of every kind a record may hold: valid and broken, duplicated,
// odd Unicode, extreme numbers.
const std::map<std::string, Choices> pools = {
    {"id", quotedAll({"a", "b", "书签", "e\u0301", "x_1-2", std::string(64, 'z'),
                      std::string(65, 'z'), "", "a.b", "a\u200Db", "id7", "id8"})},
    {"url", quotedAll({"https://example.com/", "HTTPS://EXAMPLE.COM/Path",
                       "https://example.com/a b?q=中文#f", " https://zh.wikipedia.org/wiki/北京 ",
                       "http://例子.测试/", "http://[::1]:8080/x", "https://e.com:65536/",
                       "https://e.com/100%", "https://u:p@e.com:8443/p?q", "ftp://example.com/",
                       "javascript:alert(1)", "https:/nohost", "example.com", "   ",
                       "https://e.com/\u200B", "https://e.com/" + std::string(4082, 'a'),
                       "https://e.com/" + std::string(4083, 'a'), "https://site1.com/p",
                       "https://site2.com/p"})},
    {"icon",
     {"null", R"("")", R"("https://cdn.example/i.png")", R"("ftp://x/i.ico")",
      R"("https://example.com/favicon.ico")", R"(" https://site1.com/favicon.ico")"}},
    {"category", {"null", R"("a")", R"("书签")", R"("none")"}},
    {"title", titles(512)},
    {"title64", titles(64)},
    {"shortcut", titles(128)},
    {"time", {"0", "1", "18446744073709551615", "1700000000123"}},
    {"position", {"0", "1", "4294967295", "null", "3"}},
    {"engine", {R"("bing")", R"("duckduckgo")", R"("DuckDuckGo")", "null"}},
    {"theme", {R"("light")", R"("dark")", R"("Dark")", R"(" dark")"}},
    {"flag", {"true", "false", "null"}},
    {"iconStyle", {R"("pin")", R"("hidden")", R"("star")"}},
    {"opacity", {"0.05", "0.35", "1", "1.5", "1e-300", "18446744073709551616"}},
    {"extra", {R"([{"deep": [[]]}])", R"({"x": null})"}},
};

const Shape categoryShape = {
    {"id", "id"}, {"title", "title64"}, {"createdAt", "time"}, {"position", "position"}};
const Shape bookmarkShape = {{"id", "id"},
                             {"url", "url"},
                             {"title", "title"},
                             {"createdAt", "time"},
                             {"position", "position"},
                             {"faviconUrl", "icon"},
                             {"categoryId", "category"},
                             {"extra", "extra"}};
const Shape historyShape = {
    {"id", "id"}, {"url", "url"}, {"title", "title"}, {"visitedAt", "time"}};
const Shape settingsShape = {{"searchEngine", "engine"},
                             {"shortcut", "shortcut"},
                             {"previousWindowShortcut", "shortcut"},
                             {"nextWindowShortcut", "shortcut"},
                             {"themePreference", "theme"},
                             {"keepRunningAfterLastWindow", "flag"},
                             {"menuBarIconStyle", "iconStyle"},
                             {"defaultOpacity", "opacity"},
                             {"defaultAlwaysOnTop", "flag"}};

// Random data files of a readable shape whose records are anything.
class RandomDocument {
  public:
    explicit RandomDocument(std::uint32_t seed) : random_(seed) {}

    std::string text() {
        // Now and then more history than the 50 entries a document keeps.
        const int historyLength = std::bernoulli_distribution(0.2)(random_) ? 70 : 10;
        return "{" + member("version", pick({"1", "2"})) + ", " +
               member("defaultBookmarksSeedVersion", pick({"1", "-1", "null"})) + ", " +
               member("bookmarkCategories", list(6, categoryShape)) + ", " +
               member("bookmarks", list(25, bookmarkShape)) + ", " +
               member("history", list(historyLength, historyShape)) + ", " +
               member("settings", record(settingsShape)) + ", " +
               member("unknown", R"({"nested": [1, [2, {"x": null}], "s", true]})") + "}";
    }

  private:
    std::string pick(const Choices& choices) {
        return choices[std::uniform_int_distribution<std::size_t>(0, choices.size() - 1)(random_)];
    }

    static std::string member(const std::string& key, const std::string& value) {
        return quoted(key) + ": " + value;
    }

    std::string record(const Shape& shape) {
        std::string out;
        for (const auto& [key, pool] : shape) {
            out += (out.empty() ? "{" : ", ") + member(key, pick(pools.at(pool)));
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
