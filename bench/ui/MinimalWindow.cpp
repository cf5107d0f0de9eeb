// The reference for Velumo's launch and idle figures: the least a gtkmm
// program needs for a window of the workbench's size with a line of text,
// which closing hides, and a status icon with a menu. It runs until SIGTERM,
// or until its window first draws when told "exit".
// Usage: velumo_minimal_window EXEC_NS hold|exit
#include <gtkmm/label.h>
#include <gtkmm/menu.h>
#include <gtkmm/menuitem.h>
#include <gtkmm/window.h>
#include <libayatana-appindicator/app-indicator.h>

#include "LaunchProbe.h"
#include "MeasuredApplication.h"

int main(int argc, char** argv) {
    LaunchProbe probe(argc, argv, "Minimal");
    auto application = measuredApplication("org.example.MinimalWindow");
    Gtk::Window window;
    Gtk::Label text("打开一个网页，让它停在需要的地方。");
    Gtk::Menu menu;
    AppIndicator* indicator = nullptr;
    application->signal_activate().connect([&] {
        application->hold();
        window.set_title("Minimal");
        window.set_default_size(960, 680);
        window.add(text);
        window.signal_delete_event().connect([&](GdkEventAny*) {
            window.hide();
            return true;
        });
        application->add_window(window);
        window.show_all();
        for (const char* title : {"Open", "Settings", "Quit"}) {
            menu.append(*Gtk::make_managed<Gtk::MenuItem>(title));
        }
        menu.show_all();
        indicator = app_indicator_new("minimal-status-icon", "dialog-information",
                                      APP_INDICATOR_CATEGORY_APPLICATION_STATUS);
        app_indicator_set_menu(indicator, menu.gobj());
        app_indicator_set_status(indicator, APP_INDICATOR_STATUS_ACTIVE);
    });
    const int status = application->run(1, argv);
    if (indicator != nullptr) {
        app_indicator_set_status(indicator, APP_INDICATOR_STATUS_PASSIVE);
        g_object_unref(indicator);
    }
    return status;
}
