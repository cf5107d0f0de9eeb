// Velumo's floating windows measured like the reference program: windows
// made by the window manager with the application's own factory, session and
// store. Usage: velumo_window_figures URL COUNT hold|exit
#include <memory>

#include "FigureRun.h"
#include "app/GtkApplicationPort.h"
#include "browser/BrowserWindowController.h"
#include "browser/GioDesktopLauncher.h"
#include "data/AppDataStore.h"

namespace {

// A window's page is created as it shows; the probe attaches to it as soon
// as it exists.
void watchPageOnceItExists(std::weak_ptr<velumo::BrowserWindowController> weak, PaintProbe& probe) {
    auto window = weak.lock();
    if (!window) {
        return;
    }
    if (window->webView() != nullptr) {
        probe.watchView(window->webView());
        return;
    }
    g_idle_add_full(
        G_PRIORITY_DEFAULT_IDLE,
        +[](gpointer data) {
            auto* step = static_cast<std::function<void()>*>(data);
            (*step)();
            return G_SOURCE_REMOVE;
        },
        new std::function<void()>([weak, &probe] { watchPageOnceItExists(weak, probe); }),
        +[](gpointer data) { delete static_cast<std::function<void()>*>(data); });
}

}  // namespace

int main(int argc, char** argv) {
    FigureRun figures(argc, argv, "org.example.VelumoWindowFigures");
    velumo::GtkApplicationPort port;
    velumo::GioDesktopLauncher launcher(port);
    auto& manager = velumo::BrowserWindowManager::shared();
    figures.application->signal_startup().connect([&] {
        manager.setApplicationPort(&port);
        manager.setWindowFactory(velumo::BrowserWindowController::factory(
            velumo::AppDataStore::shared(), launcher, &velumo::WebSession::shared,
            &velumo::ScreenLayout::ofDisplay));
    });
    return figures.run(
        [&] {
            for (int i = 0; i < figures.count; ++i) {
                PaintProbe& probe = figures.probe();
                manager.createWindow(figures.url, velumo::BrowserWindowMode::window);
                auto window = std::dynamic_pointer_cast<velumo::BrowserWindowController>(
                    manager.windows().back());
                probe.watchWindow(GTK_WIDGET(window->panel().gobj()));
                watchPageOnceItExists(window, probe);
            }
        },
        [&] {
            // The application ends with its last window.
            const auto windows = manager.windows();
            for (const auto& window : windows) {
                window->closePermanently();
            }
        });
}
