#pragma once

#include "browser/ApplicationPort.h"
#include "browser/DesktopLauncher.h"

namespace velumo {

// The desktop's registered applications through GIO. Velumo's own entry,
// should the person have made it the default browser, is passed over.
class GioDesktopLauncher : public DesktopLauncher {
  public:
    explicit GioDesktopLauncher(ApplicationPort& alerts) : alerts_(alerts) {}

    std::optional<std::string> applicationForScheme(const std::string& scheme) override;
    bool launch(const std::string& uri) override;

  private:
    ApplicationPort& alerts_;
};

}  // namespace velumo
