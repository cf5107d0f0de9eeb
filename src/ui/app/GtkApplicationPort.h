#pragma once

#include "browser/ApplicationPort.h"

namespace velumo {

// The application services of the window set on GTK: modal message dialogs,
// and activation, which on X11 is the present of the window each caller has
// just brought forward.
class GtkApplicationPort : public ApplicationPort {
  public:
    std::size_t runAlert(const std::string& message, const std::string& informative,
                         const std::vector<std::string>& buttons) override;
    void activateApplication() override;
};

}  // namespace velumo
