#include "shell/HotKeyAccelerator.h"

#include <algorithm>
#include <array>
#include <utility>

namespace velumo::HotKeyAccelerator {
namespace {

// Letters are named by themselves; the punctuation keys by their X names.
constexpr std::array<std::pair<std::string_view, std::string_view>, 7> punctuation{{
    {"]", "bracketright"},
    {"[", "bracketleft"},
    {"-", "minus"},
    {"=", "equal"},
    {",", "comma"},
    {".", "period"},
    {"/", "slash"},
}};

}  // namespace

std::optional<std::string_view> keysymName(std::uint32_t keyCode) {
    const auto* key = std::ranges::find(ShortcutText::keys, keyCode, &ShortcutKey::keyCode);
    if (key == ShortcutText::keys.end()) {
        return std::nullopt;
    }
    const auto* named = std::ranges::find(punctuation, key->token,
                                          &std::pair<std::string_view, std::string_view>::first);
    return named == punctuation.end() ? key->token : named->second;
}

std::optional<std::string> written(KeyCombination combination, const ModifierNames& names) {
    const auto name = keysymName(combination.keyCode);
    if (!name) {
        return std::nullopt;
    }
    std::string text;
    for (const auto& [mask, label] : names) {
        if ((combination.modifiers & mask) != 0) {
            text += label;
        }
    }
    return text + std::string(*name);
}

std::optional<std::string> text(KeyCombination combination) {
    // The order of the capture field: Control, Option, Shift, Command.
    return written(combination, {{
                                    {ShortcutText::controlModifier, "<Control>"},
                                    {ShortcutText::optionModifier, "<Alt>"},
                                    {ShortcutText::shiftModifier, "<Shift>"},
                                    {ShortcutText::commandModifier, "<Super>"},
                                }});
}

}  // namespace velumo::HotKeyAccelerator
