#include <cstdint>
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

std::string repeated(const std::string& part, int times) {
    std::string out;
    for (int i = 0; i < times; ++i) {
        out += part;
    }
    return out;
}

// Writes random data files with valid and broken records, duplicates, odd
// Unicode and extreme numbers. About one in six carries one fatal fault (a
// wrong type, an integer out of range, a missing required key, bytes that are
// not UTF-8, an unknown version) and must be unreadable as a whole.
class RandomDocument {
  public:
    explicit RandomDocument(std::uint32_t seed) : random_(seed) {
        pendingFault_ = chance(1.0 / 6);
        text =
            "{" + member("version", fault() ? pick({"3", "0", "2.0", "\"2\""}) : pick({"1", "2"}));
        if (chance(0.8)) {
            text += ", " + member("defaultBookmarksSeedVersion",
                                  pick({"1", "-1", "null", "-9223372036854775808"}));
        }
        if (chance(0.7)) {
            text += ", " + member("bookmarkCategories", list(6, [this] { return category(); }));
        }
        text += ", " + member("bookmarks", list(25, [this] { return bookmark(); }));
        // Now and then more history than the 50 entries a document keeps.
        text += ", " + member("history", list(chance(0.2) ? 70 : 10, [this] { return history(); }));
        text += ", " + member("settings", settings());
        if (chance(0.2)) {
            text += R"(, "unknown": {"nested": [1, [2, {"x": null}], "s", true]})";
        }
        if (pendingFault_) {
            text += R"(, "bookmarks": 5)";
            fatal = true;
        }
        text += "}";
    }

    std::string text;
    bool fatal = false;

  private:
    bool chance(double probability) { return std::bernoulli_distribution(probability)(random_); }

    std::string pick(const Choices& choices) {
        return choices[std::uniform_int_distribution<std::size_t>(0, choices.size() - 1)(random_)];
    }

    // Whether to place the document's one fatal fault here.
    bool fault() {
        if (!pendingFault_ || !chance(0.1)) {
            return false;
        }
        pendingFault_ = false;
        fatal = true;
        return true;
    }

    static std::string member(const std::string& key, const std::string& value) {
        return '"' + key + "\": " + value;
    }

    template <typename Element>
    std::string list(int largest, Element element) {
        std::string out = "[";
        const int count = std::uniform_int_distribution<int>(0, largest)(random_);
        for (int i = 0; i < count; ++i) {
            out += (i > 0 ? ", " : "") + element();
        }
        return out + "]";
    }

    // A JSON string, or now and then the fatal fault: not UTF-8, or no string.
    std::string string(const std::string& value) {
        if (fault()) {
            return pick({"\"\xE4\xE4\"", "7", "[]", "{}", "true"});
        }
        std::string out = "\"";
        for (const char c : value) {
            if (c == '"' || c == '\\') {
                out += '\\';
            }
            if (static_cast<unsigned char>(c) < 0x20) {
                out += "\\u00" + std::string(1, "01"[c >> 4]) + "0123456789abcdef"[c & 0x0F];
            } else {
                out += c;
            }
        }
        return out + '"';
    }

    std::string id() {
        return string(pick({"a", "b", "c", "书签", "e\u0301", "x_1-2", std::string(64, 'z'),
                            std::string(65, 'z'), "", "a.b", "a\u200Db",
                            "id" + std::to_string(random_() % 1000)}));
    }

    std::string url() {
        return string(pick(
            {"https://example.com/", "HTTPS://EXAMPLE.COM/Path", "https://example.com/a b?q=中文#f",
             " https://zh.wikipedia.org/wiki/北京\n", "http://例子.测试/", "http://[::1]:8080/x",
             "https://e.com:65536/", "https://e.com/100%", "https://u:p@e.com:8443/p?q",
             "ftp://example.com/", "javascript:alert(1)", "https:/nohost", "example.com", "   ",
             "https://e.com/\u200B", "https://e.com/" + std::string(4082, 'a'),
             "https://e.com/" + std::string(4083, 'a'), "https://e.com/" + repeated("北", 1300),
             "https://site" + std::to_string(random_() % 30) + ".com/p"}));
    }

    std::string title(int limit) {
        return string(
            pick({"Title", "  padded\t", "标题", "👍🏽👨‍👩‍👧", "", "   ",
                  "a\u200Db", "line\nbreak", std::string(limit, 'x'), std::string(limit + 1, 'x'),
                  " " + std::string(limit, 'y') + " ", "e\u0301\u0301"}));
    }

    std::string number(const Choices& valid, const Choices& fatal) {
        return fault() ? pick(fatal) : pick(valid);
    }

    std::string timestamp() {
        return number({"0", "1", "18446744073709551615", std::to_string(random_())},
                      {"-5", "1.5", "18446744073709551616", "\"1\"", "null"});
    }

    std::string position() {
        return number({"0", "1", "7", "4294967295", "null", std::to_string(random_() % 10)},
                      {"4294967296", "-1", "0.5"});
    }

    // A record whose required keys are sometimes left out: the fatal fault.
    std::string record(const std::vector<std::pair<std::string, std::string>>& fields,
                       std::size_t required) {
        std::string out;
        for (std::size_t i = 0; i < fields.size(); ++i) {
            if (i < required && fault()) {
                continue;
            }
            out += (out.empty() ? "{" : ", ") + member(fields[i].first, fields[i].second);
        }
        return out + "}";
    }

    std::string category() {
        return record({{"id", id()},
                       {"title", title(64)},
                       {"createdAt", timestamp()},
                       {"position", position()}},
                      3);
    }

    std::string bookmark() {
        return record({{"id", id()},
                       {"url", url()},
                       {"title", title(512)},
                       {"createdAt", timestamp()},
                       {"position", position()},
                       {"faviconUrl", chance(0.5) ? url() : pick({"null", "\"\""})},
                       {"categoryId", pick({"null", "\"a\"", "\"书签\"", "\"none\""})},
                       {"extra", R"([{"deep": [[]]}])"}},
                      4);
    }

    std::string history() {
        return record(
            {{"id", id()}, {"url", url()}, {"title", title(512)}, {"visitedAt", timestamp()}}, 4);
    }

    std::string settings() {
        return record(
            {{"searchEngine", pick({"\"bing\"", "\"duckduckgo\"", "\"DuckDuckGo\"", "null"})},
             {"shortcut", title(128)},
             {"previousWindowShortcut", title(128)},
             {"nextWindowShortcut", title(128)},
             {"themePreference", pick({"\"light\"", "\"dark\"", "\"Dark\"", "\" dark\""})},
             {"keepRunningAfterLastWindow", pick({"true", "false", "null"})},
             {"menuBarIconStyle", pick({"\"pin\"", "\"hidden\"", "\"star\""})},
             {"defaultOpacity",
              pick({"0.05", "0.35", "1", "1.5", "1e-300", "18446744073709551616"})},
             {"defaultAlwaysOnTop", "false"}},
            0);
    }

    std::mt19937 random_;
    bool pendingFault_ = false;
};

TEST(SanitizerProperty, RandomDocumentsDecodeToValidDocumentsThatSurviveARoundTrip) {
    int readable = 0;
    for (std::uint32_t seed = 1; seed <= 250; ++seed) {
        const RandomDocument generated(seed);
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
        EXPECT_EQ(again, document) << "seed " << seed;
        EXPECT_EQ(AppDataSanitizer::encode(again.value()), bytes) << "seed " << seed;
    }
    // Most generated files are readable, or the test would prove little.
    EXPECT_GT(readable, 150);
}

}  // namespace
}  // namespace velumo
