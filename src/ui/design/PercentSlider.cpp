#include "design/PercentSlider.h"

#include <gtkmm/adjustment.h>

#include "browser/WindowGeometry.h"

namespace velumo {

PercentSlider::PercentSlider(double value, Range range, Layout layout,
                             std::function<double(double)> snap)
    : Gtk::Box(Gtk::ORIENTATION_HORIZONTAL, layout.spacing), snap_(std::move(snap)) {
    slider_.get_adjustment()->configure(value, range.minimum, range.maximum, range.step, range.step,
                                        0);
    slider_.set_draw_value(false);
    slider_.set_size_request(layout.sliderWidth, -1);
    slider_.set_valign(Gtk::ALIGN_CENTER);
    // The value is snapped before the slider moves, so the knob only ever
    // rests on a step.
    slider_.signal_change_value().connect(
        [this](Gtk::ScrollType, double value) { return moved(value); });
    label_.get_style_context()->add_class("velumo-percent");
    label_.set_xalign(1);
    label_.set_size_request(layout.labelWidth, -1);
    pack_start(slider_, Gtk::PACK_EXPAND_WIDGET);
    pack_start(label_, Gtk::PACK_SHRINK);
    label_.set_text(WindowGeometry::percentText(value));
}

void PercentSlider::setValue(double value) {
    slider_.set_value(value);
    label_.set_text(WindowGeometry::percentText(value));
}

bool PercentSlider::moved(double value) {
    const double snapped = snap_(value);
    setValue(snapped);
    if (changed_) {
        changed_(snapped);
    }
    return true;
}

}  // namespace velumo
