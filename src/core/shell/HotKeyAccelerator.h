#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "shell/ShortcutText.h"

namespace velumo {

// A hot key as the X11 desktop grabs it, written as an accelerator text of
// the toolkit ("<Alt><Super>bracketleft"). Command is Super, Option is Alt,
// Control is Ctrl and Shift is Shift; each key of the shortcut table is the
// keysym it types without Shift, so "B" grabs the key of "b".
namespace HotKeyAccelerator {

// The keysym name of a key code of the shortcut table; none for other codes.
std::optional<std::string_view> keysymName(std::uint32_t keyCode);

// Names for the four modifiers, in the order they are written.
using ModifierNames = std::array<std::pair<std::uint32_t, std::string_view>, 4>;

// The names of the combination's modifiers, in the order of `names`, then
// the keysym name of its key; none when the key code is not one of the table's.
std::optional<std::string> written(KeyCombination combination, const ModifierNames& names);

// None when the key code is not one of the table's.
std::optional<std::string> text(KeyCombination combination);

}  // namespace HotKeyAccelerator
}  // namespace velumo
