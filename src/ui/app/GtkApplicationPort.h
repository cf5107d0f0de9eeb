#pragma once

#include <memory>
#include <vector>

#include <gtkmm/messagedialog.h>

#include "browser/ApplicationPort.h"

namespace velumo {

// The application services of the window set on GTK: message dialogs, and
// activation, which on X11 is the present of the window each caller has just
// brought forward.
class GtkApplicationPort : public ApplicationPort, public sigc::trackable {
  public:
    std::size_t runAlert(const std::string& message, const std::string& informative,
                         const std::vector<std::string>& buttons) override;
    void showAlert(const std::string& message, const std::string& informative) override;
    void activateApplication() override;

  private:
    void forget(const Gtk::MessageDialog* alert);

    // The alerts on screen that nothing waits for.
    std::vector<std::unique_ptr<Gtk::MessageDialog>> alerts_;
};

}  // namespace velumo
