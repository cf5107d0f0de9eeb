// The floating panel on a real display under a window manager: placement,
// level, opacity, the corner pop-up, the folding bar, auto-hide and
// closing.
#include <algorithm>

#include "FloatingWindowFixture.h"
#include "WidgetQueries.h"

namespace velumo::uitest {
namespace {

using std::chrono::milliseconds;

bool hasState(BrowserWindowController& window, const std::string& state) {
    const auto states = windowProperty(window.panel(), "_NET_WM_STATE");
    return std::ranges::find(states, state) != states.end();
}

double opacityOf(BrowserWindowController& window) {
    const auto value = windowProperty(window.panel(), "_NET_WM_WINDOW_OPACITY");
    return value.empty() ? 1.0 : std::stod(value.front()) / 0xffffffffUL;
}

bool hasSize(BrowserWindowController& window, double width, double height) {
    const Rect frame = window.panel().frame();
    return frame.width == width && frame.height == height;
}

class FloatingPanel : public FloatingWindowTest {
  protected:
    std::shared_ptr<BrowserWindowController> openPlain() {
        server_.page("/", "<title>Plain</title><body style='margin:0'>page</body>");
        return open(server_.url("/"));
    }
};

TEST_F(FloatingPanel, OpensCentredOnTopOfEveryWorkspaceAndOnlyUnpinningLowersIt) {
    AppSettings settings = store_.snapshot().settings;
    settings.defaultOpacity = 0.8;
    ASSERT_TRUE(store_.updateSettings(settings).has_value());
    auto first = openPlain();

    const Rect workArea = ScreenLayout::ofDisplay(first->panel()).screens.at(0).workArea;
    EXPECT_TRUE(waitForFrame(*first, WindowGeometry::centredOn({0, 0, 760, 520}, workArea)));
    EXPECT_TRUE(runUntil([&] {
        return hasState(*first, "_NET_WM_STATE_ABOVE") &&
               hasState(*first, "_NET_WM_STATE_SKIP_TASKBAR") &&
               windowProperty(first->panel(), "_NET_WM_DESKTOP") ==
                   std::vector<std::string>{"4294967295"};
    }));
    EXPECT_NEAR(opacityOf(*first), 0.8, 1.0 / 255);

    first->toolbarToggleAlwaysOnTop();
    EXPECT_TRUE(runUntil([&] { return !hasState(*first, "_NET_WM_STATE_ABOVE"); }));
    auto second = openPlain();
    EXPECT_TRUE(runUntil([&] { return hasState(*second, "_NET_WM_STATE_ABOVE"); }));
}

// Both ways of choosing reach the window system and the bar's slider.
TEST_F(FloatingPanel, OpacityFromTheSliderOrTheMenuReachesThePanelAndTheBar) {
    auto window = openPlain();
    window->toolbarSetOpacity(0.0);
    EXPECT_NEAR(opacityOf(*window), 0.1, 1.0 / 255);
    window->setOpacityFromMenu(70);
    EXPECT_NEAR(opacityOf(*window), 0.7, 1.0 / 255);
    EXPECT_EQ(percentText(window->toolbar()), "70%");
}

TEST_F(FloatingPanel, TheCornerPopUpReturnsOntoAWorkAreaThatShrankMeanwhile) {
    fakeScreens_ = ScreenLayout{{{{0, 0, 1440, 900}, {0, 0, 1440, 900}}}, 0, std::nullopt};
    auto window = openPlain();
    ASSERT_TRUE(waitForFrame(*window, {340, 190, 760, 520}));

    window->toolbarToggleMode();
    EXPECT_TRUE(waitForFrame(*window, {944, 564, 480, 320}));
    window->panel().resize(100, 100);
    EXPECT_TRUE(runUntil([&] { return hasSize(*window, 320, 220); }));

    fakeScreens_->screens[0].workArea = {0, 0, 1024, 700};
    window->toolbarRestoreWindowMode();
    EXPECT_EQ(window->mode(), BrowserWindowMode::window);
    EXPECT_TRUE(waitForFrame(*window, {264, 180, 760, 520}));
    window->panel().resize(100, 100);
    EXPECT_TRUE(runUntil([&] { return hasSize(*window, 420, 260); }));
}

TEST_F(FloatingPanel, TheFoldedBarOpensAtTheTopCentreAndFoldsBelowItEvenOverThePage) {
    AppSettings settings = store_.snapshot().settings;
    settings.autoHideToolbar = true;
    ASSERT_TRUE(store_.updateSettings(settings).has_value());
    auto window = openPlain();
    EXPECT_TRUE(runUntil([&] { return window->toolbar().get_allocated_height() == 10; }));
    EXPECT_EQ(gtk_widget_get_margin_top(GTK_WIDGET(window->webView())), 0);

    movePointer(panelPoint(*window, 380, 5));
    EXPECT_TRUE(runUntil([&] { return window->toolbar().get_allocated_height() == 42; }));
    // The page must not swallow the motion.
    movePointer(panelPoint(*window, 380, 200));
    EXPECT_TRUE(runUntil([&] { return window->toolbar().get_allocated_height() == 10; }));
}

TEST_F(FloatingPanel, AutoHideWaitsForAHeldButtonTheMenuOrADialogButHidesOnLeaving) {
    auto window = openPlain();
    window->toolbarToggleAutoHide();
    // Away from where the menu and the dialog open, so the pointer meets the panel.
    const auto inside = panelPoint(*window, 60, 450);
    const auto bar = panelPoint(*window, 100, 20);
    const auto outside = panelPoint(*window, -40, 450);
    auto visit = [&](std::initializer_list<Point> points) {
        for (const Point point : points) {
            movePointer(point);
        }
        runFor(milliseconds(300));
    };

    // Between the page and the bar is still inside.
    visit({inside, bar, inside});
    EXPECT_TRUE(window->isVisible());
    movePointer(inside);
    pressButton();
    visit({outside});
    releaseButton();
    EXPECT_TRUE(window->isVisible());

    window->toolbarShowMore(window->toolbar().moreButton());
    ASSERT_NE(window->moreMenu(), nullptr);
    visit({inside, outside});
    EXPECT_TRUE(window->isVisible());
    window->moreMenu()->popdown();
    EXPECT_TRUE(runUntil([&] { return window->moreMenu() == nullptr; }));

    window->performMenuAction(MoreMenuAction::editAddress);
    ASSERT_NE(openDialog(), nullptr);
    visit({inside, outside});
    EXPECT_TRUE(window->isVisible());
    openDialog()->response(Gtk::RESPONSE_CANCEL);

    visit({inside, outside});
    EXPECT_FALSE(window->isVisible());
}

TEST_F(FloatingPanel, ClosingTwiceIsHarmlessAndReleasesTheWindow) {
    auto window = openPlain();
    const std::weak_ptr<BrowserWindowController> weak = window;
    window->closePermanently();
    EXPECT_TRUE(manager_.windows().empty());
    EXPECT_EQ(window->webView(), nullptr);
    window->closePermanently();
    window.reset();
    EXPECT_TRUE(runUntil([&] { return weak.expired(); }));
}

}  // namespace
}  // namespace velumo::uitest
