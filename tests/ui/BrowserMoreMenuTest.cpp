#include <algorithm>
#include <string>
#include <vector>

#include <X11/keysym.h>
#include <gdkmm/display.h>
#include <gdkmm/monitor.h>
#include <gtkmm/box.h>
#include <gtkmm/separator.h>
#include <gtkmm/stack.h>
#include <gtkmm/window.h>

#include "UiTestSupport.h"
#include "WidgetQueries.h"
#include "browser/BrowserMoreMenu.h"
#include "browser/BrowserToolbarView.h"
#include "browser/PageDisplayControlsView.h"
#include "browser/WindowGeometry.h"

namespace velumo::uitest {
namespace {

class RecordingDisplayDelegate : public PageDisplayControlsDelegate {
  public:
    std::vector<double> zooms;
    void displayControlsSetPageZoom(double zoom) override { zooms.push_back(zoom); }
    void displayControlsSetBrowserMode(BrowserIdentityMode) override {}
};

// Where a widget is on the screen.
Rect rootFrame(Gtk::Widget& widget) {
    int originX = 0;
    int originY = 0;
    widget.get_toplevel()->get_window()->get_origin(originX, originY);
    int x = 0;
    int y = 0;
    widget.translate_coordinates(*widget.get_toplevel(), 0, 0, x, y);
    return {static_cast<double>(originX + x), static_cast<double>(originY + y),
            static_cast<double>(widget.get_allocated_width()),
            static_cast<double>(widget.get_allocated_height())};
}

// A floating window's bar with the more-menu opened from its more button.
class MoreMenuTest : public UiTest {
  protected:
    void openWindow(BrowserWindowMode mode, Rect frame) {
        bar.setAdvertisementMode(mode == BrowserWindowMode::advertisement);
        bar.set_size_request(-1, static_cast<int>(WindowGeometry::controlBarHeight(mode, false)));
        bar.updateVisibility();
        box.pack_start(bar, Gtk::PACK_SHRINK);
        window.add(box);
        window.set_decorated(false);
        window.set_default_size(static_cast<int>(frame.width), static_cast<int>(frame.height));
        window.move(static_cast<int>(frame.x), static_cast<int>(frame.y));
        window.show_all();
        ASSERT_TRUE(presentAndWait(window));
    }

    BrowserMoreMenu& open(const BrowserMoreMenu::Content& content) {
        BrowserMoreMenu::Handlers handlers;
        handlers.activate = [this](MoreMenuAction action) { actions.push_back(action); };
        handlers.setOpacity = [this](int tag) { opacityTags.push_back(tag); };
        handlers.displayControls = &displayDelegate;
        menu = std::make_unique<BrowserMoreMenu>(bar.moreButton(), content, handlers);
        menu->signalClosed().connect([this] { ++closings; });
        menu->popup();
        EXPECT_TRUE(runUntil([&] { return menu->get_mapped(); }));
        drainMainLoop();
        return *menu;
    }

    // Closed, and the pointer given back: the toolkit learns of that from
    // the next pointer event.
    bool closed() {
        if (!runUntil([&] { return !menu->get_visible(); })) {
            return false;
        }
        const auto [x, y] = pointerPosition();
        movePointer(x + 1, y);
        return !gdk_display_device_is_grabbed(
            window.get_display()->gobj(),
            gdk_seat_get_pointer(gdk_display_get_default_seat(window.get_display()->gobj())));
    }

    Gtk::Stack& stack() { return firstOf<Gtk::Stack>(*menu); }

    // One line per row: its texts, "(disabled)" and "✓" where they apply.
    std::vector<std::string> rows(const char* pageName) {
        std::vector<std::string> lines;
        auto* page = dynamic_cast<Gtk::Box*>(stack().get_child_by_name(pageName));
        for (auto* child : page->get_children()) {
            if (dynamic_cast<Gtk::Separator*>(child) != nullptr) {
                lines.emplace_back("---");
            } else if (dynamic_cast<PageDisplayControlsView*>(child) != nullptr) {
                lines.emplace_back("[display controls]");
            } else {
                std::string line;
                for (const auto& text : labelTexts(*child)) {
                    line += (line.empty() ? "" : " ") + text;
                }
                line += child->is_sensitive() ? "" : " (disabled)";
                const auto icons = iconNames(*child);
                line += std::ranges::count(icons, "object-select-symbolic") > 0 ? " ✓" : "";
                lines.push_back(line);
            }
        }
        return lines;
    }

    bool moreButtonPressed() {
        return (bar.moreButton().get_state_flags() & Gtk::STATE_FLAG_CHECKED) != 0;
    }

