#include "shell/HotKeyBackend.h"

#include "app/ApplicationIdentity.h"

namespace velumo::HotKeyBackends {

bool waylandSession(std::string_view sessionType, std::string_view waylandDisplay) {
    return sessionType == "wayland" || !waylandDisplay.empty();
}

HotKeyBackend choose(bool wayland, bool portalUsable) {
    if (!wayland) {
        return HotKeyBackend::keyGrabs;
    }
    return portalUsable ? HotKeyBackend::portal : HotKeyBackend::keyGrabsWhileFocused;
}

std::vector<DesktopShortcutCommand> desktopShortcutCommands() {
    const std::string prefix = "gapplication action " + std::string(ApplicationIdentity::id) + " ";
    return {{"全局老板键", prefix + "toggle-boss"},
            {"上一个浮窗", prefix + "previous-window"},
            {"下一个浮窗", prefix + "next-window"}};
}

}  // namespace velumo::HotKeyBackends
