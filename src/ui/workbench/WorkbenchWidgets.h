#pragma once

#include <functional>
#include <initializer_list>
#include <string>
#include <string_view>

#include <gtkmm/box.h>
#include <gtkmm/button.h>
#include <gtkmm/label.h>

#include "design/NativeDesignSystem.h"

// The workbench's small building blocks: buttons that carry their action as
// a callback, one-line labels and rows. Every widget is managed.
namespace velumo::WorkbenchWidgets {

// A borderless button showing `symbol` in the muted colour, named `label`
// for assistive technologies and its tool tip; `side` pixels square.
Gtk::Button* iconActionButton(std::string_view symbol, const std::string& label, int side,
                              const std::function<void()>& handler);

// A push button with a title, in the theme's own look.
Gtk::Button* actionButton(const std::string& title, const std::function<void()>& handler);

// A borderless, left-aligned title in the accent colour at 12 pixels, medium
// weight, cut short with an ellipsis when space runs out.
Gtk::Button* textActionButton(const std::string& title, const std::function<void()>& handler);

// A one-line label cut short with an ellipsis at its end.
Gtk::Label* truncatedLabel(const std::string& text, int size, Pango::Weight weight,
                           NativeTextColor color);

// A horizontal box of `views`, centred vertically; `spacer` (if among them)
// takes the free width.
Gtk::Box* row(int spacing, std::initializer_list<Gtk::Widget*> views,
              const Gtk::Widget* spacer = nullptr);

// A plain widget for row() to stretch.
Gtk::Widget* spacer();

// Keeps `widget` alive until the next turn of the main loop, whatever its
// parent does meanwhile: lists are often rebuilt from a click on one of
// their rows, whose handler is still running.
void retire(Gtk::Widget& widget);

// Removes every child of `box`, each retired.
void clear(Gtk::Box& box);

}  // namespace velumo::WorkbenchWidgets
