#include "browser/GioDesktopLauncher.h"

#include <gdk/gdk.h>
#include <gio/gio.h>
#include <gtk/gtk.h>

namespace velumo {

std::optional<std::string> GioDesktopLauncher::applicationForScheme(const std::string& scheme) {
    GAppInfo* application = g_app_info_get_default_for_uri_scheme(scheme.c_str());
    if (application == nullptr) {
        return std::nullopt;
    }
    std::string name = g_app_info_get_display_name(application);
    g_object_unref(application);
    return name;
}

bool GioDesktopLauncher::launch(const std::string& uri) {
    // The launch context carries startup notification, so the opened
    // application comes to the front.
    GdkAppLaunchContext* context = gdk_display_get_app_launch_context(gdk_display_get_default());
    gdk_app_launch_context_set_timestamp(context, gtk_get_current_event_time());
    GError* error = nullptr;
    const bool launched =
        g_app_info_launch_default_for_uri(uri.c_str(), G_APP_LAUNCH_CONTEXT(context), &error);
    if (error != nullptr) {
        g_error_free(error);
    }
    g_object_unref(context);
    return launched;
}

}  // namespace velumo
