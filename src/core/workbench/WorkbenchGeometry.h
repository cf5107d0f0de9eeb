#pragma once

#include <cstddef>
#include <optional>
#include <vector>

#include "browser/WindowGeometry.h"

namespace velumo {

// The size and placement of the workbench window.
namespace WorkbenchGeometry {

inline constexpr Size contentSize{960, 680};
inline constexpr Size minimumSize{780, 560};

// Where each show puts the window: its frame centred on the work area of the
// screen under the pointer (else the primary screen), shrunk where it does
// not fit. The position the user chose is not kept. None without a screen.
std::optional<Rect> frameOnShow(Rect frame, const std::vector<Screen>& screens, Point pointer,
                                std::optional<std::size_t> primary);

}  // namespace WorkbenchGeometry
}  // namespace velumo
