#pragma once

#include "data/Models.h"
#include "design/SegmentedControl.h"

namespace velumo {

// The choice of mode for the next floating window: "窗口模式" (window) or
// "广告模式" (advertisement), 94 pixels each, 34 high; window mode at first.
class NativeModeControl : public SegmentedControl {
  public:
    NativeModeControl();

    BrowserWindowMode selectedMode() const;
};

}  // namespace velumo
