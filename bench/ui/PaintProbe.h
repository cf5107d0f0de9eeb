#pragma once

#include <chrono>
#include <cstdio>
#include <functional>

#include <gtk/gtk.h>
#include <webkit2/webkit2.h>

// Measures a web window the same way in every program that uses it: the
// moment the window is mapped, and the first time the web view draws after
// its page committed (its first paint). Each is printed as "WHAT SINCE AT":
// milliseconds since `start`, and the moment on the monotonic clock in
// milliseconds, against which a launcher can time the process's start.
class PaintProbe {
  public:
    using Clock = std::chrono::steady_clock;

    PaintProbe(Clock::time_point start, std::function<void()> painted)
        : start_(start), painted_(std::move(painted)) {}
    PaintProbe(const PaintProbe&) = delete;
    PaintProbe& operator=(const PaintProbe&) = delete;

    void watchWindow(GtkWidget* window) {
        g_signal_connect(window, "map-event", G_CALLBACK(+[](GtkWidget*, GdkEvent*, gpointer self) {
                             static_cast<PaintProbe*>(self)->report("shown");
                             return FALSE;
                         }),
                         this);
    }

    void watchView(WebKitWebView* view) {
        g_signal_connect(view, "load-changed",
                         G_CALLBACK(+[](WebKitWebView*, WebKitLoadEvent event, gpointer self) {
                             if (event == WEBKIT_LOAD_COMMITTED) {
                                 static_cast<PaintProbe*>(self)->committed_ = true;
                             }
                         }),
                         this);
        g_signal_connect_after(view, "draw", G_CALLBACK(+[](GtkWidget*, cairo_t*, gpointer data) {
                                   auto* self = static_cast<PaintProbe*>(data);
                                   if (self->committed_ && !self->painted) {
                                       self->painted = true;
                                       self->report("painted");
                                       self->painted_();
                                   }
                                   return FALSE;
                               }),
                               this);
    }

    bool painted = false;

  private:
    void report(const char* what) const {
        const auto now = Clock::now();
        const auto elapsed = std::chrono::duration<double, std::milli>(now - start_);
        const auto at = std::chrono::duration<double, std::milli>(now.time_since_epoch());
        std::printf("%s %.1f %.1f\n", what, elapsed.count(), at.count());
        std::fflush(stdout);
    }

    Clock::time_point start_;
    std::function<void()> painted_;
    bool committed_ = false;
};
