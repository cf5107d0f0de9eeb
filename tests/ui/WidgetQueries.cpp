#include "WidgetQueries.h"

#include <atkmm/object.h>

#include <gtkmm/image.h>
#include <gtkmm/label.h>

namespace velumo::uitest {

namespace {

void collect(GtkWidget* widget, gpointer found) {
    static_cast<std::vector<Gtk::Widget*>*>(found)->push_back(Glib::wrap(widget));
    if (GTK_IS_CONTAINER(widget)) {
        gtk_container_forall(GTK_CONTAINER(widget), collect, found);
    }
}

}  // namespace

std::vector<Gtk::Widget*> descendants(Gtk::Widget& root) {
    std::vector<Gtk::Widget*> found;
    if (GTK_IS_CONTAINER(root.gobj())) {
        gtk_container_forall(GTK_CONTAINER(root.gobj()), collect, &found);
    }
    return found;
}

Gtk::Button& buttonNamed(Gtk::Widget& root, const std::string& name) {
    return firstOf<Gtk::Button>(
        root, [&](Gtk::Button& button) { return button.get_accessible()->get_name() == name; });
}

Gtk::Widget& withStyleClass(Gtk::Widget& root, const std::string& styleClass) {
    return firstOf<Gtk::Widget>(root, [&](Gtk::Widget& widget) {
        return widget.get_style_context()->has_class(styleClass);
    });
}

std::vector<std::string> labelTexts(Gtk::Widget& root) {
    std::vector<std::string> found;
    for (auto* widget : descendants(root)) {
        if (auto* label = dynamic_cast<Gtk::Label*>(widget)) {
            found.emplace_back(label->get_text());
        }
    }
    return found;
}

std::vector<std::string> iconNames(Gtk::Widget& root) {
    std::vector<std::string> found;
    for (auto* widget : descendants(root)) {
        auto* image = dynamic_cast<Gtk::Image*>(widget);
        if (image != nullptr && image->get_storage_type() == Gtk::IMAGE_ICON_NAME) {
            found.emplace_back(image->property_icon_name().get_value());
        }
    }
    return found;
}

std::string percentText(Gtk::Widget& root) {
    return dynamic_cast<Gtk::Label&>(withStyleClass(root, "velumo-percent")).get_text();
}

void dragTo(Gtk::Range& slider, double value) {
    gboolean handled = FALSE;
    g_signal_emit_by_name(slider.gobj(), "change-value", GTK_SCROLL_JUMP, value, &handled);
}

}  // namespace velumo::uitest
