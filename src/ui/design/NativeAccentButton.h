#pragma once

#include <functional>
#include <string>

#include <gtkmm/button.h>

namespace velumo {

// The primary action of a window: a dark-green title on the accent colour,
// radius 10, 42 pixels high; the caller chooses the width.
class NativeAccentButton : public Gtk::Button {
  public:
    explicit NativeAccentButton(const std::string& title, const std::function<void()>& action = {});
};

}  // namespace velumo
