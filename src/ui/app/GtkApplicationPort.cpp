#include "app/GtkApplicationPort.h"

#include <gtkmm/messagedialog.h>

namespace velumo {

std::size_t GtkApplicationPort::runAlert(const std::string& message, const std::string& informative,
                                         const std::vector<std::string>& buttons) {
    Gtk::MessageDialog dialog(message, false, Gtk::MESSAGE_WARNING, Gtk::BUTTONS_NONE, true);
    if (!informative.empty()) {
        dialog.set_secondary_text(informative);
    }
    if (buttons.empty()) {
        dialog.add_button("好", 0);
    }
    for (std::size_t i = 0; i < buttons.size(); ++i) {
        dialog.add_button(buttons[i], static_cast<int>(i));
    }
    dialog.set_default_response(0);
    dialog.set_keep_above(true);
    // Closing the dialog without a button counts as the last one, the cancel
    // position of every alert the window set shows.
    const int response = dialog.run();
    if (response < 0) {
        return buttons.empty() ? 0 : buttons.size() - 1;
    }
    return static_cast<std::size_t>(response);
}

// X11 has no activation of a whole application: a window comes forward when
// it is presented, and every caller has just presented (with the input's time)
// the window it wants in front. Presenting GTK's most recently focused window
// as well would map again a window that was just hidden, such as the one that
// stepping left behind, and put it over the one just shown.
void GtkApplicationPort::activateApplication() {}

}  // namespace velumo
