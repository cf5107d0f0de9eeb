#include "design/WidthLimitedLabel.h"

#include <algorithm>

namespace velumo {

WidthLimitedLabel::WidthLimitedLabel(int minimumWidth, int maximumWidth)
    : minimumWidth_(minimumWidth), maximumWidth_(maximumWidth) {
    set_ellipsize(Pango::ELLIPSIZE_END);
    set_single_line_mode(true);
}

void WidthLimitedLabel::get_preferred_width_vfunc(int& minimumWidth, int& naturalWidth) const {
    Gtk::Label::get_preferred_width_vfunc(minimumWidth, naturalWidth);
    minimumWidth = minimumWidth_;
    naturalWidth = std::clamp(naturalWidth, minimumWidth_, maximumWidth_);
}

}  // namespace velumo
