#pragma once

#include <optional>
#include <string>
#include <vector>

#include "shell/GlobalHotKeyError.h"
#include "shell/GlobalHotKeyManager.h"
#include "shell/HotKeyBackend.h"

namespace velumo {

// An alert's message and its informative text.
struct AlertText {
    std::string message;
    std::string informative;
    bool operator==(const AlertText&) const = default;
};

// What the settings window says under the shortcuts, and the commands it
// offers for the hot keys no desktop key runs.
struct HotKeyNote {
    std::vector<std::string> lines;
    std::vector<DesktopShortcutCommand> commands;
    bool operator==(const HotKeyNote&) const = default;
};

// What people are told about the hot keys, with the keys named as on their
// keyboards ("Super+Alt+B").
namespace HotKeyMessages {

// Which hot keys work now: none, or the three with their titles.
std::string activeNow(const std::optional<ShortcutTexts>& active);

// The alert when the stored set cannot be registered at launch. The error's
// own text where it is true; for a refused grab with nothing kept, without
// its claim that the earlier keys were kept. The informative text says which
// keys work now.
AlertText launchRefusal(const GlobalHotKeyError& error, const std::optional<ShortcutTexts>& active);

// The alert when the desktop refused a set after it was accepted.
AlertText desktopRefusal(const GlobalHotKeyManager::LateRefusal& refusal);

// Under the shortcuts: nothing for key grabs; for the portal, which keys the
// desktop gave and the commands for the rest; without the portal on
// Wayland, that the keys only work over Velumo's windows, and the commands.
HotKeyNote note(HotKeyBackend backend, const std::optional<DesktopBindings>& bindings);

}  // namespace HotKeyMessages
}  // namespace velumo
