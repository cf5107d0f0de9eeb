#pragma once

#include <glib-unix.h>
#include <gtkmm/application.h>

// The application of a measuring or showcase program: on X11 like Velumo,
// never handing over to a running instance, and quitting on SIGTERM so the
// scripts can end it cleanly.
inline Glib::RefPtr<Gtk::Application> measuredApplication(const char* applicationId) {
    gdk_set_allowed_backends("x11");
    auto application = Gtk::Application::create(applicationId, Gio::APPLICATION_NON_UNIQUE);
    g_unix_signal_add(
        SIGTERM,
        +[](gpointer app) {
            static_cast<Gtk::Application*>(app)->quit();
            return G_SOURCE_REMOVE;
        },
        application.get());
    return application;
}
