#include "FloatingWindowFixture.h"

#include <cmath>

#include <glib.h>

namespace velumo::uitest {
namespace {

std::filesystem::path temporaryFolder() {
    GError* error = nullptr;
    char* path = g_dir_make_tmp("velumo-ui-XXXXXX", &error);
    if (path == nullptr) {
        ADD_FAILURE() << error->message;
        g_error_free(error);
        return std::filesystem::temp_directory_path();
    }
    std::filesystem::path folder = path;
    g_free(path);
    return folder;
}

}  // namespace

bool RecordingLauncher::hasHandlerForScheme(const std::string& scheme) {
    schemesAsked.push_back(scheme);
    return handledSchemes.contains(scheme);
}

bool RecordingLauncher::launch(const std::string& uri) {
    launched.push_back(uri);
    return true;
}

FloatingWindowTest::FloatingWindowTest()
    : folder_(temporaryFolder()),
      store_(folder_ / "app-data.json"),
      manager_(store_),
      session_(folder_ / "web-data", folder_ / "web-cache") {
    manager_.setWindowFactory(BrowserWindowController::factory(
        store_, launcher_, session_, [this](const Gtk::Window& panel) {
            if (!fakeScreens_) {
                return ScreenLayout::ofDisplay(panel);
            }
            ScreenLayout layout = *fakeScreens_;
            const auto& floating = static_cast<const FloatingPanel&>(panel);
            const Rect frame = floating.frame();
            layout.panelScreen = WindowGeometry::screenUnderPointer(
                layout.screens, {frame.midX(), frame.midY()}, std::nullopt);
            return layout;
        }));
}

FloatingWindowTest::~FloatingWindowTest() {
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
}

void FloatingWindowTest::TearDown() {
    const auto windows = manager_.windows();
    for (const auto& window : windows) {
        window->closePermanently();
    }
    EXPECT_TRUE(manager_.windows().empty());
    UiTest::TearDown();
}

void FloatingWindowTest::changeSettings(const std::function<void(AppSettings&)>& change) {
    AppSettings settings = store_.snapshot().settings;
    change(settings);
    ASSERT_TRUE(store_.updateSettings(settings).has_value());
}

std::shared_ptr<BrowserWindowController> FloatingWindowTest::open(
    const std::optional<std::string>& url, BrowserWindowMode mode) {
    const std::size_t before = manager_.windows().size();
    manager_.createWindow(url, mode);
    if (manager_.windows().size() != before + 1) {
        ADD_FAILURE() << "no window was created";
        return nullptr;
    }
    auto window = std::dynamic_pointer_cast<BrowserWindowController>(manager_.windows().back());
    EXPECT_TRUE(runUntil([&] { return window->panel().is_active(); })) << "never focused";
    if (url) {
        EXPECT_TRUE(waitForPage(*window, *url)) << *url;
    }
    return window;
}

bool FloatingWindowTest::waitForPage(BrowserWindowController& window, const std::string& suffix) {
    return runUntil([&] {
        WebKitWebView* view = window.webView();
        if (view == nullptr || webkit_web_view_is_loading(view)) {
            return false;
        }
        const std::string& url = window.currentURL();
        return url.size() >= suffix.size() &&
               url.compare(url.size() - suffix.size(), suffix.size(), suffix) == 0;
    });
}

std::optional<std::string> FloatingWindowTest::evaluate(BrowserWindowController& window,
                                                        const std::string& script) {
    if (window.webView() == nullptr) {
        return std::nullopt;
    }
    return evaluateScript(window.webView(), script);
}

std::pair<int, int> FloatingWindowTest::panelPoint(BrowserWindowController& window, double x,
                                                   double y) {
    int originX = 0;
    int originY = 0;
    window.panel().get_window()->get_origin(originX, originY);
    return {originX + static_cast<int>(std::lround(x)), originY + static_cast<int>(std::lround(y))};
}

void FloatingWindowTest::clickElement(BrowserWindowController& window,
                                      const std::string& selector) {
    const auto centre = evaluate(
        window, "(() => { const r = document.querySelector('" + selector +
                    "').getBoundingClientRect(); return (r.left + r.width / 2) + ',' + (r.top + "
                    "r.height / 2); })()");
    ASSERT_TRUE(centre.has_value()) << selector;
    const auto comma = centre->find(',');
    const double zoom = webkit_web_view_get_zoom_level(window.webView());
    int x = 0;
    int y = 0;
    gtk_widget_translate_coordinates(
        GTK_WIDGET(window.webView()), GTK_WIDGET(window.panel().gobj()),
        static_cast<int>(std::stod(centre->substr(0, comma)) * zoom),
        static_cast<int>(std::stod(centre->substr(comma + 1)) * zoom), &x, &y);
    const auto [rootX, rootY] = panelPoint(window, x, y);
    // The page reads the pointer's arrival on its own schedule; a press that
    // comes first may be taken for no click on the element.
    movePointer(rootX, rootY);
    runFor(std::chrono::milliseconds(100));
    pressButton();
    releaseButton();
}

bool FloatingWindowTest::waitForFrame(BrowserWindowController& window, Rect frame) {
    return runUntil([&] { return window.panel().frame() == frame; });
}

}  // namespace velumo::uitest
