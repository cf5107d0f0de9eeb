#include <optional>
#include <string_view>

#include <gtest/gtest.h>

#include "data/TextRules.h"

namespace velumo {
namespace {

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
