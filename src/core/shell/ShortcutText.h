#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace velumo {

// A system-wide shortcut as the hot-key service takes it: a virtual key code
// of the ANSI keyboard layout and a modifier mask, both in Carbon's values.
struct KeyCombination {
    std::uint32_t keyCode = 0;
    std::uint32_t modifiers = 0;
    bool operator==(const KeyCombination&) const = default;
};

struct ShortcutKey {
    std::string_view token;
    std::uint32_t keyCode = 0;
};

// The stored and displayed form of a shortcut, such as "Command+Option+B":
// modifiers, then one key, joined by single "+" signs, compared without case.
namespace ShortcutText {

inline constexpr std::uint32_t commandModifier = 256;
inline constexpr std::uint32_t shiftModifier = 512;
inline constexpr std::uint32_t optionModifier = 2048;
inline constexpr std::uint32_t controlModifier = 4096;

// The only keys a shortcut may end with. Digits, function and arrow keys, the
// space bar, ";" and "'" are deliberately absent.
inline constexpr std::array<ShortcutKey, 33> keys{{
    {"a", 0},  {"b", 11}, {"c", 8},  {"d", 2},  {"e", 14}, {"f", 3},  {"g", 5},
    {"h", 4},  {"i", 34}, {"j", 38}, {"k", 40}, {"l", 37}, {"m", 46}, {"n", 45},
    {"o", 31}, {"p", 35}, {"q", 12}, {"r", 15}, {"s", 1},  {"t", 17}, {"u", 32},
    {"v", 9},  {"w", 13}, {"x", 7},  {"y", 16}, {"z", 6},  {"]", 30}, {"[", 33},
    {"-", 27}, {"=", 24}, {",", 43}, {".", 47}, {"/", 44},
}};

// Empty pieces between "+" signs are dropped, so "Command++B" is "Command+B"
// and "+" can never be the key; spaces are not trimmed and make a text
// invalid. At least one modifier is required.
std::optional<KeyCombination> parse(std::string_view text);

// `token` must already be lower-case.
std::optional<std::uint32_t> keyCode(std::string_view token);

}  // namespace ShortcutText
}  // namespace velumo
