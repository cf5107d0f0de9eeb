#include "shell/ShortcutCapture.h"

#include <glib.h>

namespace velumo::ShortcutCapture {

std::optional<std::string> text(HeldModifiers held, std::string_view keyCharacters) {
    std::string shortcut;
    for (const auto& [isHeld, name] :
         {std::pair{held.control, "Control"}, std::pair{held.option, "Option"},
          std::pair{held.shift, "Shift"}, std::pair{held.command, "Command"}}) {
        if (isHeld) {
            shortcut.append(name).append("+");
        }
    }
    if (shortcut.empty() || keyCharacters.empty() ||
        g_utf8_validate(keyCharacters.data(), static_cast<gssize>(keyCharacters.size()), nullptr) ==
            FALSE) {
        return std::nullopt;
    }
    gchar* upper = g_utf8_strup(keyCharacters.data(), static_cast<gssize>(keyCharacters.size()));
    const std::string key(upper);
    g_free(upper);
    if (g_utf8_strlen(key.c_str(), -1) != 1) {
        return std::nullopt;
    }
    return shortcut + key;
}

}  // namespace velumo::ShortcutCapture
