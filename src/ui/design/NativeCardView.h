#pragma once

#include <gtkmm/bin.h>

namespace velumo {

// A rounded card (radius 16, a 1 pixel border) in the palette's surface and
// stroke colours, holding `content` exactly `inset` pixels from each edge;
// the border is drawn inside that margin.
class NativeCardView : public Gtk::Bin {
  public:
    NativeCardView(Gtk::Widget& content, int inset);

  protected:
    Gtk::SizeRequestMode get_request_mode_vfunc() const override;
    void get_preferred_width_vfunc(int& minimum, int& natural) const override;
    void get_preferred_height_vfunc(int& minimum, int& natural) const override;
    void get_preferred_width_for_height_vfunc(int height, int& minimum,
                                              int& natural) const override;
    void get_preferred_height_for_width_vfunc(int width, int& minimum, int& natural) const override;
    void on_size_allocate(Gtk::Allocation& allocation) override;
    bool on_draw(const Cairo::RefPtr<Cairo::Context>& cairo) override;

  private:
    Gtk::Widget& content_;
    int inset_;
};

}  // namespace velumo
