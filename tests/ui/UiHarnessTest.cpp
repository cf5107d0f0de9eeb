// The harness's own guard: a test must fail when the toolkit complains.
#include <gtest/gtest-spi.h>
#include <gtk/gtk.h>

#include "UiTestSupport.h"

namespace velumo::uitest {
namespace {

using Harness = UiTest;

TEST_F(Harness, ToolkitCriticalsAndWarningsFailTheTestButWebKitWarningsDoNot) {
    EXPECT_NONFATAL_FAILURE(gtk_widget_show(nullptr), "GTK_IS_WIDGET");
    EXPECT_NONFATAL_FAILURE(g_log("GLib-GObject", G_LOG_LEVEL_WARNING, "stray signal"),
                            "stray signal");
    EXPECT_NONFATAL_FAILURE(g_log("WebKit", G_LOG_LEVEL_CRITICAL, "bad view"), "bad view");
    g_log("WebKit", G_LOG_LEVEL_WARNING, "no GPU here");
}

}  // namespace
}  // namespace velumo::uitest
