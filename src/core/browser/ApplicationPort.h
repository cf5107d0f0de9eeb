#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace velumo {

// The application-wide services the window set uses: modal alerts and
// bringing the application forward. The desktop layer implements it with GTK
// dialogs; tests answer alerts themselves.
class ApplicationPort {
  public:
    virtual ~ApplicationPort() = default;

    // Shows a modal alert and answers the index of the chosen button. With no
    // buttons given, the alert has the platform's single default button.
    virtual std::size_t runAlert(const std::string& message, const std::string& informative,
                                 const std::vector<std::string>& buttons) = 0;
    virtual void activateApplication() = 0;
};

}  // namespace velumo
