#include <memory>
#include <string>
#include <vector>

#include <X11/keysym.h>
#include <gtkmm/box.h>
#include <gtkmm/icontheme.h>
#include <gtkmm/scale.h>
#include <gtkmm/stack.h>
#include <gtkmm/togglebutton.h>
#include <gtkmm/window.h>

#include "UiTestSupport.h"
#include "WidgetQueries.h"
#include "browser/BrowserMoreMenu.h"
#include "browser/BrowserToolbarDelegate.h"
#include "browser/BrowserToolbarView.h"
#include "browser/PageDisplayControlsView.h"
#include "browser/ScreenLayout.h"
#include "browser/WindowGeometry.h"
#include "design/SymbolIcons.h"

namespace velumo::uitest {
namespace {

// A floating window's chrome reporting to the test: the control bar across
// the top of an undecorated window, the more-menu opened from the bar and
// the page display controls.
class ChromeTest : public UiTest,
                   public BrowserToolbarDelegate,
                   public PageDisplayControlsDelegate {
  protected:
    ChromeTest() { bar.setDelegate(this); }

    void show(Rect frame, bool advertisement = false) {
        box.pack_start(bar, Gtk::PACK_SHRINK);
        window.add(box);
        window.set_decorated(false);
        window.set_default_size(static_cast<int>(frame.width), static_cast<int>(frame.height));
        window.move(static_cast<int>(frame.x), static_cast<int>(frame.y));
        showFace(false, advertisement);
        ASSERT_TRUE(presentAndWait(window));
    }

    void showFace(bool collapsed, bool advertisement) {
        const auto mode =
            advertisement ? BrowserWindowMode::advertisement : BrowserWindowMode::window;
        bar.set_size_request(-1,
                             static_cast<int>(WindowGeometry::controlBarHeight(mode, collapsed)));
        bar.setCollapsed(collapsed);
        bar.setAdvertisementMode(advertisement);
        bar.updateVisibility();
        // A show_all() of the window around the bar must not undo the face.
        window.show_all();
        drainMainLoop();
    }

    BrowserMoreMenu& openMenu(MoreMenuState state, double opacity = 1.0) {
        menu = std::make_unique<BrowserMoreMenu>(
            bar.moreButton(), BrowserMoreMenu::Content{state, opacity, 1.2},
            BrowserMoreMenu::Handlers{[this](MoreMenuAction action) { actions.push_back(action); },
                                      [this](int tag) { opacityTags.push_back(tag); }, this});
        menu->signalClosed().connect([this] { ++closings; });
        menu->popup();
        EXPECT_TRUE(runUntil([&] { return menu->get_mapped(); }));
        drainMainLoop();
        return *menu;
    }

    // Closed, and the window takes clicks again.
    bool menuClosed() {
        if (!runUntil([&] { return !menu->get_visible(); })) {
            return false;
        }
        moreFrom = nullptr;
        clickOn(bar.moreButton());
        return runUntil([&] { return moreFrom != nullptr; });
    }

    bool moreButtonPressed() {
        return (bar.moreButton().get_state_flags() & Gtk::STATE_FLAG_CHECKED) != 0;
    }

    void toolbarGoBack() override { calls.emplace_back("back"); }
    void toolbarGoForward() override { calls.emplace_back("forward"); }
    void toolbarReload() override { calls.emplace_back("reload"); }
    void toolbarSetOpacity(double value) override { opacities.push_back(value); }
    void toolbarToggleAutoHide() override { calls.emplace_back("autoHide"); }
    void toolbarToggleAlwaysOnTop() override { calls.emplace_back("alwaysOnTop"); }
    void toolbarToggleMode() override { calls.emplace_back("mode"); }
    void toolbarShowMore(Gtk::Widget& button) override { moreFrom = &button; }
    void toolbarClose() override { calls.emplace_back("close"); }
    void toolbarRestoreWindowMode() override { calls.emplace_back("restore"); }
    void displayControlsSetPageZoom(double zoom) override { zooms.push_back(zoom); }
    void displayControlsSetBrowserMode(BrowserIdentityMode mode) override { modes.push_back(mode); }

    Gtk::Window window;
    Gtk::Box box{Gtk::ORIENTATION_VERTICAL};
    BrowserToolbarView bar;
    std::unique_ptr<BrowserMoreMenu> menu;
    std::vector<std::string> calls;
    std::vector<double> opacities;
    Gtk::Widget* moreFrom = nullptr;
    std::vector<MoreMenuAction> actions;
    std::vector<int> opacityTags;
    int closings = 0;
    std::vector<double> zooms;
    std::vector<BrowserIdentityMode> modes;
};

using ToolbarTest = ChromeTest;
using MoreMenuTest = ChromeTest;
using PageDisplayControlsTest = ChromeTest;

constexpr Rect plainWindow{100, 100, 760, 520};

TEST_F(ToolbarTest, ShowsOneOfThreeFacesAndOpensTheMenuFromTheMoreButtonOnShow) {
    show(plainWindow);
    auto& handle = withStyleClass(bar, "velumo-collapse-handle");
    for (const bool collapsed : {false, true}) {
        for (const bool advertisement : {false, true}) {
            SCOPED_TRACE(testing::Message() << collapsed << advertisement);
            showFace(collapsed, advertisement);
            EXPECT_EQ(buttonNamed(bar, "后退").get_is_drawable(), !collapsed && !advertisement);
            EXPECT_EQ(buttonNamed(bar, "恢复窗口模式").get_is_drawable(),
                      !collapsed && advertisement);
            EXPECT_EQ(handle.get_is_drawable(), collapsed && !advertisement);
            dynamic_cast<Gtk::Button&>(bar.moreButton()).clicked();
            EXPECT_EQ(moreFrom, &bar.moreButton());
            EXPECT_EQ(bar.moreButton().get_is_drawable(), !collapsed);
        }
    }
}

// The steps are WindowGeometry's; here the bar's slider must take the opacity's.
TEST_F(ToolbarTest, OpacitySliderSnapsAndReportsOnlyThePersonsChanges) {
    auto& slider = firstOf<Gtk::Scale>(bar);
    dragTo(slider, 0.974);
    EXPECT_DOUBLE_EQ(slider.get_value(), 0.95);
    EXPECT_EQ(percentText(bar), "95%");
    dragTo(slider, 0.0);
    EXPECT_EQ(percentText(bar), "10%");
    // The controller moving the slider is not a user's change: nothing goes back.
    bar.setOpacity(0.6);
    EXPECT_EQ(percentText(bar), "60%");
    EXPECT_EQ(opacities, (std::vector<double>{0.95, 0.1}));
}

TEST_F(ToolbarTest, ButtonsSendTheirCommandsWhileADelegateListensAndShowTheirState) {
    const std::vector<std::string> names{"后退", "前进",     "刷新", "鼠标离开自动隐藏",
                                         "置顶", "广告模式", "关闭", "恢复窗口模式"};
    for (const auto& name : names) {
        buttonNamed(bar, name).clicked();
    }
    EXPECT_EQ(calls, (std::vector<std::string>{"back", "forward", "reload", "autoHide",
                                               "alwaysOnTop", "mode", "close", "restore"}));
    bar.setDelegate(nullptr);
    buttonNamed(bar, "刷新").clicked();
    EXPECT_EQ(calls.size(), names.size());

    auto& eye = buttonNamed(bar, "鼠标离开自动隐藏");
    bar.setAutoHide(true);
    EXPECT_EQ(iconNames(eye), std::vector<std::string>{"view-conceal-symbolic"});
    EXPECT_TRUE(eye.get_style_context()->has_class("velumo-tint-orange"));
    bar.setPinned(true);
    EXPECT_TRUE(buttonNamed(bar, "置顶").get_style_context()->has_class("velumo-tint-green"));
}

TEST_F(ToolbarTest, DraggingTheEmptyAreaMovesTheWindowButPressingAButtonDoesNot) {
    show(plainWindow);
    const Rect start = rootFrame(bar);
    // Between the title and the slider lies the bar's empty stretch.
    movePointer({start.x + 300, start.y + 20});
    pressButton();
    for (int step = 1; step <= 6; ++step) {
        movePointer({start.x + 300 + step * 10, start.y + 20 + step * 5});
        runFor(std::chrono::milliseconds(30));
    }
    releaseButton();
    ASSERT_TRUE(runUntil([&] { return rootFrame(bar).x != start.x; }));
    const Rect moved = rootFrame(bar);
    EXPECT_EQ(Point(moved.x - start.x, moved.y - start.y), Point(60, 30));

    clickOn(buttonNamed(bar, "刷新"));
    ASSERT_TRUE(runUntil([&] { return !calls.empty(); }));
    EXPECT_EQ(calls, std::vector<std::string>{"reload"});
    EXPECT_EQ(rootFrame(bar), moved);
}

TEST_F(ToolbarTest, EverySymbolStandsForAnIconDrawnAtItsSizeAndAnUnknownOneForNone) {
    auto theme = Gtk::IconTheme::get_default();
    for (const auto& entry : SymbolIcons::table()) {
        // The sizes the bar, the menus and the workbench ask for.
        for (const int asked : {13, 18, 22, 28}) {
            const int size = SymbolIcons::drawnSize(asked);
            const auto icon =
                theme->lookup_icon(std::string(entry.iconName), size, Gtk::ICON_LOOKUP_FORCE_SIZE);
            ASSERT_TRUE(icon) << entry.symbol;
            // Pixels of that size: an SVG would bring its renderer's library
            // into memory for the rest of the run.
            EXPECT_TRUE(std::string(icon.get_filename()).ends_with(".png"))
                << entry.symbol << " at " << size << ": " << icon.get_filename();
        }
    }
    // Empty rather than the theme's "missing image" picture.
    const std::unique_ptr<Gtk::Image> unknown(SymbolIcons::makeImage("no.such.symbol", 13));
    EXPECT_EQ(unknown->get_storage_type(), Gtk::IMAGE_EMPTY);
}

TEST_F(MoreMenuTest, InAWindowItHangsUnderTheButtonAndClosesOnAClickOutsideOrAChoice) {
    show(plainWindow);
    auto& shown = openMenu({});
    const Rect button = rootFrame(bar.moreButton());
    const Rect surface = rootFrame(withStyleClass(shown, "velumo-menu-surface"));
    EXPECT_EQ(std::pair(surface.x, surface.y), std::pair(button.x, button.maxY() + 4));
    // The window's items, and the display controls at the window's zoom.
    EXPECT_EQ(labelTexts(*firstOf<Gtk::Stack>(shown).get_child_by_name("main")),
              (std::vector<std::string>{"编辑地址…", "Ctrl+L", "收藏当前页", "Ctrl+D", "复制网址",
                                        "在默认浏览器中打开", "网页缩放", "120%", "恢复 100%",
                                        "浏览器模式", "电脑", "手机", "恢复默认", "穿透模式",
                                        "新建浮窗", "Ctrl+N"}));
    // The embedded display controls report to the window's controller.
    buttonNamed(shown, "恢复 100%").clicked();
    EXPECT_EQ(zooms, std::vector<double>{1.0});

    click({300, 450});
    EXPECT_TRUE(menuClosed());
    // Up wraps round to the last row; down steps from the first.
    openMenu({});
    tapKey(XK_Up);
    tapKey(XK_Return);
    EXPECT_TRUE(menuClosed());
    openMenu({});
    for (const unsigned key : {XK_Down, XK_Down, XK_Return}) {
        tapKey(key);
    }
    EXPECT_TRUE(menuClosed());
    EXPECT_EQ(actions,
              (std::vector<MoreMenuAction>{MoreMenuAction::newWindow, MoreMenuAction::bookmark}));
    EXPECT_EQ(closings, 3);
}

TEST_F(MoreMenuTest, InTheCornerPopUpItReachesAboveThePanelWithStatesAndOpacityChoices) {
    const Rect workArea = ScreenLayout::ofDisplay(window).screens.at(0).workArea;
    show(WindowGeometry::advertisementFrame(workArea), true);
    auto& shown = openMenu({.mode = BrowserWindowMode::advertisement,
                            .canGoForward = true,
                            .autoHide = true,
                            .alwaysOnTop = false},
                           0.3);
    const auto main = labelTexts(*firstOf<Gtk::Stack>(shown).get_child_by_name("main"));
    EXPECT_EQ(std::vector<std::string>(main.begin(), main.begin() + 9),
              (std::vector<std::string>{"后退", "Ctrl+[", "前进", "Ctrl+]", "刷新", "Ctrl+R",
                                        "透明度", "鼠标离开自动隐藏", "始终置顶"}));
    EXPECT_FALSE(buttonNamed(shown, "后退").is_sensitive());
    EXPECT_EQ(iconNames(buttonNamed(shown, "鼠标离开自动隐藏")).front(), "object-select-symbolic");
    EXPECT_EQ(iconNames(buttonNamed(shown, "始终置顶")).size(), 0U);

    // Taller than the 320-point panel, with no room below it: above the
    // button, placed by the height it really has.
    const Rect button = rootFrame(bar.moreButton());
    const Rect surface = rootFrame(withStyleClass(shown, "velumo-menu-surface"));
    EXPECT_GT(surface.height, 320);
    EXPECT_EQ(surface.maxY(), button.minY() - 4);
    EXPECT_TRUE(moreButtonPressed());

    buttonNamed(shown, "透明度").clicked();
    EXPECT_EQ(iconNames(buttonNamed(shown, "30%")).front(), "object-select-symbolic");
    buttonNamed(shown, "返回").clicked();
    buttonNamed(shown, "透明度").clicked();
    buttonNamed(shown, "10%").clicked();
    EXPECT_EQ(opacityTags, std::vector<int>{10});
    EXPECT_TRUE(menuClosed());
    EXPECT_FALSE(moreButtonPressed());

    openMenu({.mode = BrowserWindowMode::advertisement});
    tapKey(XK_Escape);
    EXPECT_TRUE(menuClosed());
    EXPECT_TRUE(actions.empty());
}

TEST_F(PageDisplayControlsTest, ZoomSnapsToTenthsAndResetsToOne) {
    PageDisplayControlsView view(0.5, BrowserIdentityMode::desktop, this);
    auto& slider = firstOf<Gtk::Scale>(view);
    dragTo(slider, 1.24);
    EXPECT_DOUBLE_EQ(slider.get_value(), 1.2);
    EXPECT_EQ(percentText(view), "120%");
    buttonNamed(view, "恢复 100%").clicked();
    EXPECT_DOUBLE_EQ(slider.get_value(), 1.0);
    EXPECT_EQ(percentText(view), "100%");
    EXPECT_EQ(zooms, (std::vector<double>{1.2, 1.0}));
}

TEST_F(PageDisplayControlsTest, StartsFromTheWindowsIdentityAndReportsOnlyTheOtherOne) {
    PageDisplayControlsView view(1.0, BrowserIdentityMode::mobile, this);
    EXPECT_TRUE(dynamic_cast<Gtk::ToggleButton&>(buttonNamed(view, "手机")).get_active());
    for (const char* title : {"手机", "电脑", "电脑", "手机"}) {
        buttonNamed(view, title).clicked();
    }
    EXPECT_EQ(modes, (std::vector<BrowserIdentityMode>{BrowserIdentityMode::desktop,
                                                       BrowserIdentityMode::mobile}));

    // Without a delegate (the window closed meanwhile) the controls still move.
    PageDisplayControlsView orphan(1.0, BrowserIdentityMode::desktop, nullptr);
    dragTo(firstOf<Gtk::Scale>(orphan), 2.06);
    EXPECT_EQ(percentText(orphan), "210%");
    buttonNamed(orphan, "手机").clicked();
    EXPECT_EQ(zooms.size() + modes.size(), 2U);
}

}  // namespace
}  // namespace velumo::uitest
