// The harness itself: a test must fail on toolkit complaints, the loopback
// server must answer and record, and synthetic input must reach GTK widgets.
#include <X11/keysym.h>
#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>
#include <gtkmm/button.h>
#include <gtkmm/window.h>
#include <webkit2/webkit2.h>

#include "TestWebServer.h"
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

TEST_F(Harness, ServesDefinedPagesToAWebViewAndRecordsTheRequest) {
    TestWebServer server;
    server.page("/hello", "<title>你好</title><p>page</p>");

    WebKitWebContext* context = webkit_web_context_new_ephemeral();
    GtkWidget* view = webkit_web_view_new_with_context(context);
    g_object_unref(context);
    Gtk::Window window;
    gtk_container_add(GTK_CONTAINER(window.gobj()), view);
    window.show_all();
    webkit_web_view_load_uri(WEBKIT_WEB_VIEW(view), server.url("/hello?x=1").c_str());

    ASSERT_TRUE(runUntil([&] { return !webkit_web_view_is_loading(WEBKIT_WEB_VIEW(view)); }));
    EXPECT_EQ(evaluateScript(WEBKIT_WEB_VIEW(view), "document.title"), "你好");
    EXPECT_EQ(evaluateScript(WEBKIT_WEB_VIEW(view), "no_such_name"), std::nullopt);

    auto request = server.lastRequest("/hello");
    ASSERT_TRUE(request.has_value());
    EXPECT_EQ(request->method, "GET");
    EXPECT_EQ(request->query, "x=1");
    EXPECT_FALSE(request->header("User-Agent").empty());
    EXPECT_EQ(server.requestCount("/missing"), 0U);
}

TEST_F(Harness, SyntheticPointerAndKeysReachWidgets) {
    Gtk::Window window;
    Gtk::Button button("按钮");
    window.add(button);
    window.set_default_size(200, 100);
    window.move(300, 200);
    window.show_all();
    ASSERT_TRUE(presentAndWait(window));
    int clicks = 0;
    button.signal_clicked().connect([&] { ++clicks; });
    int x = 0;
    int y = 0;
    window.get_window()->get_origin(x, y);
    movePointer(x + 100, y + 50);
    EXPECT_EQ(pointerPosition(), std::make_pair(x + 100, y + 50));
    click(x + 100, y + 50);
    EXPECT_TRUE(runUntil([&] { return clicks == 1; }));

    button.grab_focus();
    tapKey(XK_space);
    EXPECT_TRUE(runUntil([&] { return clicks == 2; }));
}

}  // namespace
}  // namespace velumo::uitest
