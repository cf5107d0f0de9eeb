#pragma once

#include <optional>
#include <string>
#include <string_view>

#include <gdk/gdk.h>

namespace velumo {

// The X server's names of the keys of its current keymap (XKB key names such
// as "AD11", the place of a key on the keyboard) and the key codes they have
// now. Names are re-read on every call: a layout switch may change them.
namespace XkbKeyNames {

// The key code of the key with this name (or an alias of it); none when the
// keymap has no such key.
std::optional<int> keyCode(GdkDisplay* display, std::string_view name);

// The name of the key with this key code; empty when it has none.
std::string name(GdkDisplay* display, int keyCode);

}  // namespace XkbKeyNames
}  // namespace velumo
