#include "design/NativeTheme.h"

#include <gdkmm/screen.h>
#include <gtkmm/settings.h>
#include <gtkmm/stylecontext.h>

#include "design/DesignResources.h"
#include "design/InterfaceLanguage.h"

namespace velumo {
namespace {

// The window background `theme` draws, by the colour name GTK's themes give
// it; without a theme, the one on screen now.
std::optional<PaletteColor> windowBackground(const Glib::RefPtr<Gtk::CssProvider>& theme) {
    auto context = Gtk::StyleContext::create();
    if (theme) {
        // GTK's own theme sits at the settings priority: one above stands in
        // for it in this context alone.
        context->add_provider(theme, GTK_STYLE_PROVIDER_PRIORITY_SETTINGS + 1);
    }
    Gdk::RGBA color;
    if (!context->lookup_color("theme_bg_color", color)) {
        return std::nullopt;
    }
    return PaletteColor{color.get_red(), color.get_green(), color.get_blue(), color.get_alpha()};
}

}  // namespace

NativeTheme& NativeTheme::shared() {
    static auto* theme = new NativeTheme;  // NOLINT(cppcoreguidelines-owning-memory)
    return *theme;
}

NativeTheme::NativeTheme() : palette_(Gtk::CssProvider::create()) {
    InterfaceLanguage::install();
    auto settings = Gtk::Settings::get_default();
    desktop_.themeName = settings->property_gtk_theme_name().get_value();
    desktop_.preferDark = settings->property_gtk_application_prefer_dark_theme().get_value();
    // Nothing has changed GTK's settings yet: the screen shows the desktop's look.
    desktop_.themeBackground = windowBackground({});

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
    settings->property_gtk_theme_name().signal_changed().connect([this] { themeNameChanged(); });
    settings->property_gtk_application_prefer_dark_theme().signal_changed().connect(
        [this] { preferDarkChanged(); });
    desktop_.colorScheme = portal_.colorScheme();
    update();
}

void NativeTheme::apply(std::string_view preference) {
    preference_ = preference;
    // Asked again: the portal may have come or gone since the last time.
    desktop_.colorScheme = portal_.colorScheme();
    update();
}

void NativeTheme::themeNameChanged() {
    if (writing_) {
        return;
    }
    desktop_.themeName = Gtk::Settings::get_default()->property_gtk_theme_name().get_value();
    measureDesktopTheme();
    update();
}

void NativeTheme::preferDarkChanged() {
    if (writing_) {
        return;
    }
    desktop_.preferDark =
        Gtk::Settings::get_default()->property_gtk_application_prefer_dark_theme().get_value();
    measureDesktopTheme();
    update();
}

void NativeTheme::measureDesktopTheme() {
    // The screen may show another face of it by now: the named theme is read.
    auto theme = Glib::wrap(gtk_css_provider_get_named(desktop_.themeName.c_str(),
                                                       desktop_.preferDark ? "dark" : nullptr),
                            true);
    desktop_.themeBackground = windowBackground(theme);
}

void NativeTheme::update() {
    auto settings = Gtk::Settings::get_default();
    if (themeNameWritten_ &&
        ThemeResolution::resolve(preference_, desktop_).themeName == desktop_.themeName) {
        // Back to the desktop's own theme, and to hearing its changes; it may
        // have named another one meanwhile.
        writing_ = true;
        settings->reset_property("gtk-theme-name");
        writing_ = false;
        themeNameWritten_ = false;
        if (const std::string name = settings->property_gtk_theme_name().get_value();
            name != desktop_.themeName) {
            desktop_.themeName = name;
            measureDesktopTheme();
        }
    }
    const auto resolved = ThemeResolution::resolve(preference_, desktop_);
    if (loaded_ && resolved == shown_) {
        return;
    }
    writing_ = true;
    if (resolved.themeName != desktop_.themeName) {
        settings->property_gtk_theme_name() = resolved.themeName;
        themeNameWritten_ = true;
    }
    settings->property_gtk_application_prefer_dark_theme() =
        resolved.appearance == Appearance::dark;
    writing_ = false;
    palette_->load_from_data(NativePalette::cssDefinitions(resolved.appearance));
    shown_ = resolved;
    loaded_ = true;
}

}  // namespace velumo
