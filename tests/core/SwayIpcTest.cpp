#include <cstdint>

#include <gtest/gtest.h>

#include "browser/SwayIpc.h"

namespace velumo {
namespace {

// Sway reads the header in the machine's byte order; a wrong length would
// leave it waiting for bytes that never come, or read the next message.
TEST(SwayIpc, MessagesCarryTheirLengthAndTypeAndRepliesAreRead) {
    const std::string command = SwayIpc::moveCommand(4194307, {944.4, 563.6});
    EXPECT_EQ(command, "[id=4194307] move absolute position 944 564");
    const std::string message = SwayIpc::encode(SwayIpc::MessageType::runCommand, command);
    ASSERT_EQ(message.size(), SwayIpc::headerSize + command.size());
    EXPECT_EQ(message.substr(0, 6), "i3-ipc");
    EXPECT_EQ(SwayIpc::payloadLength(message), command.size());
    EXPECT_EQ(message.substr(SwayIpc::headerSize), command);
    const std::uint32_t getTree = 4;
    EXPECT_EQ(SwayIpc::encode(SwayIpc::MessageType::getTree, "").substr(10),
              std::string(reinterpret_cast<const char*>(&getTree), sizeof getTree));

    EXPECT_EQ(SwayIpc::payloadLength(message.substr(0, SwayIpc::headerSize - 1)), std::nullopt);
    EXPECT_EQ(SwayIpc::payloadLength("i4-ipc" + message.substr(6)), std::nullopt);
}

}  // namespace
}  // namespace velumo
