#include "shell/ShortcutCapture.h"

#include <glib.h>

#include "shell/GlobalHotKeyError.h"
#include "shell/ShortcutText.h"

namespace velumo::ShortcutCapture {
namespace {

// The key's character upper-cased; empty unless it is exactly one character.
std::string keyText(std::string_view keyName, std::string_view keyCharacters) {
    if (const ShortcutKey* key = ShortcutText::keyNamed(keyName)) {
        keyCharacters = key->token;
    }
    if (keyCharacters.empty() ||
        g_utf8_validate(keyCharacters.data(), static_cast<gssize>(keyCharacters.size()), nullptr) ==
            FALSE) {
        return {};
    }
    gchar* upper = g_utf8_strup(keyCharacters.data(), static_cast<gssize>(keyCharacters.size()));
    std::string key(upper);
    g_free(upper);
    return g_utf8_strlen(key.c_str(), -1) == 1 ? key : std::string();
}

}  // namespace

Outcome capture(HeldModifiers held, std::string_view keyName, std::string_view keyCharacters) {
    std::string shortcut;
    for (const auto& [isHeld, name] :
         {std::pair{held.control, "Control"}, std::pair{held.option, "Option"},
          std::pair{held.shift, "Shift"}, std::pair{held.command, "Command"}}) {
        if (isHeld) {
            shortcut.append(name).append("+");
        }
    }
    const std::string key = keyText(keyName, keyCharacters);
    if (shortcut.empty() || key.empty()) {
        return {};
    }
    if (!held.control && !held.option && !held.command) {
        return {Outcome::Kind::refuse,
                std::string(GlobalHotKeyError::typingShortcut().description())};
    }
    return {Outcome::Kind::take, shortcut + key};
}

}  // namespace velumo::ShortcutCapture
