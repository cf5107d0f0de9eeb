#pragma once

#include "browser/DesktopLauncher.h"

namespace velumo {

// The desktop's registered applications through GIO.
class GioDesktopLauncher : public DesktopLauncher {
  public:
    std::optional<std::string> applicationForScheme(const std::string& scheme) override;
    bool launch(const std::string& uri) override;
};

}  // namespace velumo
