#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace velumo {

// What stands behind the hot-key port in this desktop session.
enum class HotKeyBackend {
    // X11: key grabs on the root window see every application's keys.
    keyGrabs,
    // Wayland with the desktop portal's GlobalShortcuts: the desktop binds them.
    portal,
    // Wayland where the portal cannot make a session for that: grabs made
    // through XWayland fire only while an X11 window (one of ours) has the focus.
    keyGrabsWhileFocused,
};

// A command a desktop shortcut can run for one hot key, with the title of the
// hot key in the settings window.
struct DesktopShortcutCommand {
    std::string title;
    std::string command;
    bool operator==(const DesktopShortcutCommand&) const = default;
};

namespace HotKeyBackends {

// Whether the session is a Wayland one, from XDG_SESSION_TYPE and
// WAYLAND_DISPLAY (either is enough: a terminal may lack the first).
bool waylandSession(std::string_view sessionType, std::string_view waylandDisplay);

// On Wayland the portal is tried first; once it proved unable to make a
// session, `portalUsable` is false.
HotKeyBackend choose(bool wayland, bool portalUsable);

// For desktops that bind keys to commands themselves: each hot key's
// application action, run through gapplication, in the settings window's order.
std::vector<DesktopShortcutCommand> desktopShortcutCommands();

}  // namespace HotKeyBackends
}  // namespace velumo
