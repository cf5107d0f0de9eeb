#include "design/InterfaceLanguage.h"

#include <string>

#include <gtk/gtk.h>

#include "app/ApplicationIdentity.h"

namespace velumo::InterfaceLanguage {
namespace {

bool laysOutText(GtkWidget* widget) {
    return GTK_IS_LABEL(widget) || GTK_IS_ENTRY(widget) || GTK_IS_TEXT_VIEW(widget) ||
           GTK_IS_CELL_VIEW(widget) || GTK_IS_TREE_VIEW(widget);
}

void speakInterfaceLanguage(GtkWidget* widget) {
    static PangoLanguage* const language =
        pango_language_from_string(std::string(ApplicationIdentity::language).c_str());
    pango_context_set_language(gtk_widget_get_pango_context(widget), language);
}

void mappedInMenu(GtkWidget* widget, gpointer /*data*/) {
    g_signal_handlers_disconnect_by_func(widget, reinterpret_cast<gpointer>(mappedInMenu), nullptr);
    speakInterfaceLanguage(widget);
}

// Runs for every widget whose window changes, GTK's own included (dialogs,
// tooltips, menus); a layout made before notices the change of its context.
// A menu's text takes the language when it first shows: the status menu's
// items usually never do (the panel draws them), and the context of one
// would work out the style of its check mark, whose picture in the theme is
// an SVG that keeps the SVG renderer's library in memory.
gboolean joinedWindow(GSignalInvocationHint* /*hint*/, guint /*count*/, const GValue* values,
                      gpointer /*data*/) {
    auto* widget = GTK_WIDGET(g_value_get_object(values));
    if (!laysOutText(widget) || !gtk_widget_is_toplevel(gtk_widget_get_toplevel(widget))) {
        return TRUE;
    }
    if (gtk_widget_get_ancestor(widget, GTK_TYPE_MENU) != nullptr &&
        !gtk_widget_get_mapped(widget)) {
        g_signal_handlers_disconnect_by_func(widget, reinterpret_cast<gpointer>(mappedInMenu),
                                             nullptr);
        g_signal_connect(widget, "map", G_CALLBACK(mappedInMenu), nullptr);
    } else {
        speakInterfaceLanguage(widget);
    }
    return TRUE;
}

}  // namespace

void install() {
    static const bool installed = [] {
        g_signal_add_emission_hook(g_signal_lookup("hierarchy-changed", GTK_TYPE_WIDGET), 0,
                                   joinedWindow, nullptr, nullptr);
        return true;
    }();
    static_cast<void>(installed);
}

}  // namespace velumo::InterfaceLanguage
