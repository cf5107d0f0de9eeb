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

Gtk::RadioButton& segment(Gtk::Widget& view, const std::string& title) {
    for (auto* widget : descendants(view)) {
        auto* radio = dynamic_cast<Gtk::RadioButton*>(widget);
        if (radio != nullptr && radio->get_label() == title) {
            return *radio;
        }
    }
    throw std::runtime_error("no segment " + title);
}

using PageDisplayControlsTest = UiTest;

TEST_F(PageDisplayControlsTest, StartsFromTheWindowsZoomAndIdentityAtItsMenuItemSize) {
    RecordingDisplayDelegate delegate;
    Gtk::Window window;
    auto* view =
        Gtk::make_managed<PageDisplayControlsView>(0.5, BrowserIdentityMode::mobile, &delegate);
    window.add(*view);
    view->show();
    EXPECT_EQ(percentText(*view), "50%");
    EXPECT_DOUBLE_EQ(firstOf<Gtk::Scale>(*view).get_value(), 0.5);
    EXPECT_TRUE(segment(*view, "手机").get_active());
    EXPECT_FALSE(segment(*view, "电脑").get_active());
    EXPECT_TRUE(delegate.zooms.empty() && delegate.modes.empty());

    int minimum = 0;
    int natural = 0;
    window.get_preferred_width(minimum, natural);
    EXPECT_EQ(natural, 276);
    window.get_preferred_height(minimum, natural);
    EXPECT_EQ(natural, 112);
}

TEST_F(PageDisplayControlsTest, ZoomSnapsToTenthsWithinItsRangeAndResetsToOne) {
    RecordingDisplayDelegate delegate;
    PageDisplayControlsView view(0.5, BrowserIdentityMode::desktop, &delegate);
    auto& slider = firstOf<Gtk::Scale>(view);
    const std::pair<double, const char*> drags[] = {{1.24, "120%"}, {0.1, "30%"}, {9.0, "300%"}};
    for (const auto& [value, text] : drags) {
        dragTo(slider, value);
        EXPECT_EQ(percentText(view), text);
    }
    buttonNamed(view, "恢复 100%").clicked();
    EXPECT_DOUBLE_EQ(slider.get_value(), 1.0);
    EXPECT_EQ(percentText(view), "100%");
    EXPECT_EQ(delegate.zooms, (std::vector<double>{1.2, 0.3, 3.0, 1.0}));
}

TEST_F(PageDisplayControlsTest, OnlyChoosingTheOtherIdentityIsReported) {
    RecordingDisplayDelegate delegate;
    PageDisplayControlsView view(1.0, BrowserIdentityMode::desktop, &delegate);
    for (const char* title : {"电脑", "手机", "手机", "电脑"}) {
        segment(view, title).clicked();
    }
    EXPECT_EQ(delegate.modes, (std::vector<BrowserIdentityMode>{BrowserIdentityMode::mobile,
                                                                BrowserIdentityMode::desktop}));

    // Without a delegate (the window closed meanwhile) the controls still move.
    PageDisplayControlsView orphan(1.0, BrowserIdentityMode::desktop, nullptr);
    dragTo(firstOf<Gtk::Scale>(orphan), 2.06);
    EXPECT_EQ(percentText(orphan), "210%");
    buttonNamed(orphan, "恢复 100%").clicked();
    segment(orphan, "手机").clicked();
    EXPECT_TRUE(segment(orphan, "手机").get_active());
}

}  // namespace
}  // namespace velumo::uitest
