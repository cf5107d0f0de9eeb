#pragma once

#include <array>
#include <string>
#include <string_view>

#include "data/Models.h"

namespace velumo {

struct WorkbenchTip {
    // Named after the original symbol set; the desktop layer maps it to an icon.
    std::string_view symbol;
    std::string_view title;
    std::string detail;
    bool operator==(const WorkbenchTip&) const = default;
};

namespace WorkbenchTips {

inline constexpr std::size_t count = 7;

// The workbench's usage tips in carousel order. The boss key, the window
// stepping keys and the control-bar folding are shown as currently set.
std::array<WorkbenchTip, count> tips(const AppSettings& settings);

}  // namespace WorkbenchTips
}  // namespace velumo
