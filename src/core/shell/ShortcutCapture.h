#pragma once

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

// What a key press does in a capture field.
struct Outcome {
    enum class Kind {
        // Not a shortcut: the key types as in any text field.
        type,
        // The field takes `text`, a shortcut's stored text.
        take,
        // A combination typing produces; `text` says why it is refused.
        refuse,
    };
    Kind kind = Kind::type;
    std::string text;
    bool operator==(const Outcome&) const = default;
};

// The held modifiers in the fixed order Control, Option, Shift, Command, then
// the key, joined by "+". The key is named by its place on the keyboard:
// `keyName` (its XKB key name) gives the table's key there, whatever the
// current layout types; a key outside the table is named by the character it
// types (`keyCharacters`), upper-cased, and judged by the parser when the
// shortcut is applied. No modifier held, or a key that gives no single
// character: the key types. Shift alone: refused.
Outcome capture(HeldModifiers held, std::string_view keyName, std::string_view keyCharacters);

}  // namespace ShortcutCapture
}  // namespace velumo
