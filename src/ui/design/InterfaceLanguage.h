#pragma once

namespace velumo::InterfaceLanguage {

// Velumo's texts are Simplified Chinese whatever the locale, but GTK tells
// Pango the locale's language, by which fontconfig chooses the face of each
// Han character: under C or en_US no Chinese face is preferred, so the text
// takes a Japanese one, or faces of different weights within one word. From
// the first call on, every widget that lays out text is given the
// interface's language as it joins a window.
void install();

}  // namespace velumo::InterfaceLanguage
