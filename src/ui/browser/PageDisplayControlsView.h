#pragma once

#include <gtkmm/box.h>
#include <gtkmm/button.h>
#include <gtkmm/label.h>
#include <gtkmm/radiobutton.h>

#include "browser/PageDisplayControlsDelegate.h"
#include "data/Models.h"
#include "design/PercentSlider.h"

namespace velumo {

// The zoom slider (tenths, 30 % to 300 %), "恢复 100%" and the "电脑" / "手机"
// switch, embedded in the more-menu and rebuilt each time it opens.
class PageDisplayControlsView : public Gtk::Box {
  public:
    // `delegate` is not owned and may be null (the controls then change nothing).
    PageDisplayControlsView(double zoom, BrowserIdentityMode mode,
                            PageDisplayControlsDelegate* delegate);

  private:
    void resetZoom();
    void modeChanged(Gtk::RadioButton& segment, BrowserIdentityMode mode);

    PageDisplayControlsDelegate* delegate_;

    Gtk::Box zoomRow_{Gtk::ORIENTATION_HORIZONTAL, 8};
    Gtk::Box modeRow_{Gtk::ORIENTATION_HORIZONTAL, 12};
    Gtk::Box modeControl_{Gtk::ORIENTATION_HORIZONTAL};

    Gtk::Label title_{"网页缩放"};
    PercentSlider zoom_;
    Gtk::Button resetButton_{"恢复 100%"};
    Gtk::Label modeTitle_{"浏览器模式"};
    Gtk::RadioButton desktopSegment_{"电脑"};
    Gtk::RadioButton mobileSegment_{"手机"};
};

}  // namespace velumo