    Gtk::Window window;
    Gtk::Box box{Gtk::ORIENTATION_VERTICAL};
    BrowserToolbarView bar;
    std::unique_ptr<BrowserMoreMenu> menu;
    std::vector<MoreMenuAction> actions;
    std::vector<int> opacityTags;
    int closings = 0;
    RecordingDisplayDelegate displayDelegate;
};

TEST_F(MoreMenuTest, WindowModeRowsEndWithTheDisplayControlsAndANewWindow) {
    openWindow(BrowserWindowMode::window, {200, 150, 760, 520});
    BrowserMoreMenu::Content content;
    content.pageZoom = 1.2;
    auto& shown = open(content);

    EXPECT_EQ(rows("main"),
              (std::vector<std::string>{"编辑地址… Ctrl+L", "收藏当前页 Ctrl+D", "---", "复制网址",
                                        "在默认浏览器中打开", "---", "[display controls]", "---",
                                        "新建浮窗 Ctrl+N"}));
    // With room below, it hangs 4 under the button, left edges lined up.
    const Rect button = rootFrame(bar.moreButton());
    const Rect surface = rootFrame(*withStyleClass(shown, "velumo-menu-surface"));
    EXPECT_EQ(std::pair(surface.x, surface.y), std::pair(button.x, button.maxY() + 4));
    // The embedded controls show the window's zoom and report to its controller.
    EXPECT_EQ(percentText(shown), "120%");
    buttonNamed(shown, "恢复 100%").clicked();
    EXPECT_EQ(displayDelegate.zooms, std::vector<double>{1.0});
}

TEST_F(MoreMenuTest, AdvertisementModeShowsStatesAndOpensTheOpacityChoicesInPlace) {
    openWindow(BrowserWindowMode::advertisement, {200, 150, 760, 700});
    BrowserMoreMenu::Content content;
    content.state = {.mode = BrowserWindowMode::advertisement,
                     .canGoForward = true,
                     .autoHide = true,
                     .alwaysOnTop = false};
    content.opacity = 0.3;
    auto& shown = open(content);

    const auto lines = rows("main");
    ASSERT_GE(lines.size(), 7U);
    EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.begin() + 7),
              (std::vector<std::string>{"后退 Ctrl+[ (disabled)", "前进 Ctrl+]", "刷新 Ctrl+R",
                                        "---", "透明度", "鼠标离开自动隐藏 ✓", "始终置顶"}));

    buttonNamed(shown, "透明度").clicked();
    EXPECT_EQ(stack().get_visible_child_name(), "opacity");
    EXPECT_TRUE(shown.get_visible());
    const auto choices = rows("opacity");
    EXPECT_EQ(std::ranges::count_if(choices, [](const auto& line) { return line.ends_with("✓"); }),
              1);
    EXPECT_NE(std::ranges::find(choices, "30% ✓"), choices.end());

    buttonNamed(shown, "返回").clicked();
    EXPECT_EQ(stack().get_visible_child_name(), "main");
    buttonNamed(shown, "10%").clicked();
    EXPECT_EQ(opacityTags, std::vector<int>{10});
    EXPECT_TRUE(actions.empty());
    EXPECT_TRUE(closed());
}

TEST_F(MoreMenuTest, InTheCornerPopUpItReachesAboveThePanelAndEscapeClosesIt) {
    Gdk::Rectangle area;
    Gdk::Display::get_default()->get_primary_monitor()->get_workarea(area);
    const Rect workArea{static_cast<double>(area.get_x()), static_cast<double>(area.get_y()),
                        static_cast<double>(area.get_width()),
                        static_cast<double>(area.get_height())};
    openWindow(BrowserWindowMode::advertisement, WindowGeometry::advertisementFrame(workArea));
    BrowserMoreMenu::Content content;
    content.state.mode = BrowserWindowMode::advertisement;
    auto& shown = open(content);

    // Taller than the 320-point panel and with no room below it: above the
    // button, whole, and on the work area.
    const Rect button = rootFrame(bar.moreButton());
    const Rect surface = rootFrame(*withStyleClass(shown, "velumo-menu-surface"));
    EXPECT_GT(surface.height, 320);
    EXPECT_EQ(surface.maxY(), button.minY() - 4);
    EXPECT_GE(surface.minY(), workArea.minY());
    EXPECT_LE(surface.maxX(), workArea.maxX());
    EXPECT_EQ(rows("main").back(), "新建浮窗 Ctrl+N");
    EXPECT_TRUE(moreButtonPressed());

    tapKey(XK_Escape);
    EXPECT_TRUE(closed());
    EXPECT_EQ(closings, 1);
    EXPECT_FALSE(moreButtonPressed());
    EXPECT_TRUE(actions.empty());
}

TEST_F(MoreMenuTest, AClickOutsideClosesItAndTheKeyboardWalksItsRows) {
    openWindow(BrowserWindowMode::window, {200, 150, 760, 520});
    open({});
    click(300, 450);
    EXPECT_TRUE(closed());
    EXPECT_TRUE(actions.empty());

    // Up wraps round to the last row; down steps from the first.
    open({});
    tapKey(XK_Up);
    tapKey(XK_Return);
    EXPECT_TRUE(closed());
    open({});
    tapKey(XK_Down);
    tapKey(XK_Down);
    tapKey(XK_Return);
    EXPECT_TRUE(closed());
    EXPECT_EQ(actions,
              (std::vector<MoreMenuAction>{MoreMenuAction::newWindow, MoreMenuAction::bookmark}));
    EXPECT_EQ(closings, 3);
}

}  // namespace
}  // namespace velumo::uitest
