#include "browser/GioDesktopLauncher.h"

#include <vector>

#include <gdk/gdk.h>
#include <giomm/appinfo.h>
#include <glibmm/uriutils.h>
#include <gtk/gtk.h>

#include "browser/HandlerChoice.h"

namespace velumo {
namespace {

using Handlers = std::vector<Glib::RefPtr<Gio::AppInfo>>;

// The applications registered for `scheme`, the default first.
Handlers handlersFor(const std::string& scheme) {
    Handlers handlers;
    if (scheme.empty()) {
        return handlers;
    }
    if (auto fallback = Gio::AppInfo::get_default_for_uri_scheme(scheme)) {
        handlers.push_back(std::move(fallback));
    }
    const Handlers registered = Gio::AppInfo::get_all_for_type("x-scheme-handler/" + scheme);
    handlers.insert(handlers.end(), registered.begin(), registered.end());
    return handlers;
}

HandlerChoice choose(const Handlers& handlers) {
    std::vector<std::string> ids;
    for (const auto& handler : handlers) {
        ids.push_back(handler->get_id());
    }
    return HandlerChoices::choose(ids);
}

}  // namespace

std::optional<std::string> GioDesktopLauncher::applicationForScheme(const std::string& scheme) {
    const Handlers handlers = handlersFor(scheme);
    const HandlerChoice choice = choose(handlers);
    if (choice.handoff == Handoff::onlyVelumo || handlers.empty()) {
        return std::nullopt;
    }
    return handlers.at(choice.index)->get_display_name();
}

bool GioDesktopLauncher::launch(const std::string& uri) {
    const Handlers handlers = handlersFor(Glib::uri_parse_scheme(uri));
    const HandlerChoice choice = choose(handlers);
    if (choice.handoff == Handoff::onlyVelumo) {
        alerts_.showAlert(std::string(HandlerChoices::onlyVelumoMessage),
                          std::string(HandlerChoices::onlyVelumoInformative));
        return false;
    }
    // The launch context carries startup notification, so the opened
    // application comes to the front.
    GdkAppLaunchContext* context = gdk_display_get_app_launch_context(gdk_display_get_default());
    gdk_app_launch_context_set_timestamp(context, gtk_get_current_event_time());
    // GLib's own calls: giomm's throw when the application cannot be started.
    GError* error = nullptr;
    bool launched = false;
    if (choice.handoff == Handoff::nextApplication) {
        GList uris{const_cast<char*>(uri.c_str()), nullptr, nullptr};
        launched = g_app_info_launch_uris(handlers.at(choice.index)->gobj(), &uris,
                                          G_APP_LAUNCH_CONTEXT(context), &error);
    } else {
        // The default's own way, which also opens a file by its type.
        launched =
            g_app_info_launch_default_for_uri(uri.c_str(), G_APP_LAUNCH_CONTEXT(context), &error);
    }
    if (error != nullptr) {
        g_error_free(error);
    }
    g_object_unref(context);
    return launched;
}

}  // namespace velumo
