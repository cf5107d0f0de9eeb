// Velumo's floating windows measured like the reference program: windows
// made by the window manager with the application's own factory, session and
// store. Usage: velumo_window_figures URL COUNT hold|exit
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include <glib-unix.h>
#include <gtkmm/application.h>

#include "PaintProbe.h"
#include "app/GtkApplicationPort.h"
#include "browser/BrowserWindowController.h"
#include "browser/BrowserWindowManager.h"
#include "browser/GioDesktopLauncher.h"
#include "browser/ScreenLayout.h"
#include "browser/WebSession.h"
#include "data/AppDataStore.h"

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fputs("usage: velumo_window_figures URL COUNT hold|exit\n", stderr);
        return EXIT_FAILURE;
    }
    const std::string url = argv[1];
    const int count = std::atoi(argv[2]);
    const bool hold = std::string(argv[3]) == "hold";
    gdk_set_allowed_backends("x11");
    auto application =
        Gtk::Application::create("org.example.VelumoWindowFigures", Gio::APPLICATION_NON_UNIQUE);
    velumo::GtkApplicationPort port(application);
    velumo::GioDesktopLauncher launcher;
    auto& manager = velumo::BrowserWindowManager::shared();
    std::vector<std::unique_ptr<PaintProbe>> probes;
    int painted = 0;

    // Each window's page is created one main-loop turn after it shows; the
    // probe attaches to it as soon as it exists.
    std::function<void(std::weak_ptr<velumo::BrowserWindowController>, PaintProbe*)> attach =
        [&](std::weak_ptr<velumo::BrowserWindowController> weak, PaintProbe* probe) {
            auto window = weak.lock();
            if (!window) {
                return;
            }
            if (window->webView() == nullptr) {
                g_idle_add(
                    +[](gpointer data) {
                        std::unique_ptr<std::function<void()>> step(
                            static_cast<std::function<void()>*>(data));
                        (*step)();
                        return G_SOURCE_REMOVE;
                    },
                    new std::function<void()>([&attach, weak, probe] { attach(weak, probe); }));
                return;
            }
            probe->watchView(window->webView());
        };

    application->signal_startup().connect([&] {
        manager.setApplicationPort(&port);
        manager.setWindowFactory(velumo::BrowserWindowController::factory(
            velumo::AppDataStore::shared(), launcher, velumo::WebSession::shared(),
            &velumo::ScreenLayout::ofDisplay));
    });
    application->signal_activate().connect([&] {
        const auto start = PaintProbe::Clock::now();
        for (int i = 0; i < count; ++i) {
            auto probe = std::make_unique<PaintProbe>(start, [&] {
                if (++painted == count) {
                    std::puts("ready");
                    std::fflush(stdout);
                    if (!hold) {
                        // The application ends with its last window.
                        const auto windows = manager.windows();
                        for (const auto& window : windows) {
                            window->closePermanently();
                        }
                    }
                }
            });
            PaintProbe* raw = probe.get();
            probes.push_back(std::move(probe));
            manager.createWindow(url, velumo::BrowserWindowMode::window);
            auto window = std::dynamic_pointer_cast<velumo::BrowserWindowController>(
                manager.windows().back());
            raw->watchWindow(GTK_WIDGET(window->panel().gobj()));
            attach(window, raw);
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
