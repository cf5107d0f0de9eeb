// Entry of the UI tests: initialises GTK on the X11 display and turns every
// GLib, GTK or GDK warning or critical into a failure of the test that caused
// it, so a run that "passes" while GTK complains is impossible.
#include <array>
#include <cstdlib>
#include <string>
#include <string_view>

#include <glib.h>
#include <gtest/gtest.h>
#include <gtk/gtk.h>
#include <gtkmm/main.h>

namespace {

std::string fieldText(const GLogField& field) {
    if (field.length < 0) {
        return static_cast<const char*>(field.value);
    }
    return {static_cast<const char*>(field.value), static_cast<std::size_t>(field.length)};
}

// WebKit's own warnings describe the page or the machine (missing GPU, media
// codecs, sandbox), not our use of the toolkit; they are printed, not failed.
// Its criticals still fail.
bool isToleratedWarning(std::string_view domain) {
    constexpr std::array<std::string_view, 2> tolerated{"WebKit", "GStreamer"};
    for (auto prefix : tolerated) {
        if (domain.starts_with(prefix)) {
            return true;
        }
    }
    return false;
}

GLogWriterOutput failOnComplaints(GLogLevelFlags level, const GLogField* fields, gsize count,
                                  gpointer) {
    const auto severity = level & G_LOG_LEVEL_MASK;
    const bool critical = (severity & (G_LOG_LEVEL_ERROR | G_LOG_LEVEL_CRITICAL)) != 0;
    const bool warning = (severity & G_LOG_LEVEL_WARNING) != 0;
    if (critical || warning) {
        std::string domain;
        std::string message;
        for (gsize i = 0; i < count; ++i) {
            const std::string_view key = fields[i].key;
            if (key == "GLIB_DOMAIN") {
                domain = fieldText(fields[i]);
            } else if (key == "MESSAGE") {
                message = fieldText(fields[i]);
            }
        }
        if (critical || !isToleratedWarning(domain)) {
            // Outside a test this becomes an ad hoc failure of the whole run.
            ADD_FAILURE() << (critical ? "critical" : "warning") << " from "
                          << (domain.empty() ? "(no domain)" : domain) << ": " << message;
        }
    }
    return g_log_writer_default(level, fields, count, nullptr);
}

}  // namespace

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    g_log_set_writer_func(failOnComplaints, nullptr, nullptr);
    // The application runs on X11 (XWayland on Wayland desktops); so do its tests.
    g_setenv("GDK_BACKEND", "x11", TRUE);
    if (gtk_init_check(&argc, &argv) == FALSE) {
        std::fputs("UI tests need an X display (run them through scripts/test)\n", stderr);
        return EXIT_FAILURE;
    }
    Gtk::Main::init_gtkmm_internals();
    return RUN_ALL_TESTS();
}
