// Velumo's start measured like the reference window: the store read, the
// stored theme applied and the workbench built and shown on the shared
// services, with the window factory waiting for the first floating window
// before it starts WebKit. Usage: velumo_workbench_launch EXEC_NS hold|exit
#include "LaunchProbe.h"
#include "app/GtkApplicationPort.h"
#include "browser/BrowserWindowController.h"
#include "browser/GioDesktopLauncher.h"
#include "design/NativeDesignSystem.h"
#include "workbench/WorkbenchWindowController.h"

int main(int argc, char** argv) {
    LaunchProbe probe(argc, argv, "org.example.VelumoWorkbenchLaunch");
    velumo::GtkApplicationPort port(probe.application);
    velumo::GioDesktopLauncher launcher;
    std::unique_ptr<velumo::WorkbenchWindowController> workbench;
    return probe.run([&] {
        auto& store = velumo::AppDataStore::shared();
        velumo::applyNativeTheme(store.snapshot().settings.themePreference);
        auto& manager = velumo::BrowserWindowManager::shared();
        manager.setApplicationPort(&port);
        manager.setWindowFactory(velumo::BrowserWindowController::factoryWithSharedSession(
            store, launcher, &velumo::ScreenLayout::ofDisplay));
        workbench = std::make_unique<velumo::WorkbenchWindowController>(
            velumo::WorkbenchViewController::sharedServices(launcher, {}));
        probe.watch(workbench->window());
        probe.application->add_window(workbench->window());
        workbench->showWindow();
    });
}
