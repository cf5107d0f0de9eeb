#include <array>
#include <cstdint>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "DocumentInvariants.h"
#include "data/AppDataSanitizer.h"

namespace velumo {
namespace {

// Writes random data files: well-formed, with valid and broken records,
// duplicates, odd Unicode and extreme numbers. About one in six carries one
// fatal fault (a wrong type, an integer out of range, a missing required key,
// bytes that are not UTF-8, an unknown version) and must be unreadable as a
// whole.
class RandomDocument {
  public:
    explicit RandomDocument(std::uint32_t seed) : random_(seed) {}

    std::string text;
    bool fatal = false;

    void build() {
        pendingFault_ = chance(1.0 / 6);
        text = "{";
        field("version", fault() ? pick<std::string_view>({"3", "0", "-1", "2.0", "\"2\""})
                                 : pick<std::string_view>({"1", "2"}));
        if (chance(0.8)) {
            field("defaultBookmarksSeedVersion",
                  pick<std::string_view>(
                      {"0", "1", "-1", "null", "9223372036854775807", "-9223372036854775808"}));
        }
        if (chance(0.7)) {
            list("bookmarkCategories", 6, [this] { category(); });
        }
        list("bookmarks", 25, [this] { bookmark(); });
        // Now and then more than the 50 entries a document may keep.
        list("history", chance(0.2) ? 70 : 10, [this] { history(); });
        text += "\"settings\": ";
        settings();
        if (pendingFault_) {
            text += ", \"bookmarks\": 5";
            fatal = true;
        }
        if (chance(0.2)) {
            text += ", \"unknown\": {\"nested\": [1, [2, {\"x\": null}], \"s\", true]}";
        }
        text += "}";
    }

  private:
    bool chance(double probability) { return std::bernoulli_distribution(probability)(random_); }

    // Whether to place the document's one fatal fault here.
    bool fault() {
        if (!pendingFault_ || !chance(0.1)) {
            return false;
        }
        pendingFault_ = false;
        fatal = true;
        return true;
    }

    template <typename T>
    T pick(std::initializer_list<T> choices) {
        std::uniform_int_distribution<std::size_t> index(0, choices.size() - 1);
        return *(choices.begin() + index(random_));
    }

    static std::string repeated(std::string_view part, int times) {
        std::string out;
        for (int i = 0; i < times; ++i) {
            out += part;
        }
        return out;
    }

    static std::string quoted(std::string_view value) {
        std::string out = "\"";
        for (const char c : value) {
            if (c == '"' || c == '\\') {
                out += '\\';
                out += c;
            } else if (static_cast<unsigned char>(c) < 0x20) {
                constexpr std::string_view hex = "0123456789abcdef";
                out += "\\u00";
                out += hex[static_cast<unsigned char>(c) >> 4];
                out += hex[static_cast<unsigned char>(c) & 0x0F];
            } else {
                out += c;
            }
        }
        return out + "\"";
    }

    void field(std::string_view key, std::string_view value) {
        text += quoted(key) + ": " + std::string(value) + ", ";
    }

    template <typename Element>
    void list(std::string_view key, int largest, Element element) {
        text += quoted(key) + ": [";
        const int count = std::uniform_int_distribution<int>(0, largest)(random_);
        for (int i = 0; i < count; ++i) {
            if (i > 0) {
                text += ", ";
            }
            element();
        }
        text += "], ";
    }

    std::string id() {
        return pick<std::string>({"a", "b", "c", "书签", "e\u0301", "x_1-2", std::string(64, 'z'),
                                  std::string(65, 'z'), "", "a.b", "a b", "a\u200Db",
                                  "id" + std::to_string(random_() % 1000)});
    }

    std::string url() {
        return pick<std::string>({"https://example.com/",
                                  "http://example.com",
                                  "HTTPS://EXAMPLE.COM/Path",
                                  "https://example.com/a b?q=中文#frag",
                                  " https://zh.wikipedia.org/wiki/北京\n",
                                  "http://例子.测试/",
                                  "https://北京。中国",
                                  "http://[::1]:8080/x",
                                  "https://e.com:65536/",
                                  "https://e.com/100%",
                                  "https://u:p@e.com:8443/p?q",
                                  "ftp://example.com/",
                                  "javascript:alert(1)",
                                  "https:/nohost",
                                  "example.com",
                                  "",
                                  "   ",
                                  "https://e.com/\u200B",
                                  "https://e.com/\t",
                                  "https://e.com/" + std::string(4080, 'a'),
                                  "https://e.com/" + std::string(4083, 'a'),
                                  "https://e.com/" + repeated("北", 1300),
                                  "https://site" + std::to_string(random_() % 30) + ".com/p"});
    }

    std::string title(int limit) {
        return pick<std::string>({"Title", "  padded\t", "标题", "👍🏽👨‍👩‍👧", "",
                                  "   ", "a\u200Db", "\uFEFFbom", "line\nbreak",
                                  std::string(limit, 'x'), std::string(limit + 1, 'x'),
                                  " " + std::string(limit, 'y') + " ", "עברית", "e\u0301\u0301"});
    }

