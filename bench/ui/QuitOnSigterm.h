#pragma once

#include <glib-unix.h>
#include <gtkmm/application.h>

// The figure scripts end their programs with SIGTERM: the application quits
// as if asked, so it leaves as it would on a desktop.
inline void quitOnSigterm(const Glib::RefPtr<Gtk::Application>& application) {
    g_unix_signal_add(
        SIGTERM,
        +[](gpointer app) {
            static_cast<Gtk::Application*>(app)->quit();
            return G_SOURCE_REMOVE;
        },
        application.get());
}
