// The reference for Velumo's idle figures with only its status icon: the
// least a gtkmm program needs for a window that closing hides and a status
// icon with a menu, running until SIGTERM. Usage: velumo_minimal_status_icon
#include <gtkmm/application.h>
#include <gtkmm/menu.h>
#include <gtkmm/menuitem.h>
#include <gtkmm/window.h>
#include <libayatana-appindicator/app-indicator.h>

#include "MeasuredApplication.h"

int main(int argc, char** argv) {
    auto application = measuredApplication("org.example.MinimalStatusIcon");
    Gtk::Window window;
    Gtk::Menu menu;
    AppIndicator* indicator = nullptr;
    application->signal_activate().connect([&] {
        application->hold();
        window.set_title("Minimal status icon");
        window.set_default_size(760, 520);
        window.signal_delete_event().connect([&](GdkEventAny*) {
            window.hide();
            return true;
        });
        application->add_window(window);
        window.show();
        for (const char* title : {"Open", "Settings", "Quit"}) {
            menu.append(*Gtk::make_managed<Gtk::MenuItem>(title));
        }
        menu.show_all();
        indicator = app_indicator_new("minimal-status-icon", "dialog-information",
                                      APP_INDICATOR_CATEGORY_APPLICATION_STATUS);
        app_indicator_set_menu(indicator, menu.gobj());
        app_indicator_set_status(indicator, APP_INDICATOR_STATUS_ACTIVE);
    });
    const int status = application->run(argc, argv);
    if (indicator != nullptr) {
        app_indicator_set_status(indicator, APP_INDICATOR_STATUS_PASSIVE);
        g_object_unref(indicator);
    }
    return status;
}
