// The reference for the workbench's launch figures: the least a gtkmm program
// needs to show a window of the workbench's size with a line of text.
// Usage: velumo_minimal_window EXEC_NS hold|exit
#include <gtkmm/label.h>

#include "LaunchProbe.h"

int main(int argc, char** argv) {
    LaunchProbe probe(argc, argv, "org.example.MinimalWindow");
    Gtk::Window window;
    Gtk::Label text("打开一个网页，让它停在需要的地方。");
    return probe.run([&] {
        window.set_default_size(960, 680);
        window.add(text);
        probe.watch(window);
        probe.application->add_window(window);
        window.show_all();
    });
}
