#include <glib.h>
#include <gtkmm/application.h>

int main(int argc, char** argv) {
    // Always-on-top, window placement and the pointer position need X11; on a
    // Wayland session the application runs through XWayland.
    g_setenv("GDK_BACKEND", "x11", TRUE);
    auto application = Gtk::Application::create("com.orvantis.velumo");
    return application->run(argc, argv);
}
