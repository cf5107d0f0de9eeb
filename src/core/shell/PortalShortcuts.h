#pragma once

#include <cstdint>
#include <optional>
#include <string>

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

// The rules between the hot-key port and the portal: shortcut ids and texts,
// and triggers in the freedesktop.org shortcut format ("LOGO+ALT+b").
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

}  // namespace PortalShortcuts
}  // namespace velumo
