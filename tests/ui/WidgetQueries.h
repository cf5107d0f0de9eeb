#pragma once

#include <stdexcept>
#include <string>
#include <typeinfo>
#include <vector>

#include <gtkmm/button.h>
#include <gtkmm/range.h>
#include <gtkmm/widget.h>

namespace velumo::uitest {

// Every widget below `root`, depth first, internal children included.
std::vector<Gtk::Widget*> descendants(Gtk::Widget& root);

// The first widget of type T below `root`; throws, failing the test, when
// there is none.
template <typename T>
T& firstOf(Gtk::Widget& root) {
    for (auto* widget : descendants(root)) {
        if (auto* found = dynamic_cast<T*>(widget)) {
            return *found;
        }
    }
    throw std::runtime_error(std::string("no ") + typeid(T).name());
}

// The first button below `root` whose accessible name is `name`; throws when
// there is none.
Gtk::Button& buttonNamed(Gtk::Widget& root, const std::string& name);

// The first widget below `root` carrying the style class; null when none does.
Gtk::Widget* withStyleClass(Gtk::Widget& root, const std::string& styleClass);

// The texts of the labels and the icon names of the images below `root`, in
// order; an empty image gives "".
std::vector<std::string> labelTexts(Gtk::Widget& root);
std::vector<std::string> iconNames(Gtk::Widget& root);

// The text of the per-cent label below `root`.
std::string percentText(Gtk::Widget& root);

// What a drag or a scroll of a slider reports before it moves.
void dragTo(Gtk::Range& slider, double value);

}  // namespace velumo::uitest
