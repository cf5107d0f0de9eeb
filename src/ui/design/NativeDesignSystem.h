#pragma once

#include <initializer_list>
#include <pangomm/fontdescription.h>
#include <string>
#include <string_view>

#include <gtkmm/box.h>
#include <gtkmm/label.h>

namespace velumo {

// Label colours that follow the appearance: the theme's text colour, or a
// palette member.
enum class NativeTextColor { label, muted, accent };

// Sets the appearance of the whole application: "light" and "dark" (exact
// text) force it; anything else follows the desktop, live.
void applyNativeTheme(std::string_view preference);

// A managed vertical box of `views` in order, each as wide as the box
// unless it keeps to one side by its own alignment.
Gtk::Box* nativeVStack(std::initializer_list<Gtk::Widget*> views, int spacing);

// A managed, left-aligned label in the system font at `size` pixels; a long
// text wraps rather than pushing its neighbours away.
Gtk::Label* nativeLabel(const std::string& text, int size, Pango::Weight weight,
                        NativeTextColor color);

}  // namespace velumo
