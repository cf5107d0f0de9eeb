#pragma once

#include <functional>
#include <string>
#include <string_view>

#include <gtkmm/button.h>

namespace velumo {

// A square, borderless button showing a symbol in the text colour, radius
// 10; 40 x 40 unless the caller gives another side. An unknown symbol
// leaves the button without an image.
class NativeSymbolButton : public Gtk::Button {
  public:
    static constexpr int standardSide = 40;

    NativeSymbolButton(std::string_view symbol, const std::string& accessibilityLabel,
                       const std::function<void()>& action = {}, int side = standardSide);
};

}  // namespace velumo
