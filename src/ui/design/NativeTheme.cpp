#include "design/NativeTheme.h"

#include <gdkmm/screen.h>
#include <gtkmm/settings.h>
#include <gtkmm/stylecontext.h>

#include "design/DesignResources.h"

namespace velumo {

NativeTheme& NativeTheme::shared() {
    static auto* theme = new NativeTheme;  // NOLINT(cppcoreguidelines-owning-memory)
    return *theme;
}

NativeTheme::NativeTheme() : palette_(Gtk::CssProvider::create()) {
    auto settings = Gtk::Settings::get_default();
    desktop_.themeName = settings->property_gtk_theme_name().get_value();
    desktop_.preferDark = settings->property_gtk_application_prefer_dark_theme().get_value();

    DesignResources::registerOnce();
    auto styles = Gtk::CssProvider::create();
    styles->load_from_resource("/com/orvantis/velumo/design/native.css");
    auto screen = Gdk::Screen::get_default();
    Gtk::StyleContext::add_provider_for_screen(screen, styles,
                                               GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
    Gtk::StyleContext::add_provider_for_screen(screen, palette_,
                                               GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);

    portal_.onColorSchemeChanged([this](std::uint32_t scheme) {
        desktop_.colorScheme = scheme;
        update();
    });
    desktop_.colorScheme = portal_.colorScheme();
    update();
}

void NativeTheme::apply(std::string_view preference) {
    preference_ = preference;
    // Asked again: the portal may have come or gone since the last time.
    desktop_.colorScheme = portal_.colorScheme();
    update();
}

void NativeTheme::update() {
    const auto resolved = ThemeResolution::resolve(preference_, desktop_);
    if (loaded_ && resolved == shown_) {
        return;
    }
    auto settings = Gtk::Settings::get_default();
    if (settings->property_gtk_theme_name().get_value() != resolved.themeName) {
        settings->property_gtk_theme_name() = resolved.themeName;
    }
    settings->property_gtk_application_prefer_dark_theme() =
        resolved.appearance == Appearance::dark;
    palette_->load_from_data(NativePalette::cssDefinitions(resolved.appearance));
    shown_ = resolved;
    loaded_ = true;
}

}  // namespace velumo
