#include "design/ChromeStyle.h"

#include <gdkmm/screen.h>
#include <gtkmm/cssprovider.h>
#include <gtkmm/stylecontext.h>

#include "design/DesignResources.h"
#include "design/InterfaceLanguage.h"

namespace velumo {

void ChromeStyle::install() {
    static const bool installed = [] {
        DesignResources::registerOnce();
        InterfaceLanguage::install();
        auto provider = Gtk::CssProvider::create();
        provider->load_from_resource("/com/orvantis/velumo/design/chrome.css");
        Gtk::StyleContext::add_provider_for_screen(Gdk::Screen::get_default(), provider,
                                                   GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
        return true;
    }();
    static_cast<void>(installed);
}

}  // namespace velumo
