// The floating panel on a real display under a window manager: placement,
// level, opacity, the corner pop-up, the folding bar, auto-hide, hiding and
// showing with its dialogs, keys and closing.
#include <algorithm>

#include <X11/keysym.h>

#include "FloatingWindowFixture.h"
#include "OtherXClient.h"
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

class FloatingPanel : public FloatingWindowTest {
  protected:
    static bool hasSize(BrowserWindowController& window, double width, double height) {
        const Rect frame = window.panel().frame();
        return frame.width == width && frame.height == height && gtkHasSize(window, frame);
    }

    std::shared_ptr<BrowserWindowController> openPlain() {
        server_.page("/", "<title>Plain</title><body style='margin:0'>page</body>");
        return open(server_.url("/"));
    }

    // Drags the bar's empty stretch (`from` points right of the bar's left
    // end) by `by`, as a person moves the window; answers the new frame.
    static Rect dragBar(BrowserWindowController& window, double from, Point by) {
        const Rect start = window.panel().frame();
        const Rect bar = rootFrame(window.toolbar());
        movePointer({bar.x + from, bar.y + 15});
        pressButton();
        for (int step = 1; step <= 6; ++step) {
            movePointer({bar.x + from + step * by.x / 6, bar.y + 15 + step * by.y / 6});
            runFor(milliseconds(30));
        }
        releaseButton();
        EXPECT_TRUE(runUntil([&] { return window.panel().frame().x == start.x + by.x; }));
        return window.panel().frame();
    }

