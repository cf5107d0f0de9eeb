#include "design/NativeCardView.h"

#include <algorithm>

#include "design/NativeTheme.h"

namespace velumo {

NativeCardView::NativeCardView(Gtk::Widget& content, int inset) : content_(content), inset_(inset) {
    NativeTheme::shared();
    get_style_context()->add_class("velumo-card");
    add(content_);
}

Gtk::SizeRequestMode NativeCardView::get_request_mode_vfunc() const {
    return content_.get_request_mode();
}

void NativeCardView::get_preferred_width_vfunc(int& minimum, int& natural) const {
    content_.get_preferred_width(minimum, natural);
    minimum += 2 * inset_;
    natural += 2 * inset_;
}

void NativeCardView::get_preferred_height_vfunc(int& minimum, int& natural) const {
    content_.get_preferred_height(minimum, natural);
    minimum += 2 * inset_;
    natural += 2 * inset_;
}

void NativeCardView::get_preferred_width_for_height_vfunc(int height, int& minimum,
                                                          int& natural) const {
    content_.get_preferred_width_for_height(std::max(0, height - 2 * inset_), minimum, natural);
    minimum += 2 * inset_;
    natural += 2 * inset_;
}

void NativeCardView::get_preferred_height_for_width_vfunc(int width, int& minimum,
                                                          int& natural) const {
    content_.get_preferred_height_for_width(std::max(0, width - 2 * inset_), minimum, natural);
    minimum += 2 * inset_;
    natural += 2 * inset_;
}

void NativeCardView::on_size_allocate(Gtk::Allocation& allocation) {
    set_allocation(allocation);
    Gtk::Allocation inner(allocation.get_x() + inset_, allocation.get_y() + inset_,
                          std::max(1, allocation.get_width() - 2 * inset_),
                          std::max(1, allocation.get_height() - 2 * inset_));
    content_.size_allocate(inner);
}

bool NativeCardView::on_draw(const Cairo::RefPtr<Cairo::Context>& cairo) {
    auto style = get_style_context();
    const int width = get_allocated_width();
    const int height = get_allocated_height();
    style->render_background(cairo, 0, 0, width, height);
    style->render_frame(cairo, 0, 0, width, height);
    return Gtk::Bin::on_draw(cairo);
}

}  // namespace velumo
