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

// Runs for every widget whose window changes, GTK's own included (dialogs,
// tooltips, menus); a layout made before notices the change of its context.
gboolean joinedWindow(GSignalInvocationHint* /*hint*/, guint /*count*/, const GValue* values,
                      gpointer /*data*/) {
    auto* widget = GTK_WIDGET(g_value_get_object(values));
    if (laysOutText(widget) && gtk_widget_is_toplevel(gtk_widget_get_toplevel(widget))) {
        static PangoLanguage* const language =
            pango_language_from_string(std::string(ApplicationIdentity::language).c_str());
        pango_context_set_language(gtk_widget_get_pango_context(widget), language);
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
