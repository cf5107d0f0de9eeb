#pragma once

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include <gtkmm/application.h>
#include <gtkmm/window.h>

#include "MeasuredApplication.h"

// What the launch figure programs share: the arguments "EXEC_NS hold|exit"
// (EXEC_NS: the wall-clock time in nanoseconds taken just before the program
// was started), an application on X11 that quits on SIGTERM, and a probe that
// prints "painted MS" (milliseconds since EXEC_NS) when the watched window
// first draws, then "ready".
class LaunchProbe {
  public:
    LaunchProbe(int argc, char** argv, const char* applicationId) {
        if (argc != 3) {
            std::fprintf(stderr, "usage: %s EXEC_NS hold|exit\n", argv[0]);
            std::exit(EXIT_FAILURE);
        }
        argv_ = argv;
        started_ =
            std::chrono::system_clock::time_point(std::chrono::nanoseconds(std::stoll(argv[1])));
        hold_ = std::string(argv[2]) == "hold";
        application = measuredApplication(applicationId);
    }

    void watch(Gtk::Window& window) {
        window.signal_draw().connect(
            [this](const Cairo::RefPtr<Cairo::Context>&) {
                if (!painted_) {
                    painted_ = true;
                    const std::chrono::duration<double, std::milli> elapsed =
                        std::chrono::system_clock::now() - started_;
                    std::printf("painted %.1f\nready\n", elapsed.count());
                    std::fflush(stdout);
                    if (!hold_) {
                        application->quit();
                    }
                }
                return false;
            },
            true);
    }

    // Runs the application; `start` makes and shows the window on activation.
    int run(const std::function<void()>& start) {
        application->signal_activate().connect(start);
        return application->run(1, argv_);
    }

    Glib::RefPtr<Gtk::Application> application;

  private:
    char** argv_ = nullptr;
    std::chrono::system_clock::time_point started_;
    bool hold_ = false;
    bool painted_ = false;
};
