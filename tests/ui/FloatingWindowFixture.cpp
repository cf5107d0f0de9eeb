#include "FloatingWindowFixture.h"

#include "WidgetQueries.h"

namespace velumo::uitest {
namespace {

std::filesystem::path temporaryFolder() {
    char* path = g_dir_make_tmp("velumo-ui-XXXXXX", nullptr);
    std::filesystem::path folder = path != nullptr ? path : "";
    g_free(path);
    return folder;
}

}  // namespace

bool FloatingWindowTest::gtkHasSize(BrowserWindowController& window, Rect frame) {
    return window.panel().get_allocated_width() == frame.width &&
           window.panel().get_allocated_height() == frame.height;
}

FloatingWindowTest::FloatingWindowTest()
    : folder_(temporaryFolder()),
      store_(folder_ / "app-data.json"),
      state_(folder_ / "state.json"),
      manager_(store_),
      session_(folder_ / "web-data", folder_ / "web-cache") {
    manager_.setWindowFactory(BrowserWindowController::factory(
        store_, launcher_, [this]() -> WebSession& { return session_; },
        [this](const Gtk::Window& panel) {
            if (!fakeScreens_) {
                return ScreenLayout::ofDisplay(panel);
            }
            ScreenLayout layout = *fakeScreens_;
            const Rect frame = static_cast<const FloatingPanel&>(panel).frame();
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
    // Closing takes each window out of the list.
    const auto windows = manager_.windows();
    for (const auto& window : windows) {
        window->closePermanently();
    }
    EXPECT_TRUE(manager_.windows().empty());
    UiTest::TearDown();
}

std::shared_ptr<BrowserWindowController> FloatingWindowTest::open(const std::string& url) {
    manager_.createWindow(url, BrowserWindowMode::window);
    auto window = std::dynamic_pointer_cast<BrowserWindowController>(manager_.windows().back());
    EXPECT_TRUE(runUntil([&] { return window->panel().is_active(); })) << "never focused";
    EXPECT_TRUE(waitForPage(*window, url)) << url;
    return window;
}

bool FloatingWindowTest::waitForPage(BrowserWindowController& window, const std::string& suffix) {
    return runUntil([&] {
        return window.webView() != nullptr && !webkit_web_view_is_loading(window.webView()) &&
               window.currentURL().ends_with(suffix);
    });
}

std::optional<std::string> FloatingWindowTest::evaluate(BrowserWindowController& window,
                                                        const std::string& script) {
    return evaluateScript(window.webView(), script);
}

::testing::AssertionResult FloatingWindowTest::waitForFrame(BrowserWindowController& window,
                                                            Rect frame) {
    if (runUntil([&] { return window.panel().frame() == frame && gtkHasSize(window, frame); })) {
        return ::testing::AssertionSuccess();
    }
    const Rect seen = window.panel().frame();
    return ::testing::AssertionFailure()
           << "the frame is " << seen.x << "," << seen.y << " " << seen.width << "x" << seen.height;
}

Point FloatingWindowTest::panelPoint(BrowserWindowController& window, double x, double y) {
    const Rect frame = rootFrame(window.panel());
    return {frame.x + x, frame.y + y};
}

void FloatingWindowTest::clickElement(BrowserWindowController& window,
                                      const std::string& selector) {
    const auto centre =
        evaluate(window, "(() => { const r = document.querySelector('" + selector +
                             "').getBoundingClientRect(); return (r.left + r.width / 2) + ',' + "
                             "(r.top + r.height / 2); })()");
    ASSERT_TRUE(centre.has_value()) << selector;
    const double zoom = webkit_web_view_get_zoom_level(window.webView());
    const Rect view = rootFrame(*Glib::wrap(GTK_WIDGET(window.webView())));
    // The page reads the pointer's arrival on its own schedule; a press that
    // comes first may be taken for no click on the element.
    movePointer({view.x + std::stod(*centre) * zoom,
                 view.y + std::stod(centre->substr(centre->find(',') + 1)) * zoom});
    runFor(std::chrono::milliseconds(100));
    pressButton();
    releaseButton();
}

Gtk::MessageDialog* FloatingWindowTest::openDialog() {
    for (Gtk::Window* window : Gtk::Window::list_toplevels()) {
        if (auto* dialog = dynamic_cast<Gtk::MessageDialog*>(window);
            dialog && dialog->get_visible()) {
            return dialog;
        }
    }
    return nullptr;
}

void FloatingWindowTest::choose(Gtk::Dialog& dialog, const std::string& button) {
    buttonNamed(dialog, button).clicked();
}

}  // namespace velumo::uitest
