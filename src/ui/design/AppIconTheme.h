#pragma once

#include <string>

namespace velumo {

// Velumo's own icons, kept as an icon theme folder (hicolor/...) beside the
// desktop's themes: the installed one under the executable's prefix, or the
// build tree's when the program runs from its build folder.
namespace AppIconTheme {

// The folder; empty when neither is there.
const std::string& folder();

// Makes the icons known to GTK's default icon theme; the first call does it.
void install();

}  // namespace AppIconTheme
}  // namespace velumo
