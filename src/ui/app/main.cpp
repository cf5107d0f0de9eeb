#include <memory>

#include <gdk/gdk.h>
#include <gtkmm/application.h>

#include "app/GtkApplicationPort.h"
#include "browser/BrowserWindowController.h"
#include "browser/BrowserWindowManager.h"
#include "browser/GioDesktopLauncher.h"
#include "browser/ScreenLayout.h"
#include "data/AppDataStore.h"
#include "design/NativeDesignSystem.h"
#include "workbench/WorkbenchWindowController.h"

int main(int argc, char** argv) {
    // Keeping windows above others, placing them and reading the pointer need
    // X11; on a Wayland session the application runs through XWayland.
    gdk_set_allowed_backends("x11");
    auto application = Gtk::Application::create("com.orvantis.velumo");
    velumo::GtkApplicationPort applicationPort(application);
    velumo::GioDesktopLauncher launcher;
    auto& manager = velumo::BrowserWindowManager::shared();
    std::unique_ptr<velumo::WorkbenchWindowController> workbench;

    application->signal_startup().connect([&] {
        auto& store = velumo::AppDataStore::shared();
        velumo::applyNativeTheme(store.snapshot().settings.themePreference);
        manager.setApplicationPort(&applicationPort);
        manager.setWindowFactory(velumo::BrowserWindowController::factoryWithSharedSession(
            store, launcher, &velumo::ScreenLayout::ofDisplay));
        workbench = std::make_unique<velumo::WorkbenchWindowController>(
            velumo::WorkbenchViewController::sharedServices(launcher, {}));
        // The workbench is only ever hidden, so the application keeps running.
        application->add_window(workbench->window());
        manager.setWorkbenchPresenter([&] { workbench->showWindow(); });
    });
    // Every launch, the first and each later one, shows the workbench.
    application->signal_activate().connect([&] { workbench->showWindow(); });
    return application->run(argc, argv);
}
