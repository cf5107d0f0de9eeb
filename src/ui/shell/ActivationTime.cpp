#include "shell/ActivationTime.h"

#include <gdk/gdkx.h>
#include <gtk/gtk.h>

namespace velumo {
namespace {

std::uint32_t lastHotKeyPress = GDK_CURRENT_TIME;

// X server times wrap around after 49 days; compare them as X does.
bool isLater(std::uint32_t time, std::uint32_t than) {
    return static_cast<std::int32_t>(time - than) > 0;
}

}  // namespace

void ActivationTime::recordHotKeyPress(std::uint32_t time) {
    lastHotKeyPress = time;
}

std::uint32_t ActivationTime::now() {
    if (const std::uint32_t current = gtk_get_current_event_time(); current != GDK_CURRENT_TIME) {
        return current;
    }
    // The application runs on X11 only (see main).
    const std::uint32_t userTime = gdk_x11_display_get_user_time(gdk_display_get_default());
    if (userTime == GDK_CURRENT_TIME || isLater(lastHotKeyPress, userTime)) {
        return lastHotKeyPress;
    }
    return GDK_CURRENT_TIME;
}

}  // namespace velumo
