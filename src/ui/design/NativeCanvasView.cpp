#include "design/NativeCanvasView.h"

#include "design/NativeTheme.h"

namespace velumo {

NativeCanvasView::NativeCanvasView() : Gtk::Box(Gtk::ORIENTATION_VERTICAL) {
    NativeTheme::shared();
    get_style_context()->add_class("velumo-canvas");
}

}  // namespace velumo
