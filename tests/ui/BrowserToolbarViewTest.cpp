#include <array>
#include <string>
#include <vector>

#include <gtkmm/box.h>
#include <gtkmm/scale.h>
#include <gtkmm/window.h>

#include "UiTestSupport.h"
#include "WidgetQueries.h"
#include "browser/BrowserToolbarDelegate.h"
#include "browser/BrowserToolbarView.h"
#include "browser/WindowGeometry.h"

namespace velumo::uitest {
namespace {

class RecordingToolbarDelegate : public BrowserToolbarDelegate {
  public:
    std::vector<std::string> calls;
    std::vector<double> opacities;
    Gtk::Widget* moreFrom = nullptr;

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
};

// A bar across the top of an undecorated window, as the floating panel has it.
class ToolbarTest : public UiTest {
  protected:
    void SetUp() override {
        box.pack_start(bar, Gtk::PACK_SHRINK);
        window.add(box);
        window.set_decorated(false);
        window.set_default_size(760, 200);
        window.move(100, 100);
        bar.setDelegate(&delegate);
        showFace(false, false);
        window.show_all();
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

    Gtk::Button& button(const std::string& name) { return buttonNamed(bar, name); }

    Gtk::Window window;
    Gtk::Box box{Gtk::ORIENTATION_VERTICAL};
    BrowserToolbarView bar;
    RecordingToolbarDelegate delegate;
};

TEST_F(ToolbarTest, ShowsOneOfThreeFacesEachAtItsHeight) {
    struct Face {
        bool collapsed;
        bool advertisement;
        const char* shownButton;
        int height;
    };
    auto* handle = withStyleClass(bar, "velumo-collapse-handle");
    ASSERT_NE(handle, nullptr);
    for (const Face face : {Face{false, false, "后退", 42}, Face{false, true, "恢复窗口模式", 30},
                            Face{true, false, nullptr, 10}, Face{true, true, nullptr, 30}}) {
        SCOPED_TRACE(testing::Message() << face.collapsed << face.advertisement);
        showFace(face.collapsed, face.advertisement);
        ASSERT_TRUE(runUntil([&] { return bar.get_allocated_height() == face.height; }));
        for (const char* name : {"后退", "恢复窗口模式"}) {
            EXPECT_EQ(button(name).get_is_drawable(),
                      face.shownButton != nullptr && face.shownButton == std::string(name));
        }
        // The folded strip: only the 56 x 4 handle, 3 below the top, centred.
        EXPECT_EQ(handle->get_is_drawable(), face.collapsed && !face.advertisement);
        if (handle->get_is_drawable()) {
            int x = 0;
            int y = 0;
            handle->translate_coordinates(bar, 0, 0, x, y);
            EXPECT_EQ(
                (std::array{x, y, handle->get_allocated_width(), handle->get_allocated_height()}),
                (std::array{(760 - 56) / 2, 3, 56, 4}));
        }
        // The menu opens under the more button of the face on show.
        if (face.shownButton != nullptr) {
            dynamic_cast<Gtk::Button&>(bar.moreButton()).clicked();
            EXPECT_EQ(delegate.moreFrom, &bar.moreButton());
            EXPECT_TRUE(bar.moreButton().get_is_drawable());
        }
    }
}

TEST_F(ToolbarTest, ALongTitleGivesWayToTheButtons) {
    bar.update("一个很长很长很长很长很长很长很长很长很长很长很长很长的网页标题", false, false);
    auto* title = withStyleClass(bar, "velumo-title");
    ASSERT_NE(title, nullptr);
    EXPECT_TRUE(runUntil([&] { return title->get_allocated_width() == 180; }));
    EXPECT_EQ(button("关闭").get_allocated_width(), 25);
    EXPECT_EQ(firstOf<Gtk::Scale>(bar).get_allocated_width(), 72);

    // In the narrowest window every control still fits inside the insets.
    window.resize(420, 200);
    ASSERT_TRUE(runUntil([&] { return bar.get_allocated_width() == 420; }));
    drainMainLoop();
    EXPECT_GE(title->get_allocated_width(), 44);
    int closeX = 0;
    int closeY = 0;
    button("关闭").translate_coordinates(bar, 0, 0, closeX, closeY);
    EXPECT_LE(closeX + 25, 420 - 8);
}

TEST_F(ToolbarTest, OpacitySliderSnapsToTwentiethsAndNeverGoesBelowTenPercent) {
    auto& slider = firstOf<Gtk::Scale>(bar);
    const std::pair<double, const char*> drags[] = {{0.0, "10%"}, {0.37, "35%"}, {0.974, "95%"}};
    for (const auto& [value, text] : drags) {
        dragTo(slider, value);
        EXPECT_EQ(percentText(bar), text);
    }
    EXPECT_DOUBLE_EQ(slider.get_value(), 0.95);
    EXPECT_EQ(delegate.opacities, (std::vector<double>{0.1, 0.35, 0.95}));

    // The controller moving the slider is not a user's change: nothing goes back.
    bar.setOpacity(0.6);
    EXPECT_EQ(percentText(bar), "60%");
    EXPECT_EQ(delegate.opacities.size(), 3U);
}

TEST_F(ToolbarTest, ButtonsSendTheirCommandsOnlyWhenEnabledAndADelegateListens) {
    EXPECT_FALSE(button("后退").is_sensitive());
    bar.update("示例", true, false);
    EXPECT_TRUE(button("后退").is_sensitive());
    EXPECT_FALSE(button("前进").is_sensitive());
    EXPECT_EQ(labelTexts(bar).front(), "示例");

    bar.update("示例", true, true);
    for (const char* name :
         {"后退", "前进", "刷新", "鼠标离开自动隐藏", "置顶", "广告模式", "关闭", "恢复窗口模式"}) {
        button(name).clicked();
    }
    EXPECT_EQ(delegate.calls,
              (std::vector<std::string>{"back", "forward", "reload", "autoHide", "alwaysOnTop",
                                        "mode", "close", "restore"}));

    bar.setDelegate(nullptr);
    for (auto* widget : descendants(bar)) {
        if (auto* control = dynamic_cast<Gtk::Button*>(widget)) {
            control->clicked();
        }
    }
    dragTo(firstOf<Gtk::Scale>(bar), 0.5);
    EXPECT_EQ(percentText(bar), "50%");
    EXPECT_EQ(delegate.calls.size(), 8U);
}

TEST_F(ToolbarTest, EyeAndPinShowTheirStateInTintAndSymbol) {
    auto& eye = button("鼠标离开自动隐藏");
    auto& pin = button("置顶");
    for (const bool on : {true, false}) {
        bar.setAutoHide(on);
        bar.setPinned(on);
        EXPECT_EQ(eye.get_style_context()->has_class("velumo-tint-orange"), on);
        EXPECT_EQ(iconNames(eye),
                  std::vector<std::string>{on ? "view-conceal-symbolic" : "view-reveal-symbolic"});
        EXPECT_EQ(pin.get_style_context()->has_class("velumo-tint-green"), on);
    }
}

TEST_F(ToolbarTest, DraggingTheEmptyAreaMovesTheWindowButAButtonDoesNot) {
    int left = 0;
    int top = 0;
    window.get_position(left, top);
    // Between the title and the slider lies the bar's empty stretch.
    movePointer(left + 300, top + 20);
    pressButton();
    for (int step = 1; step <= 6; ++step) {
        movePointer(left + 300 + step * 10, top + 20 + step * 5);
        runFor(std::chrono::milliseconds(30));
    }
    releaseButton();
    int movedLeft = 0;
    int movedTop = 0;
    ASSERT_TRUE(runUntil([&] {
        window.get_position(movedLeft, movedTop);
        return movedLeft != left;
    }));
    EXPECT_EQ(std::pair(movedLeft - left, movedTop - top), std::pair(60, 30));

    int x = 0;
    int y = 0;
    button("刷新").translate_coordinates(window, 12, 10, x, y);
    click(movedLeft + x, movedTop + y);
    ASSERT_TRUE(runUntil([&] { return !delegate.calls.empty(); }));
    EXPECT_EQ(delegate.calls, std::vector<std::string>{"reload"});
    window.get_position(left, top);
    EXPECT_EQ(std::pair(left, top), std::pair(movedLeft, movedTop));
}

}  // namespace
}  // namespace velumo::uitest
