// The reference for Velumo's launch figures: the least a gtkmm program needs
// to show a window of the workbench's size with a line of text.
// Usage: velumo_minimal_window EXEC_NS hold|exit
#include <gtkmm/label.h>
#include <gtkmm/window.h>

#include "LaunchProbe.h"
#include "MeasuredApplication.h"

int main(int argc, char** argv) {
    LaunchProbe probe(argc, argv, "Minimal");
    auto application = measuredApplication("org.example.MinimalWindow");
    Gtk::Window window;
    Gtk::Label text("打开一个网页，让它停在需要的地方。");
    application->signal_activate().connect([&] {
        window.set_title("Minimal");
        window.set_default_size(960, 680);
        window.add(text);
        application->add_window(window);
        window.show_all();
    });
    return application->run(1, argv);
}