    std::string timestamp() {
        if (fault()) {
            return pick<std::string>({"-5", "1.5", "18446744073709551616", "\"1\"", "null"});
        }
        return pick<std::string>(
            {"0", "1", "1700000000000", "18446744073709551615", std::to_string(random_())});
    }

    std::string position() {
        if (fault()) {
            return pick<std::string>({"4294967296", "-1", "0.5", "\"2\""});
        }
        return pick<std::string>(
            {"0", "1", "2", "7", "4294967295", "null", std::to_string(random_() % 10)});
    }

    std::string stringValue(const std::string& value) {
        return fault() ? pick<std::string>({"\"\xE4\xE4\"", "7", "[]", "{}", "true"})
                       : quoted(value);
    }

    void record(std::initializer_list<std::pair<std::string_view, std::string>> fields) {
        text += "{";
        bool first = true;
        for (const auto& [key, value] : fields) {
            const bool required = key == "id" || key == "url" || key == "title" ||
                                  key == "createdAt" || key == "visitedAt";
            if (required && fault()) {
                continue;
            }
            text += (first ? "" : ", ") + quoted(key) + ": " + value;
            first = false;
        }
        text += "}";
    }

    void category() {
        record({{"id", stringValue(id())},
                {"title", stringValue(title(64))},
                {"position", position()},
                {"createdAt", timestamp()}});
    }

    void bookmark() {
        const std::string icon =
            chance(0.5) ? stringValue(url()) : pick<std::string>({"null", "\"\""});
        const std::string categoryID =
            pick<std::string>({"null", "\"a\"", "\"b\"", "\"书签\"", "\"none\""});
        record({{"id", stringValue(id())},
                {"url", stringValue(url())},
                {"title", stringValue(title(512))},
                {"createdAt", timestamp()},
                {"position", position()},
                {"faviconUrl", icon},
                {"categoryId", categoryID},
                {"extra", "[{\"deep\": [[]]}]"}});
    }

    void history() {
        record({{"id", stringValue(id())},
                {"url", stringValue(url())},
                {"title", stringValue(title(512))},
                {"visitedAt", timestamp()}});
    }

    void settings() {
        text += "{";
        text +=
            "\"searchEngine\": " + pick<std::string>({"\"bing\"", "\"google\"", "\"duckduckgo\"",
                                                      "\"DuckDuckGo\"", "null"});
        text += ", \"shortcut\": " + stringValue(title(128));
        text += ", \"previousWindowShortcut\": " + stringValue(title(128));
        text += ", \"nextWindowShortcut\": " + stringValue(title(128));
        text += ", \"themePreference\": " +
                pick<std::string>({"\"system\"", "\"light\"", "\"dark\"", "\"Dark\"", "\" dark\""});
        text += ", \"keepRunningAfterLastWindow\": " + pick<std::string>({"true", "false", "null"});
        text += ", \"autoHideToolbar\": " + pick<std::string>({"true", "false", "null"});
        text += ", \"menuBarIconStyle\": " +
                pick<std::string>({"\"eye\"", "\"window\"", "\"pin\"", "\"hidden\"", "\"star\""});
        text += ", \"defaultOpacity\": " +
                pick<std::string>({"0.05", "0.1", "0.35", "1", "1.5", "-2", "1e-300",
                                   "18446744073709551616", "null"});
        text += ", \"defaultAlwaysOnTop\": false}";
    }

    std::mt19937 random_;
    bool pendingFault_ = false;
};

TEST(SanitizerProperty, RandomDocumentsDecodeToValidDocumentsThatSurviveARoundTrip) {
    int readable = 0;
    for (std::uint32_t seed = 1; seed <= 250; ++seed) {
        RandomDocument generated(seed);
        generated.build();
        const auto document = AppDataSanitizer::decode(generated.text);
        if (generated.fatal) {
            EXPECT_EQ(document, std::nullopt) << "seed " << seed;
            continue;
        }
        ASSERT_TRUE(document) << "seed " << seed << "\n" << generated.text;
        ++readable;
        EXPECT_THAT(DocumentInvariants::violations(*document), testing::IsEmpty())
            << "seed " << seed;

        const auto bytes = AppDataSanitizer::encode(*document);
        ASSERT_TRUE(bytes) << bytes.error();
        const auto again = AppDataSanitizer::decode(*bytes);
        ASSERT_TRUE(again) << "seed " << seed;
        EXPECT_EQ(*again, *document) << "seed " << seed;
        EXPECT_EQ(AppDataSanitizer::encode(*again), bytes) << "seed " << seed;
    }
    // Most generated files are readable, or the test would prove little.
    EXPECT_GT(readable, 150);
}

}  // namespace
}  // namespace velumo
