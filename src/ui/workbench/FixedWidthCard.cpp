#include "workbench/FixedWidthCard.h"

namespace velumo {

FixedWidthCard::FixedWidthCard(Gtk::Widget& content, int inset, int width)
    : NativeCardView(content, inset), width_(width) {}

void FixedWidthCard::get_preferred_width_vfunc(int& minimum, int& natural) const {
    minimum = width_;
    natural = width_;
}

void FixedWidthCard::get_preferred_width_for_height_vfunc(int, int& minimum, int& natural) const {
    minimum = width_;
    natural = width_;
}

}  // namespace velumo
