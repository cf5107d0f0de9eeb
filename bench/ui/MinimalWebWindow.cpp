// The reference for Velumo's figures: the least a gtkmm program needs to show
// web pages in windows. Usage: velumo_minimal_web_window URL COUNT hold|exit
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include <glib-unix.h>
#include <gtkmm/application.h>
#include <gtkmm/window.h>

#include "PaintProbe.h"

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fputs("usage: velumo_minimal_web_window URL COUNT hold|exit\n", stderr);
        return EXIT_FAILURE;
    }
    const std::string url = argv[1];
    const int count = std::atoi(argv[2]);
    const bool hold = std::string(argv[3]) == "hold";
    gdk_set_allowed_backends("x11");
    auto application =
        Gtk::Application::create("org.example.MinimalWebWindow", Gio::APPLICATION_NON_UNIQUE);
    std::vector<std::unique_ptr<Gtk::Window>> windows;
    std::vector<std::unique_ptr<PaintProbe>> probes;
    int painted = 0;
    application->signal_activate().connect([&] {
        const auto start = PaintProbe::Clock::now();
        for (int i = 0; i < count; ++i) {
            auto probe = std::make_unique<PaintProbe>(start, [&] {
                if (++painted == count) {
                    std::puts("ready");
                    std::fflush(stdout);
                    if (!hold) {
                        application->quit();
                    }
                }
            });
            auto window = std::make_unique<Gtk::Window>();
            window->set_default_size(760, 520);
            GtkWidget* view = webkit_web_view_new();
            gtk_container_add(GTK_CONTAINER(window->gobj()), view);
            probe->watchWindow(GTK_WIDGET(window->gobj()));
            probe->watchView(WEBKIT_WEB_VIEW(view));
            window->show_all();
            webkit_web_view_load_uri(WEBKIT_WEB_VIEW(view), url.c_str());
            application->add_window(*window);
            windows.push_back(std::move(window));
            probes.push_back(std::move(probe));
        }
    });
    g_unix_signal_add(
        SIGTERM,
        +[](gpointer app) {
            static_cast<Gtk::Application*>(app)->quit();
            return G_SOURCE_REMOVE;
        },
        application.get());
    return application->run(1, argv);
}
