#pragma once

#include <gtkmm/label.h>

namespace velumo {

// A single-line label ellipsized at its end whose width stays between two
// bounds: it asks for no more than `maximumWidth` however long its text is.
class WidthLimitedLabel : public Gtk::Label {
  public:
    WidthLimitedLabel(int minimumWidth, int maximumWidth);

  protected:
    void get_preferred_width_vfunc(int& minimumWidth, int& naturalWidth) const override;

  private:
    int minimumWidth_;
    int maximumWidth_;
};

}  // namespace velumo
