#include <optional>
#include <string>
#include <string_view>

#include <gtest/gtest.h>

#include "data/TextRules.h"

namespace velumo {
namespace {

struct TrimCase {
    std::string_view text;
    std::string_view expected;
};

class TextRulesTrimming : public testing::TestWithParam<TrimCase> {};

TEST_P(TextRulesTrimming, RemovesWhiteSpaceAndLineBreaksAtBothEndsOnly) {
    EXPECT_EQ(TextRules::trimmed(GetParam().text), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TextRulesTrimming,
    testing::Values(TrimCase{" \t\n\v\f\r a b \r\n", "a b"},
                    // Ideographic space, no-break space, line and paragraph
                    // separators (Z categories) and NEL (U+0085).
                    TrimCase{"\u3000\u00A0标题\u2028\u2029\u0085", "标题"},
                    // Zero-width space and the byte-order mark are format
                    // characters, not white space: they stay (and fail checks).
                    TrimCase{"\u200Bx\uFEFF", "\u200Bx\uFEFF"}, TrimCase{"   ", ""},
                    // Invalid bytes are never cut, nor trimmed across.
                    TrimCase{" \xFF ", "\xFF"}, TrimCase{"a\xE3\x80", "a\xE3\x80"},
                    TrimCase{"\x80\x80\x80\x80\x80 ", "\x80\x80\x80\x80\x80"}));

struct ControlCase {
    std::string_view text;
    bool control;
};

class TextRulesControlCharacters : public testing::TestWithParam<ControlCase> {};

TEST_P(TextRulesControlCharacters, FindsCcAndCfAndRefusesInvalidUtf8) {
    EXPECT_EQ(TextRules::containsControlCharacter(GetParam().text), GetParam().control)
        << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TextRulesControlCharacters,
    testing::Values(ControlCase{"plain text, 中文 and 👍", false}, ControlCase{"", false},
                    ControlCase{"tab\there", true}, ControlCase{"del\x7F", true},
                    ControlCase{"next line\u0085", true}, ControlCase{"a\u200Db", true},
                    ControlCase{"\uFEFFbom", true}, ControlCase{"soft\u00ADhyphen", true},
                    ControlCase{std::string_view("nul\0", 4), true},
                    // Invalid UTF-8: a stray byte, a surrogate, an overlong form.
                    ControlCase{"bad\xFF", true}, ControlCase{"\xED\xA0\x80", true},
                    ControlCase{"\xC0\xAF", true}));

TEST(TextRules, CountsExtendedGraphemeClusters) {
    EXPECT_EQ(TextRules::characterCount(""), 0U);
    EXPECT_EQ(TextRules::characterCount("abc"), 3U);
    EXPECT_EQ(TextRules::characterCount("北京"), 2U);
    EXPECT_EQ(TextRules::characterCount("e\u0301"), 1U);               // combining accent
    EXPECT_EQ(TextRules::characterCount("\U0001F1E8\U0001F1F3"), 1U);  // flag
    EXPECT_EQ(TextRules::characterCount("\U0001F468\u200D\U0001F469\u200D\U0001F467"), 1U);
    EXPECT_EQ(TextRules::characterCount("\U0001F44D\U0001F3FD!"), 2U);  // skin tone
    EXPECT_EQ(TextRules::characterCount("a\r\nb"), 3U);
    EXPECT_EQ(TextRules::characterCount("ok\xFF"), std::nullopt);
}

TEST(TextRules, LeadingCharactersNeverSplitACharacter) {
    EXPECT_EQ(TextRules::leadingCharacters("\U0001F44D\U0001F3FDabc", 2), "\U0001F44D\U0001F3FDa");
    EXPECT_EQ(TextRules::leadingCharacters("e\u0301e\u0301", 1), "e\u0301");
    EXPECT_EQ(TextRules::leadingCharacters("短", 5), "短");
    EXPECT_EQ(TextRules::leadingCharacters("abc", 0), "");
    EXPECT_EQ(TextRules::leadingCharacters("ab\xFF", 5), "ab");
}

TEST(TextRules, IdentifierTextIsLettersMarksDigitsUnderscoreAndHyphen) {
    EXPECT_TRUE(TextRules::isIdentifierText("b-18c5f3a2b1c-0123abcdef"));
    EXPECT_TRUE(TextRules::isIdentifierText("书签_2-Ⅻ²"));  // Lo, Nd, Nl, No
    EXPECT_TRUE(TextRules::isIdentifierText("e\u0301"));    // Mn
    EXPECT_FALSE(TextRules::isIdentifierText("a.b"));
    EXPECT_FALSE(TextRules::isIdentifierText("a b"));
    EXPECT_FALSE(TextRules::isIdentifierText("a\u3000b"));
    EXPECT_FALSE(TextRules::isIdentifierText("\U0001F44D"));
    EXPECT_FALSE(TextRules::isIdentifierText("id\xFF"));
}

}  // namespace
}  // namespace velumo
