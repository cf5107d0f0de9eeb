#pragma once

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <gtkmm/application.h>

#include "PaintProbe.h"
#include "QuitOnSigterm.h"

// What every figure program shares: the arguments "URL COUNT hold|exit", an
// application on X11 that quits on SIGTERM, and a paint probe per window that
// prints "ready" once all of them painted.
class FigureRun {
  public:
    FigureRun(int argc, char** argv, const char* applicationId) {
        if (argc != 4) {
            std::fprintf(stderr, "usage: %s URL COUNT hold|exit\n", argv[0]);
            std::exit(EXIT_FAILURE);
        }
        argv_ = argv;
        url = argv[1];
        count = std::atoi(argv[2]);
        hold_ = std::string(argv[3]) == "hold";
        gdk_set_allowed_backends("x11");
        application = Gtk::Application::create(applicationId, Gio::APPLICATION_NON_UNIQUE);
        quitOnSigterm(application);
    }

    // A probe for one more window; its times count from the activation.
    PaintProbe& probe() {
        probes_.push_back(std::make_unique<PaintProbe>(start_, [this] {
            if (++painted_ == count) {
                std::puts("ready");
                std::fflush(stdout);
                if (!hold_) {
                    finish_();
                }
            }
        }));
        return *probes_.back();
    }

    // Runs the application: `openWindows` on activation, `finish` once every
    // window has painted, unless the windows are to be held.
    int run(const std::function<void()>& openWindows, std::function<void()> finish) {
        finish_ = std::move(finish);
        application->signal_activate().connect([this, openWindows] {
            start_ = PaintProbe::Clock::now();
            openWindows();
        });
        return application->run(1, argv_);
    }

    std::string url;
    int count = 0;
    Glib::RefPtr<Gtk::Application> application;

  private:
    char** argv_ = nullptr;
    bool hold_ = false;
    PaintProbe::Clock::time_point start_;
    std::vector<std::unique_ptr<PaintProbe>> probes_;
    int painted_ = 0;
    std::function<void()> finish_;
};
