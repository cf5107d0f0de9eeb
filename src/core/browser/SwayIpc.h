#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "browser/WindowGeometry.h"

namespace velumo {

// Sway's IPC, the protocol i3 defined: a magic text, the payload's length and
// the message type (32-bit numbers in the machine's byte order), then the
// payload. Sway centres every floating X11 window it maps or resizes,
// whatever position the window asks for; its IPC is how a floating window
// gets the place Velumo gives it there.
namespace SwayIpc {

enum class MessageType : std::uint32_t { runCommand = 0, getTree = 4 };

inline constexpr std::size_t headerSize = 14;

std::string encode(MessageType type, std::string_view payload);
// The payload length that a reply's header announces; none when `header` is
// not one.
std::optional<std::uint32_t> payloadLength(std::string_view header);
// Moves the container of X11 window `window` so that its top-left corner is
// at `origin`, in the coordinates X clients see.
std::string moveCommand(std::uint64_t window, Point origin);

}  // namespace SwayIpc
}  // namespace velumo
