#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace velumo {

// The modifiers held while a key is pressed, by their shortcut names
// (Option = Alt, Command = Super here).
struct HeldModifiers {
    bool control = false;
    bool option = false;
    bool shift = false;
    bool command = false;
};

namespace ShortcutCapture {

// The shortcut text a capture field shows for a pressed key: the held
// modifiers in the fixed order Control, Option, Shift, Command, then the
// key's character upper-cased, joined by "+". None when no modifier is held
// or the key does not give exactly one character once upper-cased; the key
// then types as in any text field. Whether the key is usable is left to the
// parser, when the shortcut is applied.
std::optional<std::string> text(HeldModifiers held, std::string_view keyCharacters);

}  // namespace ShortcutCapture
}  // namespace velumo
