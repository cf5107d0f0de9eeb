#include "app/GtkApplicationPort.h"

#include <algorithm>

#include <glibmm/main.h>

#include "shell/ActivationTime.h"

namespace velumo {
namespace {

std::unique_ptr<Gtk::MessageDialog> makeAlert(const std::string& message,
                                              const std::string& informative) {
    auto dialog = std::make_unique<Gtk::MessageDialog>(message, false, Gtk::MESSAGE_WARNING,
                                                       Gtk::BUTTONS_NONE, true);
    if (!informative.empty()) {
        dialog->set_secondary_text(informative);
    }
    dialog->set_keep_above(true);
    return dialog;
}

}  // namespace

std::size_t GtkApplicationPort::runAlert(const std::string& message, const std::string& informative,
                                         const std::vector<std::string>& buttons) {
    const auto dialog = makeAlert(message, informative);
    if (buttons.empty()) {
        dialog->add_button("好", 0);
    }
    for (std::size_t i = 0; i < buttons.size(); ++i) {
        dialog->add_button(buttons[i], static_cast<int>(i));
    }
    dialog->set_default_response(0);
    // Closing the dialog without a button counts as the last one, the cancel
    // position of every alert the window set shows.
    const int response = dialog->run();
    if (response < 0) {
        return buttons.empty() ? 0 : buttons.size() - 1;
    }
    return static_cast<std::size_t>(response);
}

void GtkApplicationPort::showAlert(const std::string& message, const std::string& informative) {
    const auto same = std::ranges::find_if(alerts_, [&](const auto& alert) {
        return alert->get_visible() && alert->property_text().get_value() == message &&
               alert->property_secondary_text().get_value() == informative;
    });
    if (same != alerts_.end()) {
        (*same)->present(ActivationTime::now());
        return;
    }
    auto alert = makeAlert(message, informative);
    alert->add_button("好", 0);
    Gtk::MessageDialog* shown = alert.get();
    shown->signal_response().connect([this, shown](int) {
        shown->hide();
        // The dialog is still inside its own response; it goes on a later turn.
        Glib::signal_idle().connect_once(
            sigc::bind(sigc::mem_fun(*this, &GtkApplicationPort::forget), shown));
    });
    alerts_.push_back(std::move(alert));
    shown->present(ActivationTime::now());
}

void GtkApplicationPort::forget(const Gtk::MessageDialog* alert) {
    std::erase_if(alerts_, [alert](const auto& each) { return each.get() == alert; });
}

// X11 has no activation of a whole application: a window comes forward when
// it is presented, and every caller has just presented (with the input's time)
// the window it wants in front. Presenting GTK's most recently focused window
// as well would map again a window that was just hidden, such as the one that
// stepping left behind, and put it over the one just shown.
void GtkApplicationPort::activateApplication() {}

}  // namespace velumo
