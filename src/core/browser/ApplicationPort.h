#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace velumo {

// The application-wide services the window set uses: alerts and bringing the
// application forward. The desktop layer implements it with GTK dialogs;
// tests answer alerts themselves.
class ApplicationPort {
  public:
    virtual ~ApplicationPort() = default;

    // Shows a modal alert and answers the index of the chosen button. With no
    // buttons given, the alert has the platform's single default button.
    virtual std::size_t runAlert(const std::string& message, const std::string& informative,
                                 const std::vector<std::string>& buttons) = 0;
    // Shows an alert with the platform's single default button and returns
    // at once: nothing waits for its answer. An alert with the same texts
    // still on screen comes to the front instead of a second one.
    virtual void showAlert(const std::string& message, const std::string& informative) = 0;
    virtual void activateApplication() = 0;
};

}  // namespace velumo
