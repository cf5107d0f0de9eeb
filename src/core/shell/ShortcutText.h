#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace velumo {

// A system-wide shortcut as the hot-key service takes it: a virtual key code
// of the ANSI keyboard layout and a modifier mask, both in Carbon's values.
struct KeyCombination {
    std::uint32_t keyCode = 0;
    std::uint32_t modifiers = 0;
    bool operator==(const KeyCombination&) const = default;
};

// A key a shortcut may end with. The key code names a place on the keyboard,
// not a character: the same place has an XKB key name (the key's row and
// column, "AD11" for the key right of "P"), whatever a layout types there.
// The keysym is what the US layout types there without Shift.
struct ShortcutKey {
    std::string_view token;
    std::uint32_t keyCode = 0;
    std::string_view keyName;
    std::string_view keysym;
};

// The stored form of a shortcut, such as "Command+Option+B": modifiers, then
// one key, joined by single "+" signs, compared without case. People on this
// desktop see it with the names their keyboards carry: "Super+Alt+B".
namespace ShortcutText {

inline constexpr std::uint32_t commandModifier = 256;
inline constexpr std::uint32_t shiftModifier = 512;
inline constexpr std::uint32_t optionModifier = 2048;
inline constexpr std::uint32_t controlModifier = 4096;

// The only keys a shortcut may end with. Digits, function and arrow keys, the
// space bar, ";" and "'" are deliberately absent.
inline constexpr std::array<ShortcutKey, 33> keys{{
    {"a", 0, "AC01", "a"},
    {"b", 11, "AB05", "b"},
    {"c", 8, "AB03", "c"},
    {"d", 2, "AC03", "d"},
    {"e", 14, "AD03", "e"},
    {"f", 3, "AC04", "f"},
    {"g", 5, "AC05", "g"},
    {"h", 4, "AC06", "h"},
    {"i", 34, "AD08", "i"},
    {"j", 38, "AC07", "j"},
    {"k", 40, "AC08", "k"},
    {"l", 37, "AC09", "l"},
    {"m", 46, "AB07", "m"},
    {"n", 45, "AB06", "n"},
    {"o", 31, "AD09", "o"},
    {"p", 35, "AD10", "p"},
    {"q", 12, "AD01", "q"},
    {"r", 15, "AD04", "r"},
    {"s", 1, "AC02", "s"},
    {"t", 17, "AD05", "t"},
    {"u", 32, "AD07", "u"},
    {"v", 9, "AB04", "v"},
    {"w", 13, "AD02", "w"},
    {"x", 7, "AB02", "x"},
    {"y", 16, "AD06", "y"},
    {"z", 6, "AB01", "z"},
    {"]", 30, "AD12", "bracketright"},
    {"[", 33, "AD11", "bracketleft"},
    {"-", 27, "AE11", "minus"},
    {"=", 24, "AE12", "equal"},
    {",", 43, "AB08", "comma"},
    {".", 47, "AB09", "period"},
    {"/", 44, "AB10", "slash"},
}};

// Empty pieces between "+" signs are dropped, so "Command++B" is "Command+B"
// and "+" can never be the key; spaces are not trimmed and make a text
// invalid. At least one modifier is required.
std::optional<KeyCombination> parse(std::string_view text);

// `token` must already be lower-case.
std::optional<std::uint32_t> keyCode(std::string_view token);

// The table's key with this key code, or with this XKB key name; none when
// the table has no such key.
const ShortcutKey* keyWithCode(std::uint32_t keyCode);
const ShortcutKey* keyNamed(std::string_view keyName);

// Whether the combination is one that typing produces: without Command,
// Option or Control, a system-wide grab would take the key from every
// text field ("Shift+A" would swallow every capital A).
bool takesOverTyping(KeyCombination combination);

// The combination as people on this desktop name it, Super, Ctrl, Alt and
// Shift before the key ("Super+Alt+["); empty for a key outside the table.
std::string displayed(KeyCombination combination);
// A stored text as shown in the settings and in alerts: a valid one as its
// combination is named; any other keeps its pieces, each modifier with its
// name on this desktop, so a person sees what is wrong with it.
std::string displayed(std::string_view stored);
// The stored form of a text a person wrote with this desktop's names:
// Super, Alt and Ctrl become Command, Option and Control; every other piece
// stays as it is.
std::string stored(std::string_view shown);

}  // namespace ShortcutText
}  // namespace velumo
