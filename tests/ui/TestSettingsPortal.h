#pragma once

#include <atomic>
#include <cstdint>

#include <gio/gio.h>

#include "TestBusService.h"

namespace velumo::uitest {

// The desktop's settings portal, played on the test's private session bus:
// it owns org.freedesktop.portal.Desktop and answers Read and ReadOne for
// org.freedesktop.appearance color-scheme (ReadOne only where it plays a
// portal new enough to have it).
class TestSettingsPortal : private TestBusService {
  public:
    enum class Version { withReadOne, readOnly };

    explicit TestSettingsPortal(std::uint32_t colorScheme, Version version = Version::withReadOne);
    // Gives the name up: the desktop then has no portal.
    ~TestSettingsPortal();

    // Stores the scheme and announces it with SettingChanged.
    void setColorScheme(std::uint32_t colorScheme);

  private:
    static void methodCall(GDBusConnection* connection, const char* sender, const char* path,
                           const char* interface, const char* method, GVariant* parameters,
                           GDBusMethodInvocation* invocation, gpointer self);

    std::atomic<std::uint32_t> colorScheme_;
    Version version_;
    GDBusNodeInfo* node_ = nullptr;
    guint registration_ = 0;
};

}  // namespace velumo::uitest
