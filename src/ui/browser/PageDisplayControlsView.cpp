#include "browser/PageDisplayControlsView.h"

#include "browser/WindowGeometry.h"
#include "design/ChromeStyle.h"

namespace velumo {

namespace {

// The content's insets are the style sheet's padding.
constexpr int viewWidth = 276;
constexpr int viewHeight = 112;
constexpr int modeControlWidth = 138;

}  // namespace

PageDisplayControlsView::PageDisplayControlsView(double zoom, BrowserIdentityMode mode,
                                                 PageDisplayControlsDelegate* delegate)
    : Gtk::Box(Gtk::ORIENTATION_VERTICAL, 9),
      delegate_(delegate),
      zoom_(zoom, {.minimum = 0.3, .maximum = 3.0, .step = 0.1},
            {.sliderWidth = 100, .labelWidth = 42, .spacing = 8},
            WindowGeometry::pageZoomFromSlider) {
    ChromeStyle::install();
    get_style_context()->add_class("velumo-display-controls");
    set_size_request(viewWidth, viewHeight);

    title_.get_style_context()->add_class("velumo-section-title");
    title_.set_xalign(0);
    pack_start(title_, Gtk::PACK_SHRINK);

    zoom_.onChange([this](double value) {
        if (delegate_ != nullptr) {
            delegate_->displayControlsSetPageZoom(value);
        }
    });
    resetButton_.get_style_context()->add_class("velumo-inline");
    resetButton_.set_valign(Gtk::ALIGN_CENTER);
    resetButton_.signal_clicked().connect([this] { resetZoom(); });
    zoomRow_.pack_start(zoom_, Gtk::PACK_EXPAND_WIDGET);
    zoomRow_.pack_start(resetButton_, Gtk::PACK_SHRINK);
    pack_start(zoomRow_, Gtk::PACK_SHRINK);

    modeTitle_.get_style_context()->add_class("velumo-section-title");
    modeControl_.get_style_context()->add_class("linked");
    modeControl_.set_size_request(modeControlWidth, -1);
    modeControl_.set_homogeneous(true);
    mobileSegment_.join_group(desktopSegment_);
    for (Gtk::RadioButton* segment : {&desktopSegment_, &mobileSegment_}) {
        // Drawn as the two halves of a segmented switch.
        segment->set_mode(false);
        modeControl_.pack_start(*segment, Gtk::PACK_EXPAND_WIDGET);
    }
    (mode == BrowserIdentityMode::mobile ? mobileSegment_ : desktopSegment_).set_active(true);
    // Connected after the initial choice, which reports nothing. Choosing the
    // segment already selected toggles nothing, so it sends nothing either.
    desktopSegment_.signal_toggled().connect(
        [this] { modeChanged(desktopSegment_, BrowserIdentityMode::desktop); });
    mobileSegment_.signal_toggled().connect(
        [this] { modeChanged(mobileSegment_, BrowserIdentityMode::mobile); });
    modeRow_.pack_start(modeTitle_, Gtk::PACK_SHRINK);
    modeRow_.pack_start(modeControl_, Gtk::PACK_SHRINK);
    pack_start(modeRow_, Gtk::PACK_SHRINK);

    show_all_children();
}

void PageDisplayControlsView::resetZoom() {
    zoom_.setValue(1.0);
    if (delegate_ != nullptr) {
        delegate_->displayControlsSetPageZoom(1.0);
    }
}

void PageDisplayControlsView::modeChanged(Gtk::RadioButton& segment, BrowserIdentityMode mode) {
    if (segment.get_active() && delegate_ != nullptr) {
        delegate_->displayControlsSetBrowserMode(mode);
    }
}

}  // namespace velumo
