#include <string>

#include <gtest/gtest.h>

#include "browser/PageTitle.h"
#include "data/AppDataSanitizer.h"

namespace velumo {
namespace {

std::string repeated(const std::string& text, int count) {
    std::string result;
    for (int i = 0; i < count; ++i) {
        result += text;
    }
    return result;
}

// Every cleaned title must pass the store's own rule for titles unchanged,
// or the visit or bookmark made with it would fail.
TEST(PageTitle, CleaningLeavesATitleTheStoreTakesAsItIs) {
    const struct {
        std::string title;
        std::string cleaned;
    } cases[] = {
        {"Start", "Start"},
        {"  a \t\n b\r\n ", "a b"},
        {"新闻\u3000\u3000中心", "新闻 中心"},
        // NEL is a line break, not a control character to drop.
        {"上一行\u0085下一行", "上一行 下一行"},
        // The joiner is a format character: the family falls apart, but the
        // page reaches the history.
        {"👨\u200D👩\u200D👧 家", "👨👩👧 家"},
        // An override or isolate cannot reorder what the bar shows.
        {"abc\u202Edef\u202C", "abcdef"},
        {"\u2067שלום\u2069 x", "שלום x"},
        {"a\x01"
         "b\x7F"
         "c",
         "abc"},
        {"a \u200B b", "a b"},
        {"a\xff"
         "b",
         "ab"},
        {"\u200B \t\u00AD", ""},
        {"", ""},
        // Cut to 512 characters, never inside one, never ending on a space.
        {repeated("字", 600), repeated("字", 512)},
        {repeated("a", 511) + "e\u0301zz", repeated("a", 511) + "e\u0301"},
        {repeated("🇨🇳", 513), repeated("🇨🇳", 512)},
        {repeated("a", 511) + " b", repeated("a", 511)},
        {repeated("a", 10'000'000), repeated("a", 512)},
    };
    for (const auto& [title, cleaned] : cases) {
        const std::string result = PageTitle::cleaned(title);
        EXPECT_EQ(result, cleaned) << title.substr(0, 40);
        if (!result.empty()) {
            EXPECT_EQ(AppDataSanitizer::text(result, PageTitle::maximumLength), result);
        }
    }
}

TEST(PageTitle, NothingLeftFallsBackToTheHostOrTheWholeAddress) {
    EXPECT_EQ(PageTitle::orAddress(" Home ", "https://x.example/p"), "Home");
    EXPECT_EQ(PageTitle::orAddress("\u202E ", "https://x.example/p"), "x.example");
    EXPECT_EQ(PageTitle::orAddress("", "data:text/html,x"), "data:text/html,x");
}

}  // namespace
}  // namespace velumo
