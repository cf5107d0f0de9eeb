#include "workbench/WorkbenchWidgets.h"

#include <atkmm/object.h>

#include "MainQueue.h"
#include "design/SymbolIcons.h"

namespace velumo::WorkbenchWidgets {
namespace {

Gtk::Button* callbackButton(const std::function<void()>& handler) {
    auto* button = Gtk::make_managed<Gtk::Button>();
    button->signal_clicked().connect(handler);
    return button;
}

}  // namespace

Gtk::Button* iconActionButton(std::string_view symbol, const std::string& label, int side,
                              const std::function<void()>& handler) {
    auto* button = callbackButton(handler);
    button->get_style_context()->add_class("velumo-icon-action");
    button->set_relief(Gtk::RELIEF_NONE);
    button->set_image(*SymbolIcons::makeImage(symbol, side * 4 / 7));
    button->set_always_show_image(true);
    button->set_size_request(side, side);
    button->set_valign(Gtk::ALIGN_CENTER);
    button->set_tooltip_text(label);
    button->get_accessible()->set_name(label);
    return button;
}

Gtk::Button* actionButton(const std::string& title, const std::function<void()>& handler) {
    auto* button = callbackButton(handler);
    button->set_label(title);
    button->set_valign(Gtk::ALIGN_CENTER);
    return button;
}

Gtk::Button* textActionButton(const std::string& title, const std::function<void()>& handler) {
    auto* button = callbackButton(handler);
    button->get_style_context()->add_class("velumo-text-action");
    button->set_relief(Gtk::RELIEF_NONE);
    auto* label = truncatedLabel(title, 12, Pango::WEIGHT_MEDIUM, NativeTextColor::accent);
    button->add(*label);
    button->get_accessible()->set_name(title);
    return button;
}

Gtk::Label* truncatedLabel(const std::string& text, int size, Pango::Weight weight,
                           NativeTextColor color) {
    auto* label = nativeLabel(text, size, weight, color);
    label->set_line_wrap(false);
    label->set_single_line_mode(true);
    label->set_ellipsize(Pango::ELLIPSIZE_END);
    return label;
}

Gtk::Box* row(int spacing, std::initializer_list<Gtk::Widget*> views, const Gtk::Widget* spacer) {
    auto* box = Gtk::make_managed<Gtk::Box>(Gtk::ORIENTATION_HORIZONTAL, spacing);
    for (auto* view : views) {
        if (view != spacer) {
            view->set_valign(Gtk::ALIGN_CENTER);
        }
        box->pack_start(*view, view == spacer ? Gtk::PACK_EXPAND_WIDGET : Gtk::PACK_SHRINK);
    }
    return box;
}

Gtk::Widget* spacer() {
    return Gtk::make_managed<Gtk::Box>();
}

void retire(Gtk::Widget& widget) {
    GObject* held = G_OBJECT(g_object_ref(widget.gobj()));
    MainQueue::async([held] { g_object_unref(held); });
}

void clear(Gtk::Box& box) {
    for (auto* child : box.get_children()) {
        retire(*child);
        box.remove(*child);
    }
}

}  // namespace velumo::WorkbenchWidgets
