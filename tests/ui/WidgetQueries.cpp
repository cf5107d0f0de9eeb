#include "WidgetQueries.h"

#include <atkmm/object.h>

#include <gtkmm/image.h>
#include <gtkmm/label.h>

namespace velumo::uitest {

namespace {

void collect(GtkWidget* widget, gpointer data) {
    static_cast<std::vector<Gtk::Widget*>*>(data)->push_back(Glib::wrap(widget));
    if (GTK_IS_CONTAINER(widget)) {
        gtk_container_forall(GTK_CONTAINER(widget), collect, data);
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
    for (auto* widget : descendants(root)) {
        auto* button = dynamic_cast<Gtk::Button*>(widget);
        if (button != nullptr && button->get_accessible()->get_name() == name) {
            return *button;
        }
    }
    throw std::runtime_error("no button named " + name);
}

Gtk::Widget* withStyleClass(Gtk::Widget& root, const std::string& styleClass) {
    for (auto* widget : descendants(root)) {
        if (widget->get_style_context()->has_class(styleClass)) {
            return widget;
        }
    }
    return nullptr;
}

std::vector<std::string> labelTexts(Gtk::Widget& root) {
    std::vector<std::string> texts;
    for (auto* widget : descendants(root)) {
        if (auto* label = dynamic_cast<Gtk::Label*>(widget)) {
            texts.push_back(label->get_text());
        }
    }
    return texts;
}

std::vector<std::string> iconNames(Gtk::Widget& root) {
    std::vector<std::string> names;
    for (auto* widget : descendants(root)) {
        if (auto* image = dynamic_cast<Gtk::Image*>(widget)) {
            names.push_back(image->get_storage_type() == Gtk::IMAGE_ICON_NAME
                                ? std::string(image->property_icon_name().get_value())
                                : std::string());
        }
    }
    return names;
}

std::string percentText(Gtk::Widget& root) {
    auto* label = dynamic_cast<Gtk::Label*>(withStyleClass(root, "velumo-percent"));
    return label != nullptr ? std::string(label->get_text()) : "";
}

void dragTo(Gtk::Range& slider, double value) {
    gboolean handled = FALSE;
    g_signal_emit_by_name(slider.gobj(), "change-value", GTK_SCROLL_JUMP, value, &handled);
}

}  // namespace velumo::uitest
