#include "design/NativeModeControl.h"

namespace velumo {

namespace {
constexpr int segmentWidth = 94;
constexpr int height = 34;
}  // namespace

NativeModeControl::NativeModeControl()
    : SegmentedControl({{"窗口模式", segmentWidth}, {"广告模式", segmentWidth}}, height,
                       "新窗口显示模式") {}

BrowserWindowMode NativeModeControl::selectedMode() const {
    return selectedSegment() == 1 ? BrowserWindowMode::advertisement : BrowserWindowMode::window;
}

}  // namespace velumo
