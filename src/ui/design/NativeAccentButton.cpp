#include "design/NativeAccentButton.h"

#include "design/NativeTheme.h"

namespace velumo {

NativeAccentButton::NativeAccentButton(const std::string& title,
                                       const std::function<void()>& action)
    : Gtk::Button(title) {
    NativeTheme::shared();
    get_style_context()->add_class("velumo-accent-button");
    set_valign(Gtk::ALIGN_CENTER);
    if (action) {
        signal_clicked().connect(action);
    }
}

}  // namespace velumo
