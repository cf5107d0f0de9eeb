#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "shell/HotKeyService.h"
#include "shell/ShortcutText.h"

namespace velumo {

// A shortcut as the desktop portal's GlobalShortcuts interface takes it: an
// id of our own, a text the desktop shows beside it in its shortcut settings,
// and the trigger we would like it to have.
struct PortalShortcut {
    std::string id;
    std::string description;
    std::string preferredTrigger;
    bool operator==(const PortalShortcut&) const = default;
};

// One shortcut of the portal's answer to a binding; the trigger description
// is absent when the portal did not say.
struct BoundPortalShortcut {
    std::string id;
    std::optional<std::string> triggerDescription;
};

// The rules between the hot-key port and the portal: shortcut ids and texts,
// triggers in the freedesktop.org shortcut format ("LOGO+ALT+b"), and
// what counts as a binding the desktop granted.
namespace PortalShortcuts {

// The trigger of a combination: its modifiers (LOGO for Command, CTRL, ALT,
// SHIFT) and then the keysym name of its key; none for a key code outside the
// shortcut table.
std::optional<std::string> trigger(KeyCombination combination);

// The shortcut for a registration of the hot-key manager. Its three hot keys
// are named after the application actions that do the same; the desktop shows
// their descriptions in its shortcut settings. None for a key outside the
// shortcut table or an identifier that is not the manager's.
std::optional<PortalShortcut> shortcut(KeyCombination combination, HotKeyIdentifier identifier);

// Whether the portal's answer to a binding grants `id`: the request succeeded
// (response 0) and lists it, with a trigger unless it says nothing about one.
// A desktop that could not give the preferred trigger and assigned none
// answers with an empty trigger description.
bool granted(std::uint32_t response, const std::vector<BoundPortalShortcut>& bound,
             std::string_view id);

}  // namespace PortalShortcuts
}  // namespace velumo
