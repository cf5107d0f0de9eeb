#pragma once

#include <atomic>
#include <functional>
#include <thread>

#include <gio/gio.h>

namespace velumo::uitest {

// A service the test plays on its private session bus (a desktop portal, a
// panel). It serves from a thread of its own with a connection of its own,
// so the application may call it synchronously from the main thread.
class TestBusService {
  public:
    using Step = std::function<void(GDBusConnection*)>;

    TestBusService(const TestBusService&) = delete;
    TestBusService& operator=(const TestBusService&) = delete;

  protected:
    TestBusService() = default;
    ~TestBusService() = default;

    // Connects, runs `publish` on the service's thread to register its
    // objects, then takes `name` without queueing (a second owner would be a
    // fault of the test); throws when it cannot.
    void start(const char* name, const Step& publish);
    // Runs `withdraw` on the service's thread, then closes the connection,
    // which gives the name back at once. Subclasses call it in their
    // destructors, while what their handlers use still exists.
    void stop(const Step& withdraw);

    GDBusConnection* connection() const { return connection_; }

  private:
    void serve(const char* name, const Step& publish, std::atomic<int>& state);

    GMainContext* context_ = nullptr;
    GMainLoop* loop_ = nullptr;
    GDBusConnection* connection_ = nullptr;
    Step withdraw_;
    std::thread thread_;
};

}  // namespace velumo::uitest
