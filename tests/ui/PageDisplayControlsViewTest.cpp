#include <stdexcept>
#include <string>
#include <vector>

#include <gtkmm/radiobutton.h>
#include <gtkmm/scale.h>
#include <gtkmm/window.h>

#include "UiTestSupport.h"
#include "WidgetQueries.h"
#include "browser/PageDisplayControlsView.h"

namespace velumo::uitest {
namespace {

class RecordingDisplayDelegate : public PageDisplayControlsDelegate {
  public:
    std::vector<double> zooms;
    std::vector<BrowserIdentityMode> modes;

    void displayControlsSetPageZoom(double zoom) override { zooms.push_back(zoom); }
    void displayControlsSetBrowserMode(BrowserIdentityMode mode) override { modes.push_back(mode); }
};

Gtk::Scale& zoomSlider(Gtk::Widget& view) {
    for (auto* widget : descendants(view)) {
        if (auto* scale = dynamic_cast<Gtk::Scale*>(widget)) {
            return *scale;
        }
    }
    throw std::runtime_error("no zoom slider");
}

Gtk::RadioButton& segment(Gtk::Widget& view, const std::string& title) {
    for (auto* widget : descendants(view)) {
        auto* radio = dynamic_cast<Gtk::RadioButton*>(widget);
        if (radio != nullptr && radio->get_label() == title) {
            return *radio;
        }
    }
    throw std::runtime_error("no segment " + title);
}

void dragZoomTo(Gtk::Widget& view, double value) {
    gboolean handled = FALSE;
    g_signal_emit_by_name(zoomSlider(view).gobj(), "change-value", GTK_SCROLL_JUMP, value,
                          &handled);
}

std::string zoomText(Gtk::Widget& view) {
    auto* label = dynamic_cast<Gtk::Label*>(withStyleClass(view, "velumo-percent"));
    return label != nullptr ? std::string(label->get_text()) : "";
}

using PageDisplayControlsTest = UiTest;

TEST_F(PageDisplayControlsTest, StartsFromTheWindowsZoomAndIdentityWithoutReporting) {
    RecordingDisplayDelegate delegate;
    PageDisplayControlsView mobile(0.5, BrowserIdentityMode::mobile, &delegate);
    EXPECT_EQ(zoomText(mobile), "50%");
    EXPECT_DOUBLE_EQ(zoomSlider(mobile).get_value(), 0.5);
    EXPECT_TRUE(segment(mobile, "手机").get_active());
    EXPECT_FALSE(segment(mobile, "电脑").get_active());

    PageDisplayControlsView desktop(1.0, BrowserIdentityMode::desktop, &delegate);
    EXPECT_TRUE(segment(desktop, "电脑").get_active());
    EXPECT_TRUE(delegate.zooms.empty());
    EXPECT_TRUE(delegate.modes.empty());
    EXPECT_EQ(labelTexts(desktop).front(), "网页缩放");
}

TEST_F(PageDisplayControlsTest, ZoomSnapsToTenthsWithinItsRangeAndResetsToOne) {
    RecordingDisplayDelegate delegate;
    PageDisplayControlsView view(0.5, BrowserIdentityMode::desktop, &delegate);

    dragZoomTo(view, 1.24);
    EXPECT_DOUBLE_EQ(zoomSlider(view).get_value(), 1.2);
    EXPECT_EQ(zoomText(view), "120%");
    dragZoomTo(view, 0.1);
    EXPECT_EQ(zoomText(view), "30%");
    dragZoomTo(view, 9.0);
    EXPECT_EQ(zoomText(view), "300%");

    buttonNamed(view, "恢复 100%").clicked();
    EXPECT_DOUBLE_EQ(zoomSlider(view).get_value(), 1.0);
    EXPECT_EQ(zoomText(view), "100%");
    EXPECT_EQ(delegate.zooms, (std::vector<double>{1.2, 0.3, 3.0, 1.0}));
}

TEST_F(PageDisplayControlsTest, OnlyChoosingTheOtherIdentityIsReported) {
    RecordingDisplayDelegate delegate;
    PageDisplayControlsView view(1.0, BrowserIdentityMode::desktop, &delegate);

    segment(view, "电脑").clicked();
    EXPECT_TRUE(delegate.modes.empty());
    segment(view, "手机").clicked();
    segment(view, "手机").clicked();
    segment(view, "电脑").clicked();
    EXPECT_EQ(delegate.modes, (std::vector<BrowserIdentityMode>{BrowserIdentityMode::mobile,
                                                                BrowserIdentityMode::desktop}));
}

TEST_F(PageDisplayControlsTest, WithoutADelegateTheControlsStillMove) {
    PageDisplayControlsView view(1.0, BrowserIdentityMode::desktop, nullptr);
    dragZoomTo(view, 2.06);
    EXPECT_EQ(zoomText(view), "210%");
    buttonNamed(view, "恢复 100%").clicked();
    segment(view, "手机").clicked();
    EXPECT_TRUE(segment(view, "手机").get_active());
}

TEST_F(PageDisplayControlsTest, IsTheSizeOfItsMenuItem) {
    Gtk::Window window;
    PageDisplayControlsView view(1.0, BrowserIdentityMode::desktop, nullptr);
    window.add(view);
    window.show_all();
    int minimum = 0;
    int natural = 0;
    window.get_preferred_width(minimum, natural);
    EXPECT_EQ(natural, 276);
    window.get_preferred_height(minimum, natural);
    EXPECT_EQ(natural, 112);
}

}  // namespace
}  // namespace velumo::uitest
