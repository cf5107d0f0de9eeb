#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "shell/ShortcutText.h"

namespace velumo {

// A hot key as the X11 desktop grabs it, written as an accelerator text of
// the toolkit ("<Alt><Super>bracketleft"). Command is Super, Option is Alt,
// Control is Ctrl and Shift is Shift; each key of the shortcut table is the
// keysym it types without Shift, so "B" grabs the key of "b".
namespace HotKeyAccelerator {

// The keysym name of a key code of the shortcut table; none for other codes.
std::optional<std::string_view> keysymName(std::uint32_t keyCode);

// None when the key code is not one of the table's.
std::optional<std::string> text(KeyCombination combination);

}  // namespace HotKeyAccelerator
}  // namespace velumo
