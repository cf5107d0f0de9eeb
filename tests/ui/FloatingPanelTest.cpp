// The floating panel on a real display under a window manager: placement,
// level, opacity, the corner pop-up, moving between monitors, the folding bar,
// auto-hide and closing.
#include <gtkmm/messagedialog.h>

#include "FloatingWindowFixture.h"
#include "WidgetQueries.h"

namespace velumo::uitest {
namespace {

using std::chrono::milliseconds;

constexpr const char* plainPage = "<title>Plain</title><body style='margin:0'>page</body>";

bool isAbove(BrowserWindowController& window) {
    const auto states = windowManagerStates(window.panel());
    return std::find(states.begin(), states.end(), "_NET_WM_STATE_ABOVE") != states.end();
}

// On every workspace.
bool isSticky(BrowserWindowController& window) {
    return cardinalProperty(window.panel(), "_NET_WM_DESKTOP") == 0xffffffffUL;
}

Gtk::MessageDialog* openDialog() {
    for (Gtk::Window* window : Gtk::Window::list_toplevels()) {
        if (auto* dialog = dynamic_cast<Gtk::MessageDialog*>(window);
            dialog && dialog->get_visible()) {
            return dialog;
        }
    }
    return nullptr;
}

using FloatingPanel = FloatingWindowTest;

TEST_F(FloatingPanel, OpensCentredAboveOtherWindowsOnEveryWorkspaceAtTheDefaultOpacity) {
    changeSettings([](AppSettings& settings) { settings.defaultOpacity = 0.8; });
    server_.page("/", plainPage);
    auto window = open(server_.url("/"));

    const Rect workArea = ScreenLayout::ofDisplay(window->panel()).screens.at(0).workArea;
    EXPECT_TRUE(waitForFrame(*window, WindowGeometry::centredOn({0, 0, 760, 520}, workArea)));
    EXPECT_TRUE(runUntil([&] { return isAbove(*window); }));
    EXPECT_TRUE(runUntil([&] { return isSticky(*window); }));
    const auto states = windowManagerStates(window->panel());
    EXPECT_NE(std::find(states.begin(), states.end(), "_NET_WM_STATE_SKIP_TASKBAR"), states.end());
    EXPECT_FALSE(window->panel().get_decorated());
    EXPECT_DOUBLE_EQ(window->opacity(), 0.8);
    EXPECT_NEAR(windowSystemOpacity(window->panel()), 0.8, 1.0 / 255);

    // The window manager keeps it at its minimum size.
    window->panel().resize(100, 100);
    EXPECT_TRUE(runUntil([&] {
        const Rect frame = window->panel().frame();
        return frame.width == 420 && frame.height == 260;
    }));
}

TEST_F(FloatingPanel, DraggingAnEdgeOverThePageResizesTheWindow) {
    server_.page("/", plainPage);
    auto window = open(server_.url("/"));
    const Rect before = window->panel().frame();

    const auto [x, y] = panelPoint(*window, before.width - 2, before.height / 2);
    movePointer(x, y);
    pressButton();
    // The window manager takes the pointer over on its own time.
    runFor(milliseconds(300));
    for (int step = 1; step <= 10; ++step) {
        movePointer(x + step * 10, y);
        runFor(milliseconds(20));
    }
    releaseButton();
    EXPECT_TRUE(runUntil([&] { return window->panel().frame().width == before.width + 100; }))
        << window->panel().frame().width;
    EXPECT_EQ(window->panel().frame().x, before.x);
    EXPECT_TRUE(runUntil([&] { return !window->panel().inLiveResize(); }));
}

TEST_F(FloatingPanel, UnpinningLowersOnlyThatWindow) {
    server_.page("/", plainPage);
    auto first = open(server_.url("/"));
    ASSERT_TRUE(runUntil([&] { return isAbove(*first); }));

    first->toolbarToggleAlwaysOnTop();
    EXPECT_FALSE(first->alwaysOnTop());
    EXPECT_TRUE(runUntil([&] { return !isAbove(*first); }));

    auto second = open(server_.url("/"));
    EXPECT_TRUE(second->alwaysOnTop());
    EXPECT_TRUE(runUntil([&] { return isAbove(*second); }));
    first->toolbarToggleAlwaysOnTop();
    EXPECT_TRUE(runUntil([&] { return isAbove(*first); }));
}

TEST_F(FloatingPanel, OpacityMovesInStepsOfAFifthOfATenthAndNeverBelowTenPercent) {
    server_.page("/", plainPage);
    auto window = open(server_.url("/"));

    window->toolbarSetOpacity(0.0);
    EXPECT_DOUBLE_EQ(window->opacity(), 0.1);
    EXPECT_NEAR(windowSystemOpacity(window->panel()), 0.1, 1.0 / 255);
    window->toolbarSetOpacity(0.437);
    EXPECT_DOUBLE_EQ(window->opacity(), 0.45);
    window->setOpacityFromMenu(70);
    EXPECT_DOUBLE_EQ(window->opacity(), 0.7);
    window->setOpacityFromMenu(10);
    EXPECT_DOUBLE_EQ(window->opacity(), 0.1);
    window->setOpacityFromMenu(100);
    EXPECT_NEAR(windowSystemOpacity(window->panel()), 1.0, 1e-6);
    // The bar shows the value in force.
    const auto labels = labelTexts(window->toolbar());
    EXPECT_NE(std::find(labels.begin(), labels.end(), "100%"), labels.end());
}

TEST_F(FloatingPanel, AdvertisementModeSitsInTheCornerAndReturnsOntoASmallerWorkArea) {
    fakeScreens_ = ScreenLayout{{{{0, 0, 1440, 900}, {0, 0, 1440, 900}}}, 0, std::nullopt};
    server_.page("/", plainPage);
    auto window = open(server_.url("/"));
    const Rect normal{340, 190, 760, 520};
    ASSERT_TRUE(waitForFrame(*window, normal));

    window->toolbarToggleMode();
    EXPECT_EQ(window->mode(), BrowserWindowMode::advertisement);
    EXPECT_TRUE(waitForFrame(*window, {944, 564, 480, 320}));
    EXPECT_EQ(window->normalFrame(), normal);
    window->panel().resize(100, 100);
    EXPECT_TRUE(runUntil([&] { return window->panel().frame().width == 320; }));
    EXPECT_EQ(window->panel().frame().height, 220);

    // Meanwhile the work area shrank: the old frame slides back onto it.
    fakeScreens_->screens[0].workArea = {0, 0, 1024, 700};
    window->toolbarRestoreWindowMode();
    EXPECT_EQ(window->mode(), BrowserWindowMode::window);
    EXPECT_TRUE(waitForFrame(*window, {264, 180, 760, 520}));
    // Restoring again in window mode changes nothing.
    window->toolbarRestoreWindowMode();
    EXPECT_EQ(window->mode(), BrowserWindowMode::window);
}

TEST_F(FloatingPanel, AWindowOpenedAsAnAdvertisementRemembersItsCentredFrame) {
    fakeScreens_ = ScreenLayout{{{{0, 0, 1440, 900}, {0, 30, 1440, 870}}}, 0, std::nullopt};
    server_.page("/", plainPage);
    auto window = open(server_.url("/"), BrowserWindowMode::advertisement);
    EXPECT_TRUE(waitForFrame(*window, {944, 564, 480, 320}));
    EXPECT_EQ(window->normalFrame(), (Rect{340, 205, 760, 520}));
    // In this mode the close button only hides the window.
    window->toolbarClose();
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(manager_.windows().size(), 1U);
}

TEST_F(FloatingPanel, FollowsThePointerToAnotherMonitorShrinkingToFit) {
    fakeScreens_ = ScreenLayout{
        {{{0, 0, 720, 900}, {0, 0, 720, 900}}, {{720, 0, 720, 900}, {720, 0, 720, 900}}},
        0,
        std::nullopt};
    server_.page("/", plainPage);
    auto window = open(server_.url("/"));
    ASSERT_TRUE(waitForFrame(*window, {0, 190, 720, 520}));

    movePointer(360, 450);
    EXPECT_FALSE(window->moveToMouseScreenIfNeeded());
    movePointer(1000, 450);
    EXPECT_TRUE(window->moveToMouseScreenIfNeeded());
    EXPECT_TRUE(waitForFrame(*window, {720, 190, 720, 520}));
    EXPECT_FALSE(window->moveToMouseScreenIfNeeded());
}

TEST_F(FloatingPanel, TheFoldedBarOpensAtTheTopCentreAndFoldsBelowEvenOverThePage) {
    changeSettings([](AppSettings& settings) { settings.autoHideToolbar = true; });
    server_.page("/", plainPage);
    auto window = open(server_.url("/"));
    EXPECT_TRUE(window->isToolbarCollapsed());
    EXPECT_EQ(gtk_widget_get_margin_top(GTK_WIDGET(window->webView())), 0);
    EXPECT_TRUE(runUntil([&] { return window->toolbar().get_allocated_height() == 10; }));

    const auto [ax, ay] = panelPoint(*window, 300, 5);
    movePointer(ax, ay);
    runFor(milliseconds(200));
    EXPECT_TRUE(window->isToolbarCollapsed()) << "80 from the centre is outside the zone";

    const auto [bx, by] = panelPoint(*window, 380, 5);
    movePointer(bx, by);
    EXPECT_TRUE(runUntil([&] { return !window->isToolbarCollapsed(); }));
    EXPECT_TRUE(runUntil([&] { return window->toolbar().get_allocated_height() == 42; }));

    // Over the page itself, which must not swallow the motion.
    const auto [cx, cy] = panelPoint(*window, 380, 200);
    movePointer(cx, cy);
    EXPECT_TRUE(runUntil([&] { return window->isToolbarCollapsed(); }));

    // In advertisement mode the bar stays open whatever the pointer does.
    window->toolbarToggleMode();
    EXPECT_FALSE(window->isToolbarCollapsed() && window->toolbar().collapsed());
    const auto [dx, dy] = panelPoint(*window, 240, 200);
    movePointer(dx, dy);
    runFor(milliseconds(200));
    EXPECT_FALSE(window->toolbar().collapsed());
    window->toolbarToggleMode();
    EXPECT_TRUE(window->isToolbarCollapsed());
}

TEST_F(FloatingPanel, AutoHideWaitsForButtonsMenusAndDialogsThenHidesOnLeaving) {
    server_.page("/", plainPage);
    auto window = open(server_.url("/"));
    window->toolbarToggleAutoHide();
    ASSERT_TRUE(window->autoHide());
    const auto inside = panelPoint(*window, 300, 300);
    const auto outside = panelPoint(*window, -40, 300);
    auto leaveAndSettle = [&] {
        movePointer(inside.first, inside.second);
        movePointer(outside.first, outside.second);
        runFor(milliseconds(300));
    };

    // Dragging out of the window with a button held.
    movePointer(inside.first, inside.second);
    pressButton();
    movePointer(outside.first, outside.second);
    runFor(milliseconds(300));
    releaseButton();
    EXPECT_TRUE(window->isVisible());

    window->toolbarShowMore(window->toolbar().moreButton());
    ASSERT_NE(window->moreMenu(), nullptr);
    leaveAndSettle();
    EXPECT_TRUE(window->isVisible());
    window->moreMenu()->popdown();
    EXPECT_TRUE(runUntil([&] { return window->moreMenu() == nullptr; }));

    window->performMenuAction(MoreMenuAction::editAddress);
    Gtk::MessageDialog* dialog = openDialog();
    ASSERT_NE(dialog, nullptr);
    leaveAndSettle();
    EXPECT_TRUE(window->isVisible());
    dialog->response(Gtk::RESPONSE_CANCEL);
    drainMainLoop();

    leaveAndSettle();
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(manager_.windows().size(), 1U);

    // Moving between the page and the bar is not leaving.
    window->showWindow();
    ASSERT_TRUE(runUntil([&] { return window->panel().is_active(); }));
    const auto bar = panelPoint(*window, 100, 20);
    movePointer(inside.first, inside.second);
    movePointer(bar.first, bar.second);
    movePointer(inside.first, inside.second);
    runFor(milliseconds(300));
    EXPECT_TRUE(window->isVisible());
}

TEST_F(FloatingPanel, ClosingOnceRemovesTheWindowFromItsManager) {
    server_.page("/", plainPage);
    auto window = open(server_.url("/"));
    std::weak_ptr<BrowserWindowController> weak = window;
    window.reset();

    auto controller = weak.lock();
    controller->closePermanently();
    EXPECT_TRUE(controller->isClosing());
    EXPECT_TRUE(manager_.windows().empty());
    EXPECT_EQ(controller->webView(), nullptr);
    controller->closePermanently();
    controller.reset();
    EXPECT_TRUE(runUntil([&] { return weak.expired(); }));
}

}  // namespace
}  // namespace velumo::uitest
