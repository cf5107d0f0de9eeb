#include "shell/PortalShortcuts.h"

#include <algorithm>
#include <array>

#include "shell/GlobalHotKeyManager.h"
#include "shell/HotKeyAccelerator.h"

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
    return HotKeyAccelerator::written(combination, {{
                                                       {ShortcutText::commandModifier, "LOGO+"},
                                                       {ShortcutText::controlModifier, "CTRL+"},
                                                       {ShortcutText::optionModifier, "ALT+"},
                                                       {ShortcutText::shiftModifier, "SHIFT+"},
                                                   }});
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

bool granted(std::uint32_t response, const std::vector<BoundPortalShortcut>& bound,
             std::string_view id) {
    const auto found = std::ranges::find(bound, id, &BoundPortalShortcut::id);
    return response == 0 && found != bound.end() &&
           (!found->triggerDescription || !found->triggerDescription->empty());
}

}  // namespace velumo::PortalShortcuts
