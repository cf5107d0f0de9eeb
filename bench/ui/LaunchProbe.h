#pragma once

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include <gtk/gtk.h>

// What the launch figure programs share. Their arguments are "EXEC_NS
// hold|exit", EXEC_NS being the wall-clock time in nanoseconds taken just
// before the program was started. The probe prints "painted MS" (milliseconds
// since EXEC_NS) and "ready" when the first window with the watched title
// draws, and then, unless told to hold, quits the application.
class LaunchProbe {
  public:
    LaunchProbe(int argc, char** argv, std::string title) : title_(std::move(title)) {
        if (argc != 3) {
            std::fprintf(stderr, "usage: %s EXEC_NS hold|exit\n", argv[0]);
            std::exit(EXIT_FAILURE);
        }
        started_ =
            std::chrono::system_clock::time_point(std::chrono::nanoseconds(std::stoll(argv[1])));
        hold_ = std::string(argv[2]) == "hold";
        // Every window is realized before it draws, whoever made it; GTK
        // emits "draw" only to windows with a handler for it.
        g_type_class_unref(g_type_class_ref(GTK_TYPE_WINDOW));
        g_signal_add_emission_hook(g_signal_lookup("realize", GTK_TYPE_WIDGET), 0,
                                   &LaunchProbe::realized, this, nullptr);
    }

  private:
    static gboolean realized(GSignalInvocationHint*, guint, const GValue* parameters,
                             gpointer self) {
        auto* widget = g_value_get_object(parameters);
        if (!GTK_IS_WINDOW(widget) ||
            g_strcmp0(gtk_window_get_title(GTK_WINDOW(widget)),
                      static_cast<LaunchProbe*>(self)->title_.c_str()) != 0) {
            return TRUE;
        }
        g_signal_connect_after(widget, "draw", G_CALLBACK(&LaunchProbe::drawn), self);
        return FALSE;
    }

    static gboolean drawn(GtkWidget* window, cairo_t*, gpointer data) {
        auto* self = static_cast<LaunchProbe*>(data);
        g_signal_handlers_disconnect_by_data(window, self);
        const std::chrono::duration<double, std::milli> elapsed =
            std::chrono::system_clock::now() - self->started_;
        std::printf("painted %.1f\nready\n", elapsed.count());
        std::fflush(stdout);
        if (!self->hold_) {
            g_idle_add(
                +[](gpointer) {
                    g_application_quit(g_application_get_default());
                    return G_SOURCE_REMOVE;
                },
                nullptr);
        }
        return FALSE;
    }

    std::string title_;
    std::chrono::system_clock::time_point started_;
    bool hold_ = false;
};
