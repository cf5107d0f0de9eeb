#pragma once

#include <gtkmm/box.h>

namespace velumo {

// A vertical box painted in the palette's canvas colour: the background of a
// window of the system's own.
class NativeCanvasView : public Gtk::Box {
  public:
    NativeCanvasView();
};

}  // namespace velumo
