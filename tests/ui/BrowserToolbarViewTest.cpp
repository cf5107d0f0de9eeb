#include <stdexcept>
#include <string>
#include <vector>

#include <gtkmm/box.h>
#include <gtkmm/image.h>
#include <gtkmm/label.h>
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
    void toolbarSetOpacity(double value) override {
        calls.emplace_back("opacity");
        opacities.push_back(value);
    }
    void toolbarToggleAutoHide() override { calls.emplace_back("autoHide"); }
    void toolbarToggleAlwaysOnTop() override { calls.emplace_back("alwaysOnTop"); }
    void toolbarToggleMode() override { calls.emplace_back("mode"); }
    void toolbarShowMore(Gtk::Widget& button) override {
        calls.emplace_back("more");
        moreFrom = &button;
    }
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
        drainMainLoop();
    }

    Gtk::Scale& slider() {
        for (auto* widget : descendants(bar)) {
            if (auto* scale = dynamic_cast<Gtk::Scale*>(widget)) {
                return *scale;
            }
        }
        throw std::runtime_error("no slider");
    }

    // What a drag or a scroll of the slider reports before it moves.
    void dragSliderTo(double value) {
        gboolean handled = FALSE;
        g_signal_emit_by_name(slider().gobj(), "change-value", GTK_SCROLL_JUMP, value, &handled);
    }

    std::string percentLabel() {
        auto* label = dynamic_cast<Gtk::Label*>(withStyleClass(bar, "velumo-percent"));
        return label != nullptr ? std::string(label->get_text()) : "";
    }

    Gtk::Button& button(const std::string& name) { return buttonNamed(bar, name); }

    Gtk::Window window;
    Gtk::Box box{Gtk::ORIENTATION_VERTICAL};
    BrowserToolbarView bar;
    RecordingToolbarDelegate delegate;
};

TEST_F(ToolbarTest, ShowsOneOfThreeFacesAndPointsTheMoreMenuAtTheVisibleButton) {
    struct Face {
        bool collapsed;
        bool advertisement;
        bool normalRow;
        bool advertisementRow;
        bool handle;
    };
    const Face faces[] = {
        {false, false, true, false, false},
        {false, true, false, true, false},
        {true, false, false, false, true},
        {true, true, false, false, false},
    };
    auto* handle = withStyleClass(bar, "velumo-collapse-handle");
    ASSERT_NE(handle, nullptr);
    for (const auto& face : faces) {
        SCOPED_TRACE(testing::Message()
                     << "collapsed " << face.collapsed << ", advertisement " << face.advertisement);
        showFace(face.collapsed, face.advertisement);
        // A show_all() of the window around the bar must not undo the face.
        window.show_all();
        ASSERT_TRUE(runUntil([&] { return bar.get_allocated_height() > 0; }));
        EXPECT_EQ(button("后退").get_is_drawable(), face.normalRow);
        EXPECT_EQ(button("恢复窗口模式").get_is_drawable(), face.advertisementRow);
        EXPECT_EQ(handle->get_is_drawable(), face.handle);
        if (!face.collapsed) {
            EXPECT_TRUE(bar.moreButton().get_is_drawable());
            dynamic_cast<Gtk::Button&>(bar.moreButton()).clicked();
            EXPECT_EQ(delegate.moreFrom, &bar.moreButton());
        }
    }
}

TEST_F(ToolbarTest, ControlsKeepTheirSizesInsideTheBarHeights) {
    bar.update("一个很长很长很长很长很长很长很长很长很长很长很长很长的网页标题", false, false);
    auto* title = withStyleClass(bar, "velumo-title");
    ASSERT_NE(title, nullptr);
    // A long title stops at 180, however wide the bar.
    EXPECT_TRUE(runUntil([&] { return title->get_allocated_width() == 180; }));
    EXPECT_EQ(bar.get_allocated_width(), 760);
    for (const char* name :
         {"后退", "前进", "刷新", "鼠标离开自动隐藏", "置顶", "广告模式", "更多", "关闭"}) {
        SCOPED_TRACE(name);
        EXPECT_EQ(button(name).get_allocated_width(), 25);
        EXPECT_LE(button(name).get_allocated_height(), 42);
    }
    EXPECT_EQ(slider().get_allocated_width(), 72);
    EXPECT_EQ(bar.get_allocated_height(), 42);

    // At the narrowest window the title gives way first, down to 44, and
    // every control still fits inside the 8-point insets.
    window.resize(420, 200);
    EXPECT_TRUE(runUntil([&] { return bar.get_allocated_width() == 420; }));
    drainMainLoop();
    EXPECT_GE(title->get_allocated_width(), 44);
    int closeX = 0;
    int closeY = 0;
    button("关闭").translate_coordinates(bar, 0, 0, closeX, closeY);
    EXPECT_LE(closeX + 25, 420 - 8);

    // The folded strip: only the 56 x 4 handle, 3 below the top, centred.
    showFace(true, false);
    ASSERT_TRUE(runUntil([&] { return bar.get_allocated_height() == 10; }));
    auto* handle = withStyleClass(bar, "velumo-collapse-handle");
    int x = 0;
    int y = 0;
    handle->translate_coordinates(bar, 0, 0, x, y);
    EXPECT_EQ(handle->get_allocated_width(), 56);
    EXPECT_EQ(handle->get_allocated_height(), 4);
    EXPECT_EQ(y, 3);
    EXPECT_EQ(x, (bar.get_allocated_width() - 56) / 2);

    showFace(false, true);
    ASSERT_TRUE(runUntil([&] { return bar.get_allocated_height() == 30; }));
    EXPECT_EQ(button("恢复窗口模式").get_allocated_width(), 25);
}

