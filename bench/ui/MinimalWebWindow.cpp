// The reference for Velumo's figures: the least a gtkmm program needs to show
// web pages in windows. Usage: velumo_minimal_web_window URL COUNT hold|exit
#include <memory>
#include <vector>

#include <gtkmm/window.h>

#include "FigureRun.h"

int main(int argc, char** argv) {
    FigureRun figures(argc, argv, "org.example.MinimalWebWindow");
    std::vector<std::unique_ptr<Gtk::Window>> windows;
    return figures.run(
        [&] {
            for (int i = 0; i < figures.count; ++i) {
                PaintProbe& probe = figures.probe();
                auto& window = *windows.emplace_back(std::make_unique<Gtk::Window>());
                window.set_default_size(760, 520);
                GtkWidget* view = webkit_web_view_new();
                gtk_container_add(GTK_CONTAINER(window.gobj()), view);
                probe.watchWindow(GTK_WIDGET(window.gobj()));
                probe.watchView(WEBKIT_WEB_VIEW(view));
                window.show_all();
                webkit_web_view_load_uri(WEBKIT_WEB_VIEW(view), figures.url.c_str());
                figures.application->add_window(window);
            }
        },
        [&] { figures.application->quit(); });
}