    // The visible button of the face on show.
    static Gtk::Button& shownButton(BrowserWindowController& window, const std::string& name) {
        return firstOf<Gtk::Button>(window.toolbar(), [&](Gtk::Button& button) {
            return button.get_is_drawable() && button.get_accessible()->get_name() == name;
        });
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

// Another application's window under the panel gets what the pointer does
// over a ghost, the control bar included; the ghost stays, though it was left
// as it turned into one, with auto-hide on.
TEST_F(FloatingPanel, AGhostLetsThePointerThroughToTheWindowBeneathAndStaysOnScreen) {
    OtherXClient other;
    other.openScreenWindow();
    server_.page("/",
                 "<title>Plain</title><body style='margin:0;height:100vh' "
                 "onclick=\"document.title = 'clicked'\">page</body>");
    auto window = open(server_.url("/"));
    window->toolbarToggleAutoHide();
    window->toolbarShowMore(window->toolbar().moreButton());
    ASSERT_NE(window->moreMenu(), nullptr);
    clickOn(buttonNamed(*window->moreMenu(), "穿透模式"));
    ASSERT_TRUE(window->isGhost());
    EXPECT_TRUE(runUntil([&] { return window->ghostMark().get_mapped(); }));
    other.pointerEvents();

    const Point page = panelPoint(*window, 380, 300);
    click(page);
    scrollDown();
    clickOn(shownButton(*window, "关闭"));
    movePointer(panelPoint(*window, -40, 300));
    runFor(milliseconds(300));
    EXPECT_EQ(other.pointerEvents(),
              (std::vector<std::string>{"motion", "press 1", "press 5", "press 1"}));
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(manager_.windows().size(), 1U);
    EXPECT_EQ(window->displayTitle(), "Plain");

    // The boss key's second press brings it back taking the pointer.
    manager_.toggleBossVisibility();
    ASSERT_FALSE(window->isVisible());
    manager_.toggleBossVisibility();
    ASSERT_TRUE(presentAndWait(window->panel()));
    EXPECT_FALSE(window->ghostMark().get_visible());
    click(page);
    EXPECT_TRUE(runUntil([&] { return window->displayTitle() == "clicked"; }));
    EXPECT_TRUE(other.pointerEvents().empty());
}

// X forgets where an unmapped window was, and GTK would put it back where it
// last asked, not where the person moved it.
TEST_F(FloatingPanel, AHiddenWindowComesBackWhereThePersonLeftIt) {
    auto window = openPlain();
    for (const bool corner : {false, true}) {
        SCOPED_TRACE(corner ? "corner pop-up" : "window");
        if (corner) {
            window->toolbarToggleMode();
            ASSERT_TRUE(runUntil([&] { return hasSize(*window, 480, 320); }));
        }
        const Rect moved = dragBar(*window, corner ? 150 : 300, {-60, -30});
        manager_.toggleBossVisibility();
        ASSERT_FALSE(window->isVisible());
        manager_.toggleBossVisibility();
        EXPECT_TRUE(waitForFrame(*window, moved));
        window->hideWindow();
        window->toggleVisibility();
        EXPECT_TRUE(waitForFrame(*window, moved));
        ASSERT_TRUE(presentAndWait(window->panel()));
    }
}

TEST_F(FloatingPanel, ItsDialogsHideAndComeBackWithIt) {
    auto window = openPlain();
    window->performMenuAction(MoreMenuAction::editAddress);
    Gtk::MessageDialog* editor = openDialog();
    ASSERT_NE(editor, nullptr);
    manager_.hideAll();
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(openDialog(), nullptr);
    manager_.showAll();
    EXPECT_TRUE(runUntil([&] { return openDialog() == editor; }));
    editor->response(Gtk::RESPONSE_CANCEL);

    // A dialog the page opens while the window is hidden waits for it.
    window->hideWindow();
    ASSERT_TRUE(evaluate(*window, "setTimeout(() => alert('hello'), 0); 1").has_value());
    runFor(milliseconds(500));
    EXPECT_EQ(openDialog(), nullptr);
    window->toggleVisibility();
    EXPECT_TRUE(runUntil([] { return openDialog() != nullptr; }));
}

// Ctrl+[ and Ctrl+] indent and outdent in web editors; only the corner
// pop-up, whose bar has no back and forward buttons, takes them.
TEST_F(FloatingPanel, KeysGoToTheWindowOrToThePageByMode) {
    const std::string page =
        "<body style='margin:0;height:100vh'><script>addEventListener('keydown', e => {"
        " if (e.ctrlKey) document.title = 'key ' + e.key; });</script>";
    server_.page("/", "<title>First</title>" + page);
    server_.page("/next", "<title>Next</title>" + page);
    auto window = open(server_.url("/"));
    ASSERT_TRUE(evaluate(*window, "location.href = '/next'; 1").has_value());
    ASSERT_TRUE(waitForPage(*window, "/next"));
    clickElement(*window, "body");

    runFor(milliseconds(300));
    tapKeys({XK_Control_L, XK_bracketleft});
    EXPECT_TRUE(runUntil([&] { return window->displayTitle() == "key ["; }));
    tapKeys({XK_Control_L, XK_bracketright});
    EXPECT_TRUE(runUntil([&] { return window->displayTitle() == "key ]"; }));
    tapKeys({XK_Control_L, XK_r});
    EXPECT_TRUE(runUntil([&] { return server_.requestCount("/next") == 2; }));
    ASSERT_TRUE(waitForPage(*window, "/next"));
    tapKeys({XK_Control_L, XK_d});
    EXPECT_TRUE(std::ranges::any_of(store_.snapshot().bookmarks, [&](const auto& bookmark) {
        return bookmark.url == server_.url("/next");
    }));

    window->toolbarToggleMode();
    tapKeys({XK_Control_L, XK_bracketleft});
    EXPECT_TRUE(waitForPage(*window, "/"));
    EXPECT_EQ(window->displayTitle(), "First");
    tapKeys({XK_Control_L, XK_l});
    ASSERT_NE(openDialog(), nullptr);
    // Answered with the pointer, the editor hands the keyboard back to the window.
    ASSERT_TRUE(runUntil([] { return openDialog()->is_active(); }));
    clickOn(buttonNamed(*openDialog(), "取消"));
    ASSERT_TRUE(runUntil([&] { return window->panel().is_active(); }));
    tapKeys({XK_Control_L, XK_n});
    EXPECT_EQ(manager_.windows().size(), 2U);
}

TEST_F(FloatingPanel, TheCornerPopUpsCloseButtonOnlyHidesIt) {
    auto window = openPlain();
    window->toolbarToggleMode();
    ASSERT_TRUE(runUntil([&] { return hasSize(*window, 480, 320); }));
    drainMainLoop();
    clickOn(shownButton(*window, "关闭"));
    EXPECT_TRUE(runUntil([&] { return !window->isVisible(); }));
    EXPECT_FALSE(window->isClosing());
    EXPECT_EQ(manager_.windows().size(), 1U);

    window->toggleVisibility();
    window->toolbarToggleMode();
    ASSERT_TRUE(runUntil([&] { return hasSize(*window, 760, 520); }));
    drainMainLoop();
    clickOn(shownButton(*window, "关闭"));
    EXPECT_TRUE(runUntil([&] { return manager_.windows().empty(); }));
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
