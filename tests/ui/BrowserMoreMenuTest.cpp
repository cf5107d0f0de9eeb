#include <algorithm>
#include <stdexcept>
#include <string>
#include <vector>

#include <gtkmm/box.h>
#include <gtkmm/scale.h>
#include <gtkmm/separator.h>
#include <gtkmm/settings.h>
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

// A floating window's bar with the more-menu opened under its more button.
class MoreMenuTest : public UiTest {
  protected:
    // Popovers slide in; the checks of where it lies want it in place.
    void SetUp() override {
        Gtk::Settings::get_default()->property_gtk_enable_animations() = false;
    }
    void TearDown() override {
        Gtk::Settings::get_default()->property_gtk_enable_animations() = true;
        UiTest::TearDown();
    }

    void openWindow(BrowserWindowMode mode, int width, int height) {
        bar.setAdvertisementMode(mode == BrowserWindowMode::advertisement);
        bar.set_size_request(-1, static_cast<int>(WindowGeometry::controlBarHeight(mode, false)));
        bar.updateVisibility();
        box.pack_start(bar, Gtk::PACK_SHRINK);
        window.add(box);
        window.set_decorated(false);
        window.set_default_size(width, height);
        window.move(200, 150);
        window.show_all();
        ASSERT_TRUE(presentAndWait(window));
    }

    BrowserMoreMenu& open(const BrowserMoreMenu::Content& content) {
        BrowserMoreMenu::Handlers handlers;
        handlers.activate = [this](MoreMenuAction action) { actions.push_back(action); };
        handlers.setOpacity = [this](int tag) { opacityTags.push_back(tag); };
        handlers.displayControls = &displayDelegate;
        menu = std::make_unique<BrowserMoreMenu>(bar.moreButton(), content, handlers);
        menu->popup();
        EXPECT_TRUE(runUntil([&] { return menu->get_mapped(); }));
        return *menu;
    }

    Gtk::Stack& stack() {
        for (auto* widget : descendants(*menu)) {
            if (auto* found = dynamic_cast<Gtk::Stack*>(widget)) {
                return *found;
            }
        }
        throw std::runtime_error("no stack in the menu");
    }

    Gtk::Box& page(const char* name) {
        return dynamic_cast<Gtk::Box&>(*stack().get_child_by_name(name));
    }

    // One line per row: its texts, "(disabled)" and "✓" where they apply.
    std::vector<std::string> rows(const char* pageName) {
        std::vector<std::string> lines;
        for (auto* child : page(pageName).get_children()) {
            if (dynamic_cast<Gtk::Separator*>(child) != nullptr) {
                lines.emplace_back("---");
            } else if (dynamic_cast<PageDisplayControlsView*>(child) != nullptr) {
                lines.emplace_back("[display controls]");
            } else {
                std::string line;
                for (const auto& text : labelTexts(*child)) {
                    line += (line.empty() ? "" : " ") + text;
                }
                if (!child->is_sensitive()) {
                    line += " (disabled)";
                }
                const auto icons = iconNames(*child);
                if (std::ranges::find(icons, "object-select-symbolic") != icons.end()) {
                    line += " ✓";
                }
                lines.push_back(line);
            }
        }
        return lines;
    }

    Gtk::Window window;
    Gtk::Box box{Gtk::ORIENTATION_VERTICAL};
    BrowserToolbarView bar;
    std::unique_ptr<BrowserMoreMenu> menu;
    std::vector<MoreMenuAction> actions;
    std::vector<int> opacityTags;
    RecordingDisplayDelegate displayDelegate;
};

TEST_F(MoreMenuTest, WindowModeRowsEndWithTheDisplayControlsAndANewWindow) {
    openWindow(BrowserWindowMode::window, 760, 520);
    BrowserMoreMenu::Content content;
    content.pageZoom = 1.2;
    content.identity = BrowserIdentityMode::mobile;
    auto& shown = open(content);

    EXPECT_EQ(rows("main"),
              (std::vector<std::string>{"编辑地址… Ctrl+L", "收藏当前页 Ctrl+D", "---", "复制网址",
                                        "在默认浏览器中打开", "---", "[display controls]", "---",
                                        "新建浮窗 Ctrl+N"}));
    // The embedded controls show the window's zoom and identity and report to
    // the window's controller.
    auto* percent = dynamic_cast<Gtk::Label*>(withStyleClass(shown, "velumo-percent"));
    ASSERT_NE(percent, nullptr);
    EXPECT_EQ(percent->get_text(), "120%");
    buttonNamed(shown, "恢复 100%").clicked();
    EXPECT_EQ(displayDelegate.zooms, std::vector<double>{1.0});
}

TEST_F(MoreMenuTest, ChoosingARowClosesTheMenuThenHandsTheActionOn) {
    openWindow(BrowserWindowMode::window, 760, 520);
    auto& shown = open({});
    buttonNamed(shown, "复制网址").clicked();
    EXPECT_EQ(actions, std::vector<MoreMenuAction>{MoreMenuAction::copyURL});
    EXPECT_TRUE(runUntil([&] { return !shown.get_visible(); }));

    // A menu whose owner gave no handlers closes all the same.
    menu = std::make_unique<BrowserMoreMenu>(bar.moreButton(), BrowserMoreMenu::Content{},
                                             BrowserMoreMenu::Handlers{});
    menu->popup();
    ASSERT_TRUE(runUntil([&] { return menu->get_mapped(); }));
    buttonNamed(*menu, "新建浮窗").clicked();
    EXPECT_TRUE(runUntil([&] { return !menu->get_visible(); }));
}

TEST_F(MoreMenuTest, AdvertisementModeShowsStatesAndOpensTheOpacityChoicesInPlace) {
    openWindow(BrowserWindowMode::advertisement, 760, 700);
    BrowserMoreMenu::Content content;
    content.state.mode = BrowserWindowMode::advertisement;
    content.state.canGoForward = true;
    content.state.autoHide = true;
    content.state.alwaysOnTop = false;
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
    EXPECT_TRUE(actions.empty());
    const auto choices = rows("opacity");
    EXPECT_EQ(std::ranges::count_if(choices, [](const auto& line) { return line.ends_with("✓"); }),
              1);
    EXPECT_NE(std::ranges::find(choices, "30% ✓"), choices.end());

    buttonNamed(shown, "返回").clicked();
    EXPECT_EQ(stack().get_visible_child_name(), "main");
    buttonNamed(shown, "10%").clicked();
    EXPECT_EQ(opacityTags, std::vector<int>{10});
    EXPECT_TRUE(runUntil([&] { return !shown.get_visible(); }));
}

TEST_F(MoreMenuTest, ATallMenuScrollsInsideASmallWindowInsteadOfBeingCutOff) {
    // The advertisement pop-up's size; its menu is the longest.
    openWindow(BrowserWindowMode::advertisement, 480, 320);
    BrowserMoreMenu::Content content;
    content.state.mode = BrowserWindowMode::advertisement;
    auto& shown = open(content);
    ASSERT_TRUE(runUntil([&] { return shown.get_allocated_height() > 1; }));
    drainMainLoop();

    int x = 0;
    int top = 0;
    shown.translate_coordinates(window, 0, 0, x, top);
    int buttonX = 0;
    int buttonBottom = 0;
    bar.moreButton().translate_coordinates(window, 0, bar.moreButton().get_allocated_height(),
                                           buttonX, buttonBottom);
    EXPECT_GE(top, buttonBottom);
    EXPECT_LE(top + shown.get_allocated_height(), window.get_allocated_height());
}

}  // namespace
}  // namespace velumo::uitest
