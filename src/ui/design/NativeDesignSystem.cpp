#include "design/NativeDesignSystem.h"

#include <pangomm/attrlist.h>

#include "design/NativeTheme.h"

namespace velumo {

void applyNativeTheme(std::string_view preference) {
    NativeTheme::shared().apply(preference);
}

Gtk::Box* nativeVStack(std::initializer_list<Gtk::Widget*> views, int spacing) {
    auto* stack = Gtk::make_managed<Gtk::Box>(Gtk::ORIENTATION_VERTICAL, spacing);
    // Views fill the width unless they ask for an alignment of their own, as
    // the segmented controls do.
    for (auto* view : views) {
        stack->pack_start(*view, Gtk::PACK_SHRINK);
    }
    return stack;
}

Gtk::Label* nativeLabel(const std::string& text, int size, Pango::Weight weight,
                        NativeTextColor color) {
    NativeTheme::shared();
    auto* label = Gtk::make_managed<Gtk::Label>(text);
    Pango::AttrList attributes;
    auto pixels = Pango::Attribute::create_attr_size_absolute(size * PANGO_SCALE);
    auto boldness = Pango::Attribute::create_attr_weight(weight);
    attributes.insert(pixels);
    attributes.insert(boldness);
    label->set_attributes(attributes);
    label->set_xalign(0);
    label->set_line_wrap(true);
    label->set_line_wrap_mode(Pango::WRAP_WORD_CHAR);
    if (color == NativeTextColor::muted) {
        label->get_style_context()->add_class("velumo-muted");
    } else if (color == NativeTextColor::accent) {
        label->get_style_context()->add_class("velumo-accent-text");
    }
    return label;
}

}  // namespace velumo
