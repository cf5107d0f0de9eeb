#pragma once

#include <string>
#include <vector>

#include <gtkmm/button.h>
#include <gtkmm/widget.h>

namespace velumo::uitest {

// Every widget below `root`, depth first, internal children included.
std::vector<Gtk::Widget*> descendants(Gtk::Widget& root);

// The first button below `root` whose accessible name is `name`; throws,
// failing the test, when there is none.
Gtk::Button& buttonNamed(Gtk::Widget& root, const std::string& name);

// The first widget below `root` carrying the style class; null when none does.
Gtk::Widget* withStyleClass(Gtk::Widget& root, const std::string& styleClass);

// The texts of the labels below `root`, in order.
std::vector<std::string> labelTexts(Gtk::Widget& root);

// The icon names of the images below `root`, in order; empty images give "".
std::vector<std::string> iconNames(Gtk::Widget& root);

}  // namespace velumo::uitest
