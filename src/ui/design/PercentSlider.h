#pragma once

#include <functional>

#include <gtkmm/box.h>
#include <gtkmm/label.h>
#include <gtkmm/scale.h>

namespace velumo {

// A slider beside a label showing its value in per cent. As the user moves
// it, the value snaps by a rule of its owner and is reported once snapped.
class PercentSlider : public Gtk::Box {
  public:
    struct Range {
        double minimum = 0;
        double maximum = 1;
        double step = 0.1;
    };
    struct Layout {
        // The slider's width, or its least width where the slider fills what
        // its owner gives it.
        int sliderWidth = 0;
        int labelWidth = 0;
        int spacing = 0;
    };

    PercentSlider(double value, Range range, Layout layout, std::function<double(double)> snap);

    // Moves the slider and the label; reports nothing.
    void setValue(double value);
    double value() const { return slider_.get_value(); }
    // Called with the snapped value at every move the user makes.
    void onChange(std::function<void(double)> changed) { changed_ = std::move(changed); }

    Gtk::Scale& slider() { return slider_; }

  private:
    bool moved(double value);

    std::function<double(double)> snap_;
    std::function<void(double)> changed_;
    Gtk::Scale slider_{Gtk::ORIENTATION_HORIZONTAL};
    Gtk::Label label_;
};

}  // namespace velumo
