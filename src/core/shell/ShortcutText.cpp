#include "shell/ShortcutText.h"

#include <algorithm>
#include <string>
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

// Only ASCII letters change: every valid token is ASCII, and leaving other
// bytes alone keeps multi-byte characters from ever matching one.
std::string lowerCased(std::string_view piece) {
    std::string lower(piece);
    std::ranges::transform(lower, lower.begin(), [](char c) {
        return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    });
    return lower;
}

std::vector<std::string> tokens(std::string_view text) {
    std::vector<std::string> pieces;
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t end = std::min(text.find('+', start), text.size());
        if (end > start) {
            pieces.push_back(lowerCased(text.substr(start, end - start)));
        }
        start = end + 1;
    }
    return pieces;
}

}  // namespace

std::optional<KeyCombination> parse(std::string_view text) {
    const auto pieces = tokens(text);
    if (pieces.size() < 2) {
        return std::nullopt;
    }
    std::uint32_t mask = 0;
    for (std::size_t i = 0; i + 1 < pieces.size(); ++i) {
        const auto value = modifier(pieces[i]);
        if (!value) {
            return std::nullopt;
        }
        mask |= *value;
    }
    const auto code = keyCode(pieces.back());
    if (!code) {
        return std::nullopt;
    }
    return KeyCombination{*code, mask};
}

std::optional<std::uint32_t> keyCode(std::string_view token) {
    const auto* key =
        std::ranges::find_if(keys, [token](const ShortcutKey& k) { return k.token == token; });
    if (key == keys.end()) {
        return std::nullopt;
    }
    return key->keyCode;
}

}  // namespace velumo::ShortcutText
