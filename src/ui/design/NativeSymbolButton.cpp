#include "design/NativeSymbolButton.h"

#include <atkmm/object.h>

#include "design/NativeTheme.h"
#include "design/SymbolIcons.h"

namespace velumo {

NativeSymbolButton::NativeSymbolButton(std::string_view symbol,
                                       const std::string& accessibilityLabel,
                                       const std::function<void()>& action, int side) {
    NativeTheme::shared();
    get_style_context()->add_class("velumo-symbol-button");
    // The symbol takes a little under half the side, as a toolbar icon does.
    set_image(*SymbolIcons::makeImage(symbol, side * 9 / 20));
    set_always_show_image(true);
    set_relief(Gtk::RELIEF_NONE);
    set_size_request(side, side);
    set_valign(Gtk::ALIGN_CENTER);
    set_halign(Gtk::ALIGN_CENTER);
    set_tooltip_text(accessibilityLabel);
    get_accessible()->set_name(accessibilityLabel);
    if (action) {
        signal_clicked().connect(action);
    }
}

}  // namespace velumo
