#include "browser/PageDisplayControlsView.h"

#include <gtkmm/adjustment.h>

#include "browser/WindowGeometry.h"
#include "design/ChromeStyle.h"

namespace velumo {

namespace {

constexpr int viewWidth = 276;
constexpr int viewHeight = 112;
constexpr int sideInset = 12;
constexpr int topInset = 10;
constexpr int minimumSliderWidth = 100;
constexpr int zoomLabelWidth = 42;
constexpr int modeControlWidth = 138;

}  // namespace

PageDisplayControlsView::PageDisplayControlsView(double zoom, BrowserIdentityMode mode,
                                                 PageDisplayControlsDelegate* delegate)
    : Gtk::Box(Gtk::ORIENTATION_VERTICAL, 9), delegate_(delegate) {
    ChromeStyle::install();
    get_style_context()->add_class("velumo-display-controls");
    // The insets are margins, so the request is the view's size less them.
    set_size_request(viewWidth - 2 * sideInset, viewHeight - topInset);
    set_margin_start(sideInset);
    set_margin_end(sideInset);
    set_margin_top(topInset);

    title_.get_style_context()->add_class("velumo-section-title");
    title_.set_xalign(0);
    pack_start(title_, Gtk::PACK_SHRINK);

    auto adjustment = zoomSlider_.get_adjustment();
    adjustment->configure(zoom, 0.3, 3.0, 0.1, 0.1, 0);
    zoomSlider_.set_draw_value(false);
    zoomSlider_.set_size_request(minimumSliderWidth, -1);
    zoomSlider_.set_hexpand(true);
    zoomSlider_.set_valign(Gtk::ALIGN_CENTER);
    zoomSlider_.signal_change_value().connect(
        [this](Gtk::ScrollType, double value) { return zoomChanged(value); });
    zoomLabel_.set_text(WindowGeometry::percentText(zoom));
    zoomLabel_.get_style_context()->add_class("velumo-percent");
    zoomLabel_.set_xalign(1);
    zoomLabel_.set_size_request(zoomLabelWidth, -1);
    resetButton_.get_style_context()->add_class("velumo-inline");
    resetButton_.set_valign(Gtk::ALIGN_CENTER);
    resetButton_.signal_clicked().connect([this] { resetZoom(); });
    zoomRow_.pack_start(zoomSlider_, Gtk::PACK_EXPAND_WIDGET);
    zoomRow_.pack_start(zoomLabel_, Gtk::PACK_SHRINK);
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

bool PageDisplayControlsView::zoomChanged(double value) {
    const double zoom = WindowGeometry::pageZoomFromSlider(value);
    zoomSlider_.set_value(zoom);
    zoomLabel_.set_text(WindowGeometry::percentText(zoom));
    if (delegate_ != nullptr) {
        delegate_->displayControlsSetPageZoom(zoom);
    }
    return true;
}

void PageDisplayControlsView::resetZoom() {
    zoomSlider_.set_value(1.0);
    zoomLabel_.set_text("100%");
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
