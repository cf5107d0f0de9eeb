#include "design/ThemeResolution.h"

namespace velumo::ThemeResolution {
namespace {

constexpr std::uint32_t portalPrefersDark = 1;
constexpr std::uint32_t portalPrefersLight = 2;
constexpr std::string_view darkSuffix = "-dark";

bool namesDarkVariant(std::string_view themeName) {
    return themeName.size() > darkSuffix.size() && themeName.ends_with(darkSuffix);
}

Appearance desktopAppearance(const DesktopAppearance& desktop) {
    if (desktop.colorScheme == portalPrefersDark) {
        return Appearance::dark;
    }
    if (desktop.colorScheme == portalPrefersLight) {
        return Appearance::light;
    }
    return desktop.preferDark || namesDarkVariant(desktop.themeName) ? Appearance::dark
                                                                     : Appearance::light;
}

}  // namespace

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
    // its base theme shows both, switched by prefer-dark.
    std::string_view themeName = desktop.themeName;
    if (namesDarkVariant(themeName)) {
        themeName.remove_suffix(darkSuffix.size());
    }
    return {appearance, std::string(themeName)};
}

}  // namespace velumo::ThemeResolution
