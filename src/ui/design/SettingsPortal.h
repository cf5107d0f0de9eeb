#pragma once

#include <cstdint>
#include <functional>
#include <optional>

#include <gio/gio.h>

namespace velumo {

// The desktop's colour scheme as the settings portal
// (org.freedesktop.portal.Desktop on the session bus) states it: 0 no
// preference, 1 prefer dark, 2 prefer light.
class SettingsPortal {
  public:
    using Listener = std::function<void(std::uint32_t)>;

    // Without a session bus nothing is read and nothing is heard.
    SettingsPortal();
    SettingsPortal(const SettingsPortal&) = delete;
    SettingsPortal& operator=(const SettingsPortal&) = delete;
    ~SettingsPortal();

    // Asks the portal now; none when there is no portal or no such setting.
    std::optional<std::uint32_t> colorScheme() const;
    // Called on the main thread at every change the portal announces.
    void onColorSchemeChanged(Listener listener) { listener_ = std::move(listener); }

  private:
    static void settingChanged(GDBusConnection* bus, const char* sender, const char* path,
                               const char* interface, const char* signal, GVariant* parameters,
                               gpointer self);

    GDBusConnection* bus_ = nullptr;
    guint subscription_ = 0;
    Listener listener_;
};

}  // namespace velumo
