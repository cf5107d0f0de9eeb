#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "browser/SwayIpc.h"

namespace velumo {

// Under sway (its session names the IPC socket in SWAYSOCK), puts a floating
// window where Velumo asked: sway centres every floating X11 window it maps
// or resizes, whatever position the window requested. Elsewhere it does
// nothing.
namespace SwayPlacement {

bool available();
// Asks sway to move the container of X11 window `window` to `origin`.
void move(std::uint64_t window, Point origin);
// Sends one message and waits for the payload of sway's answer; none without
// sway or an answer. It blocks: the main thread leaves it to a worker.
std::optional<std::string> exchange(SwayIpc::MessageType type, std::string_view payload);

}  // namespace SwayPlacement
}  // namespace velumo
