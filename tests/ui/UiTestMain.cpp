// Entry of the UI tests: initialises GTK on the X11 display and turns every
// GLib, GTK or GDK warning or critical into a failure of the test that caused
// it, so a run that "passes" while GTK complains is impossible.
#include <cstdlib>
#include <span>
#include <string>
#include <string_view>

#include <glib.h>
#include <gtest/gtest.h>
#include <gtk/gtk.h>
#include <gtkmm/main.h>

#include "UiTestSupport.h"

namespace {

GLogWriterOutput failOnComplaints(GLogLevelFlags level, const GLogField* fields, gsize count,
                                  gpointer) {
    const bool critical = (level & (G_LOG_LEVEL_ERROR | G_LOG_LEVEL_CRITICAL)) != 0;
    const bool warning = (level & G_LOG_LEVEL_WARNING) != 0;
    std::string domain;
    std::string message;
    for (const GLogField& field : std::span(fields, count)) {
        const std::string_view key = field.key;
        if (key == "GLIB_DOMAIN" || key == "MESSAGE") {
            const auto* text = static_cast<const char*>(field.value);
            (key == "MESSAGE" ? message : domain) =
                field.length < 0 ? std::string(text)
                                 : std::string(text, static_cast<std::size_t>(field.length));
        }
    }
    // WebKit's and GStreamer's warnings describe the page or the machine
    // (missing GPU, codecs, sandbox), not our use of the toolkit.
    const bool tolerated = domain.starts_with("WebKit") || domain.starts_with("GStreamer");
    // ayatana-appindicator asks for the panel's proxy before its own bus
    // connection may be there (a race the machine's load decides); the
    // status icon then makes its item anew, which a test of its own covers.
    const bool indicatorRace =
        domain == "GLib-GIO" &&
        message == "g_dbus_proxy_new: assertion 'G_IS_DBUS_CONNECTION (connection)' failed";
    if (((critical && !indicatorRace) || (warning && !tolerated)) &&
        !velumo::uitest::ToleratedComplaint::tolerates(message)) {
        // Outside a test this becomes an ad hoc failure of the whole run.
        ADD_FAILURE() << (critical ? "critical" : "warning") << " from " << domain << ": "
                      << message;
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
