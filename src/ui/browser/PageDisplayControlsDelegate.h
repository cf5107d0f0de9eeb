#pragma once

#include "data/Models.h"

namespace velumo {

// Page zoom and identity commands from the more-menu's display controls.
class PageDisplayControlsDelegate {
  public:
    virtual ~PageDisplayControlsDelegate() = default;

    virtual void displayControlsSetPageZoom(double zoom) = 0;
    virtual void displayControlsSetBrowserMode(BrowserIdentityMode mode) = 0;
};

}  // namespace velumo
