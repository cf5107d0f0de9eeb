#pragma once

#include <stdexcept>
#include <string>
#include <vector>

#include <gtkmm/button.h>
#include <gtkmm/range.h>

namespace velumo::uitest {

// Every widget below `root`, depth first, internal children included.
std::vector<Gtk::Widget*> descendants(Gtk::Widget& root);

// The first widget of type T below `root` that `matches`; throws, failing
// the test, when there is none.
template <typename T, typename Match = bool (*)(T&)>
T& firstOf(
    Gtk::Widget& root, Match matches = [](T&) { return true; }) {
    for (auto* widget : descendants(root)) {
        if (auto* found = dynamic_cast<T*>(widget); found != nullptr && matches(*found)) {
            return *found;
        }
    }
    throw std::runtime_error("no such widget");
}

// The button whose accessible name (its label or tooltip) is `name`.
Gtk::Button& buttonNamed(Gtk::Widget& root, const std::string& name);
Gtk::Widget& withStyleClass(Gtk::Widget& root, const std::string& styleClass);

// The texts of the labels and the names of the icons below `root`, in order.
std::vector<std::string> labelTexts(Gtk::Widget& root);
std::vector<std::string> iconNames(Gtk::Widget& root);

// The text of the per-cent label below `root`.
std::string percentText(Gtk::Widget& root);

// What a drag of the slider reports before it moves.
void dragTo(Gtk::Range& slider, double value);

}  // namespace velumo::uitest
