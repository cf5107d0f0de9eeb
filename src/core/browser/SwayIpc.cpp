#include "browser/SwayIpc.h"

#include <cmath>
#include <cstring>

namespace velumo::SwayIpc {
namespace {

constexpr std::string_view magic = "i3-ipc";

std::string bytesOf(std::uint32_t value) {
    std::string bytes(sizeof value, '\0');
    std::memcpy(bytes.data(), &value, sizeof value);
    return bytes;
}

}  // namespace

std::string encode(MessageType type, std::string_view payload) {
    return std::string(magic) + bytesOf(static_cast<std::uint32_t>(payload.size())) +
           bytesOf(static_cast<std::uint32_t>(type)) + std::string(payload);
}

std::optional<std::uint32_t> payloadLength(std::string_view header) {
    if (header.size() < headerSize || !header.starts_with(magic)) {
        return std::nullopt;
    }
    std::uint32_t length = 0;
    std::memcpy(&length, header.data() + magic.size(), sizeof length);
    return length;
}

std::string moveCommand(std::uint64_t window, Point origin) {
    return "[id=" + std::to_string(window) + "] move absolute position " +
           std::to_string(std::lround(origin.x)) + " " + std::to_string(std::lround(origin.y));
}

}  // namespace velumo::SwayIpc
