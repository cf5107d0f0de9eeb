#include "design/ThemeResolution.h"

#include <cmath>

namespace velumo::ThemeResolution {
namespace {

constexpr std::uint32_t portalPrefersDark = 1;
constexpr std::uint32_t portalPrefersLight = 2;
constexpr std::string_view darkSuffix = "-dark";

bool namesDarkVariant(std::string_view themeName) {
    return themeName.size() > darkSuffix.size() && themeName.ends_with(darkSuffix);
}

// An sRGB component without its gamma.
double linear(double component) {
    return component <= 0.04045 ? component / 12.92 : std::pow((component + 0.055) / 1.055, 2.4);
}

Appearance desktopAppearance(const DesktopAppearance& desktop) {
    if (desktop.colorScheme == portalPrefersDark) {
        return Appearance::dark;
    }
    if (desktop.colorScheme == portalPrefersLight) {
        return Appearance::light;
    }
    if (desktop.themeBackground) {
        return relativeLuminance(*desktop.themeBackground) < darkBackgroundLuminance
                   ? Appearance::dark
                   : Appearance::light;
    }
    return desktop.preferDark || namesDarkVariant(desktop.themeName) ? Appearance::dark
                                                                     : Appearance::light;
}

}  // namespace

double relativeLuminance(const PaletteColor& color) {
    return (0.2126 * linear(color.red)) + (0.7152 * linear(color.green)) +
           (0.0722 * linear(color.blue));
}

ResolvedTheme resolve(std::string_view preference, const DesktopAppearance& desktop) {
    Appearance appearance = Appearance::light;
    if (preference == "light") {
        appearance = Appearance::light;
    } else if (preference == "dark") {
        appearance = Appearance::dark;
    } else {
        appearance = desktopAppearance(desktop);
    }
    // A desktop theme such as "Adwaita-dark" has no light face of its own:
    // its base theme shows both, switched by prefer-dark. Its name is kept
    // otherwise, so the desktop's later changes of it still reach GTK.
    std::string_view themeName = desktop.themeName;
    if (appearance == Appearance::light && namesDarkVariant(themeName)) {
        themeName.remove_suffix(darkSuffix.size());
    }
    return {appearance, std::string(themeName)};
}

}  // namespace velumo::ThemeResolution
