#include "shell/ShortcutText.h"

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

namespace velumo::ShortcutText {
namespace {

std::optional<std::uint32_t> modifier(std::string_view token) {
    if (token == "command" || token == "cmd") {
        return commandModifier;
    }
    if (token == "shift") {
        return shiftModifier;
    }
    if (token == "option" || token == "alt") {
        return optionModifier;
    }
    if (token == "control" || token == "ctrl") {
        return controlModifier;
    }
    return std::nullopt;
}

// The order and names of modifiers on this desktop.
constexpr std::array<std::pair<std::uint32_t, std::string_view>, 4> desktopNames{{
    {commandModifier, "Super"},
    {controlModifier, "Ctrl"},
    {optionModifier, "Alt"},
    {shiftModifier, "Shift"},
}};

// Only ASCII letters change: every valid token is ASCII, and leaving other
// bytes alone keeps multi-byte characters from ever matching one.
std::string lowerCased(std::string_view piece) {
    std::string lower(piece);
    std::ranges::transform(lower, lower.begin(), [](char c) {
        return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    });
    return lower;
}

// Every piece between "+" signs, empty ones included.
std::vector<std::string_view> pieces(std::string_view text) {
    std::vector<std::string_view> all;
    std::size_t start = 0;
    while (true) {
        const std::size_t end = text.find('+', start);
        all.push_back(text.substr(start, end == std::string_view::npos ? end : end - start));
        if (end == std::string_view::npos) {
            return all;
        }
        start = end + 1;
    }
}

std::string joined(const std::vector<std::string>& parts) {
    std::string text;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        text += (i == 0 ? "" : "+") + parts[i];
    }
    return text;
}

}  // namespace

std::optional<KeyCombination> parse(std::string_view text) {
    std::vector<std::string> tokens;
    for (const auto piece : pieces(text)) {
        if (!piece.empty()) {
            tokens.push_back(lowerCased(piece));
        }
    }
    if (tokens.size() < 2) {
        return std::nullopt;
    }
    std::uint32_t mask = 0;
    for (std::size_t i = 0; i + 1 < tokens.size(); ++i) {
        const auto value = modifier(tokens[i]);
        if (!value) {
            return std::nullopt;
        }
        mask |= *value;
    }
    const auto code = keyCode(tokens.back());
    if (!code) {
        return std::nullopt;
    }
    return KeyCombination{*code, mask};
}

std::optional<std::uint32_t> keyCode(std::string_view token) {
    const auto* key = std::ranges::find(keys, token, &ShortcutKey::token);
    if (key == keys.end()) {
        return std::nullopt;
    }
    return key->keyCode;
}

const ShortcutKey* keyWithCode(std::uint32_t keyCode) {
    const auto* key = std::ranges::find(keys, keyCode, &ShortcutKey::keyCode);
    return key == keys.end() ? nullptr : key;
}

const ShortcutKey* keyNamed(std::string_view keyName) {
    const auto* key = std::ranges::find(keys, keyName, &ShortcutKey::keyName);
    return key == keys.end() ? nullptr : key;
}

bool takesOverTyping(KeyCombination combination) {
    return (combination.modifiers & (commandModifier | optionModifier | controlModifier)) == 0;
}

std::string displayed(KeyCombination combination) {
    const ShortcutKey* key = keyWithCode(combination.keyCode);
    if (key == nullptr) {
        return {};
    }
    std::string text;
    for (const auto& [mask, name] : desktopNames) {
        if ((combination.modifiers & mask) != 0) {
            text.append(name).append("+");
        }
    }
    std::string character(key->token);
    std::ranges::transform(character, character.begin(), [](char c) {
        return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
    });
    return text + character;
}

std::string displayed(std::string_view stored) {
    if (const auto combination = parse(stored)) {
        return displayed(*combination);
    }
    std::vector<std::string> shown;
    for (const auto piece : pieces(stored)) {
        const auto mask = modifier(lowerCased(piece));
        const auto* name =
            mask ? std::ranges::find(desktopNames, *mask,
                                     &std::pair<std::uint32_t, std::string_view>::first)
                 : desktopNames.end();
        shown.emplace_back(name != desktopNames.end() ? name->second : piece);
    }
    return joined(shown);
}

std::string stored(std::string_view shown) {
    std::vector<std::string> parts;
    for (const auto piece : pieces(shown)) {
        const std::string lower = lowerCased(piece);
        if (lower == "super") {
            parts.emplace_back("Command");
        } else if (lower == "alt") {
            parts.emplace_back("Option");
        } else if (lower == "ctrl") {
            parts.emplace_back("Control");
        } else {
            parts.emplace_back(piece);
        }
    }
    return joined(parts);
}

}  // namespace velumo::ShortcutText
