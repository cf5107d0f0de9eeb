#include "shell/PortalShortcuts.h"

#include <algorithm>
#include <array>

#include "shell/GlobalHotKeyManager.h"

namespace velumo::PortalShortcuts {
namespace {

struct Named {
    std::uint32_t id;
    std::string_view shortcutId;
    std::string_view description;
};

constexpr std::array<Named, 3> managerShortcuts{{
    {1, "toggle-boss", "老板键：隐藏或恢复当前浮窗"},
    {2, "previous-window", "显示上一个浮窗"},
    {3, "next-window", "显示下一个浮窗"},
}};

}  // namespace

std::optional<std::string> trigger(KeyCombination combination) {
    const ShortcutKey* key = ShortcutText::keyWithCode(combination.keyCode);
    if (key == nullptr) {
        return std::nullopt;
    }
    std::string text;
    for (const auto& [mask, name] : {std::pair{ShortcutText::commandModifier, "LOGO+"},
                                     std::pair{ShortcutText::controlModifier, "CTRL+"},
                                     std::pair{ShortcutText::optionModifier, "ALT+"},
                                     std::pair{ShortcutText::shiftModifier, "SHIFT+"}}) {
        if ((combination.modifiers & mask) != 0) {
            text += name;
        }
    }
    return text + std::string(key->keysym);
}

std::optional<PortalShortcut> shortcut(KeyCombination combination, HotKeyIdentifier identifier) {
    auto preferred = trigger(combination);
    if (!preferred) {
        return std::nullopt;
    }
    const auto* named = std::ranges::find(managerShortcuts, identifier.id, &Named::id);
    if (identifier.signature != GlobalHotKeyManager::signature || named == managerShortcuts.end()) {
        return std::nullopt;
    }
    return PortalShortcut{std::string(named->shortcutId), std::string(named->description),
                          std::move(*preferred)};
}

}  // namespace velumo::PortalShortcuts
