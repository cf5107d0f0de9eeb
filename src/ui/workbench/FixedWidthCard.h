#pragma once

#include "design/NativeCardView.h"

namespace velumo {

// A card exactly `width` pixels wide, however long the texts inside: they
// wrap or are cut short instead of widening it.
class FixedWidthCard : public NativeCardView {
  public:
    FixedWidthCard(Gtk::Widget& content, int inset, int width);

  protected:
    void get_preferred_width_vfunc(int& minimum, int& natural) const override;
    void get_preferred_width_for_height_vfunc(int height, int& minimum,
                                              int& natural) const override;

  private:
    int width_;
};

}  // namespace velumo
