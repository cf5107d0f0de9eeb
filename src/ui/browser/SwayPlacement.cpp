#include "browser/SwayPlacement.h"

#include <gio/gio.h>

namespace velumo::SwayPlacement {

bool available() {
    return g_getenv("SWAYSOCK") != nullptr;
}

void move(std::uint64_t window, Point origin) {
    if (!available()) {
        return;
    }
    GTask* task = g_task_new(nullptr, nullptr, nullptr, nullptr);
    g_task_set_task_data(task, new std::string(SwayIpc::moveCommand(window, origin)),
                         [](gpointer command) { delete static_cast<std::string*>(command); });
    // Sway's answer matters to nobody: a window gone meanwhile is not found.
    g_task_run_in_thread(task, [](GTask*, gpointer, gpointer command, GCancellable*) {
        exchange(SwayIpc::MessageType::runCommand, *static_cast<std::string*>(command));
    });
    g_object_unref(task);
}

std::optional<std::string> exchange(SwayIpc::MessageType type, std::string_view payload) {
    const char* path = g_getenv("SWAYSOCK");
    if (path == nullptr) {
        return std::nullopt;
    }
    GSocketClient* client = g_socket_client_new();
    GSocketAddress* address = g_unix_socket_address_new(path);
    GSocketConnection* connection =
        g_socket_client_connect(client, G_SOCKET_CONNECTABLE(address), nullptr, nullptr);
    g_object_unref(address);
    g_object_unref(client);
    if (connection == nullptr) {
        return std::nullopt;
    }
    GIOStream* stream = G_IO_STREAM(connection);
    const std::string message = SwayIpc::encode(type, payload);
    std::string header(SwayIpc::headerSize, '\0');
    std::optional<std::string> reply;
    gsize read = 0;
    if (g_output_stream_write_all(g_io_stream_get_output_stream(stream), message.data(),
                                  message.size(), nullptr, nullptr, nullptr) == TRUE &&
        g_input_stream_read_all(g_io_stream_get_input_stream(stream), header.data(), header.size(),
                                &read, nullptr, nullptr) == TRUE) {
        if (const auto length = SwayIpc::payloadLength(header.substr(0, read))) {
            reply.emplace(*length, '\0');
            if (g_input_stream_read_all(g_io_stream_get_input_stream(stream), reply->data(),
                                        reply->size(), &read, nullptr, nullptr) == FALSE ||
                read != reply->size()) {
                reply.reset();
            }
        }
    }
    g_io_stream_close(stream, nullptr, nullptr);
    g_object_unref(connection);
    return reply;
}

}  // namespace velumo::SwayPlacement
