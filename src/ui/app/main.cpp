#include <optional>

#include <gdk/gdk.h>
#include <gtkmm/application.h>

#include "app/GtkApplicationPort.h"
#include "browser/BrowserWindowController.h"
#include "browser/BrowserWindowManager.h"
#include "browser/GioDesktopLauncher.h"
#include "browser/ScreenLayout.h"
#include "browser/WebSession.h"
#include "data/AppDataStore.h"

int main(int argc, char** argv) {
    // Keeping windows above others, placing them and reading the pointer need
    // X11; on a Wayland session the application runs through XWayland.
    gdk_set_allowed_backends("x11");
    auto application = Gtk::Application::create("com.orvantis.velumo");
    velumo::GtkApplicationPort applicationPort(application);
    velumo::GioDesktopLauncher launcher;
    auto& manager = velumo::BrowserWindowManager::shared();

    application->signal_startup().connect([&] {
        manager.setApplicationPort(&applicationPort);
        manager.setWindowFactory(velumo::BrowserWindowController::factory(
            velumo::AppDataStore::shared(), launcher, velumo::WebSession::shared(),
            &velumo::ScreenLayout::ofDisplay));
    });
    // Every launch, the first and each later one, opens a floating window on
    // the search engine's home page. The application ends with its last window.
    application->signal_activate().connect(
        [&] { manager.createWindow(std::nullopt, velumo::BrowserWindowMode::window); });
    return application->run(argc, argv);
}