TEST_F(ToolbarTest, OpacitySliderSnapsToTwentiethsAndNeverGoesBelowTenPercent) {
    dragSliderTo(0.0);
    EXPECT_DOUBLE_EQ(slider().get_value(), 0.1);
    EXPECT_EQ(percentLabel(), "10%");

    dragSliderTo(0.37);
    EXPECT_DOUBLE_EQ(slider().get_value(), 0.35);
    EXPECT_EQ(percentLabel(), "35%");

    dragSliderTo(0.974);
    EXPECT_EQ(percentLabel(), "95%");
    EXPECT_EQ(delegate.opacities, (std::vector<double>{0.1, 0.35, 0.95}));

    // The controller moving the slider is not a user's change: nothing is sent back.
    delegate.calls.clear();
    bar.setOpacity(0.6);
    EXPECT_DOUBLE_EQ(slider().get_value(), 0.6);
    EXPECT_EQ(percentLabel(), "60%");
    EXPECT_TRUE(delegate.calls.empty());
}

TEST_F(ToolbarTest, ButtonsSendTheirCommandsAndBackForwardFollowTheHistory) {
    EXPECT_FALSE(button("后退").is_sensitive());
    EXPECT_FALSE(button("前进").is_sensitive());
    bar.update("示例", true, false);
    EXPECT_TRUE(button("后退").is_sensitive());
    EXPECT_FALSE(button("前进").is_sensitive());
    EXPECT_EQ(labelTexts(bar).front(), "示例");
    bar.update("示例", true, true);

    for (const char* name :
         {"后退", "前进", "刷新", "鼠标离开自动隐藏", "置顶", "广告模式", "关闭"}) {
        button(name).clicked();
    }
    showFace(false, true);
    button("恢复窗口模式").clicked();
    dynamic_cast<Gtk::Button&>(bar.moreButton()).clicked();
    EXPECT_EQ(delegate.calls,
              (std::vector<std::string>{"back", "forward", "reload", "autoHide", "alwaysOnTop",
                                        "mode", "close", "restore", "more"}));
}

TEST_F(ToolbarTest, WithoutADelegateTheControlsDoNothing) {
    bar.setDelegate(nullptr);
    bar.update("示例", true, true);
    for (auto* widget : descendants(bar)) {
        if (auto* control = dynamic_cast<Gtk::Button*>(widget)) {
            control->clicked();
        }
    }
    dragSliderTo(0.5);
    EXPECT_EQ(percentLabel(), "50%");
    EXPECT_TRUE(delegate.calls.empty());
}

TEST_F(ToolbarTest, EyeAndPinShowTheirStateInTintAndSymbol) {
    auto& eye = button("鼠标离开自动隐藏");
    auto& pin = button("置顶");
    EXPECT_EQ(iconNames(eye), std::vector<std::string>{"view-reveal-symbolic"});

    bar.setAutoHide(true);
    bar.setPinned(true);
    EXPECT_TRUE(eye.get_style_context()->has_class("velumo-tint-orange"));
    EXPECT_EQ(iconNames(eye), std::vector<std::string>{"view-conceal-symbolic"});
    EXPECT_TRUE(pin.get_style_context()->has_class("velumo-tint-green"));

    bar.setAutoHide(false);
    bar.setPinned(false);
    EXPECT_FALSE(eye.get_style_context()->has_class("velumo-tint-orange"));
    EXPECT_EQ(iconNames(eye), std::vector<std::string>{"view-reveal-symbolic"});
    EXPECT_FALSE(pin.get_style_context()->has_class("velumo-tint-green"));

    for (auto* widget : descendants(bar)) {
        if (auto* control = dynamic_cast<Gtk::Button*>(widget)) {
            EXPECT_FALSE(control->get_tooltip_text().empty());
        }
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
    EXPECT_EQ(movedLeft - left, 60);
    EXPECT_EQ(movedTop - top, 30);

    // A press on a control stays with the control.
    int x = 0;
    int y = 0;
    button("刷新").translate_coordinates(window, 12, 10, x, y);
    click(movedLeft + x, movedTop + y);
    ASSERT_TRUE(runUntil([&] { return !delegate.calls.empty(); }));
    EXPECT_EQ(delegate.calls, std::vector<std::string>{"reload"});
    window.get_position(left, top);
    EXPECT_EQ(left, movedLeft);
    EXPECT_EQ(top, movedTop);
}

}  // namespace
}  // namespace velumo::uitest
