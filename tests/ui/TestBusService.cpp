#include "TestBusService.h"

#include <stdexcept>
#include <string>

namespace velumo::uitest {
namespace {

constexpr int serving = 1;
constexpr int failed = 2;

}  // namespace

void TestBusService::start(const char* name, const Step& publish) {
    context_ = g_main_context_new();
    loop_ = g_main_loop_new(context_, FALSE);
    std::atomic<int> state = 0;
    thread_ = std::thread([this, name, &publish, &state] { serve(name, publish, state); });
    while (state.load() == 0) {
        std::this_thread::yield();
    }
    if (state.load() == failed) {
        thread_.join();
        g_main_loop_unref(loop_);
        g_main_context_unref(context_);
        throw std::runtime_error(std::string("the test could not take the bus name ") + name);
    }
}

void TestBusService::stop(const Step& withdraw) {
    withdraw_ = withdraw;
    g_main_context_invoke(
        context_,
        [](gpointer loop) {
            g_main_loop_quit(static_cast<GMainLoop*>(loop));
            return G_SOURCE_REMOVE;
        },
        loop_);
    thread_.join();
    g_main_loop_unref(loop_);
    g_main_context_unref(context_);
}

void TestBusService::serve(const char* name, const Step& publish, std::atomic<int>& state) {
    g_main_context_push_thread_default(context_);
    char* address = g_dbus_address_get_for_bus_sync(G_BUS_TYPE_SESSION, nullptr, nullptr);
    connection_ = g_dbus_connection_new_for_address_sync(
        address,
        static_cast<GDBusConnectionFlags>(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                                          G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION),
        nullptr, nullptr, nullptr);
    g_free(address);
    publish(connection_);
    GVariant* reply = g_dbus_connection_call_sync(
        connection_, "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
        "RequestName", g_variant_new("(su)", name, 4U), G_VARIANT_TYPE("(u)"),
        G_DBUS_CALL_FLAGS_NONE, -1, nullptr, nullptr);
    std::uint32_t answer = 0;
    if (reply != nullptr) {
        g_variant_get(reply, "(u)", &answer);
        g_variant_unref(reply);
    }
    const bool owned = answer == 1;  // the primary owner
    state = owned ? serving : failed;
    if (owned) {
        g_main_loop_run(loop_);
        withdraw_(connection_);
    }
    g_dbus_connection_close_sync(connection_, nullptr, nullptr);
    g_object_unref(connection_);
    g_main_context_pop_thread_default(context_);
}

}  // namespace velumo::uitest
