#pragma once

#include <atomic>
#include <cstdint>
#include <thread>

#include <gio/gio.h>

namespace velumo::uitest {

// The desktop's settings portal, played on the test's private session bus:
// it owns org.freedesktop.portal.Desktop and answers Read and ReadOne for
// org.freedesktop.appearance color-scheme (ReadOne only where it plays a
// portal new enough to have it). It serves from a thread of its
// own, so the application may call it synchronously from the main thread.
class TestSettingsPortal {
  public:
    enum class Version { withReadOne, readOnly };

    explicit TestSettingsPortal(std::uint32_t colorScheme, Version version = Version::withReadOne);
    TestSettingsPortal(const TestSettingsPortal&) = delete;
    TestSettingsPortal& operator=(const TestSettingsPortal&) = delete;
    // Gives the name up: the desktop then has no portal.
    ~TestSettingsPortal();

    // Stores the scheme and announces it with SettingChanged.
    void setColorScheme(std::uint32_t colorScheme);

  private:
    void serve(std::atomic<int>& ready);
    static void methodCall(GDBusConnection* connection, const char* sender, const char* path,
                           const char* interface, const char* method, GVariant* parameters,
                           GDBusMethodInvocation* invocation, gpointer self);

    std::atomic<std::uint32_t> colorScheme_;
    Version version_;
    GMainContext* context_ = nullptr;
    GMainLoop* loop_ = nullptr;
    GDBusConnection* connection_ = nullptr;
    std::thread thread_;
};

}  // namespace velumo::uitest
