#pragma once

#include <optional>
#include <string>

namespace velumo {

// The desktop's applications for addresses: the default browser for web
// addresses and the handler registered for any other scheme. The desktop
// layer implements it with GIO; tests watch what is handed out.
class DesktopLauncher {
  public:
    virtual ~DesktopLauncher() = default;

    // The name of the application registered for `scheme`, if there is one.
    virtual std::optional<std::string> applicationForScheme(const std::string& scheme) = 0;
    // Opens `uri` in its default application; answers whether one started.
    virtual bool launch(const std::string& uri) = 0;
};

}  // namespace velumo
