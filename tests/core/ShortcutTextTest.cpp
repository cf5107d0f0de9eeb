#include <optional>
#include <string_view>

#include <gtest/gtest.h>

#include "shell/ShortcutText.h"

namespace velumo {
namespace {

TEST(ShortcutText, ParsesModifiersInAnyOrderCaseAndSynonym) {
    using namespace ShortcutText;
    const struct {
        std::string_view text;
        KeyCombination expected;
    } cases[] = {
        {"command+option+b", {11, 2304}},
        {"Cmd+Alt+B", {11, 2304}},
        {"Option+Command+B", {11, 2304}},
        {"Control+Option+Shift+Command+B", {11, 6912}},
        {"ctrl+SHIFT+b", {11, controlModifier | shiftModifier}},
        {"Shift+B", {11, shiftModifier}},
        {"Command+Command+B", {11, commandModifier}},
        {"Command+Option+[", {33, 2304}},
        {"Command+Option+]", {30, 2304}},
        {"Control+/", {44, controlModifier}},
        // Empty pieces are dropped.
        {"Command++B", {11, commandModifier}},
        {"+Command+B+", {11, commandModifier}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(parse(c.text), std::optional(c.expected)) << c.text;
    }
}

TEST(ShortcutText, RefusesTextsWithoutAModifierAndAnAcceptedKey) {
    for (const std::string_view text :
         {"", "+", "B", "Command", "Command+", "Command++", "Command+Option", "Hyper+B",
          "Command+B+Option", "Command+1", "Command+F1", "Command+Space", "Command+;", "Command+'",
          "Command + B", " Command+B", "Command+bb", "Command+\xC3\xA9"}) {
        EXPECT_EQ(ShortcutText::parse(text), std::nullopt) << '"' << text << '"';
    }
    EXPECT_EQ(ShortcutText::keyCode("A"), std::nullopt);
}

}  // namespace
}  // namespace velumo
