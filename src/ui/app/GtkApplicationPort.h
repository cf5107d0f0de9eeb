#pragma once

#include <gtkmm/application.h>

#include "browser/ApplicationPort.h"

namespace velumo {

// The application services of the window set on GTK: modal message dialogs
// and bringing the application's windows forward.
class GtkApplicationPort : public ApplicationPort {
  public:
    explicit GtkApplicationPort(Glib::RefPtr<Gtk::Application> application);

    std::size_t runAlert(const std::string& message, const std::string& informative,
                         const std::vector<std::string>& buttons) override;
    void activateApplication() override;

  private:
    Glib::RefPtr<Gtk::Application> application_;
};

}  // namespace velumo
