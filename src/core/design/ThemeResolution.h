#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "design/NativePalette.h"

namespace velumo {

// What the desktop says about light and dark.
struct DesktopAppearance {
    // The settings portal's org.freedesktop.appearance color-scheme (0 no
    // preference, 1 prefer dark, 2 prefer light); absent without a portal.
    std::optional<std::uint32_t> colorScheme;
    // GTK's own settings as the desktop set them, the fallback.
    std::string themeName;
    bool preferDark = false;
    // The window background of that theme as the desktop shows it (its dark
    // face where preferDark asks for it); absent when the theme names none.
    std::optional<PaletteColor> themeBackground;
};

// The appearance to show and the GTK theme to show it with: the theme's
// dark variant is chosen through GTK's prefer-dark setting.
struct ResolvedTheme {
    Appearance appearance = Appearance::light;
    std::string themeName;
    bool operator==(const ResolvedTheme&) const = default;
};

namespace ThemeResolution {

// Below this relative luminance a background is dark: white text contrasts
// with it more than black text does, (L + 0.05)^2 < 1.05 * 0.05.
inline constexpr double darkBackgroundLuminance = 0.179;

// The relative luminance of an opaque sRGB colour, 0 for black, 1 for white.
double relativeLuminance(const PaletteColor& color);

// "light" and "dark" (exact, case-sensitive) force the appearance; anything
// else follows the desktop: the portal's scheme when it states one, else the
// brightness of the theme's background, else GTK's prefer-dark setting or a
// theme named "...-dark". Only a light appearance leaves a "...-dark" theme
// for its base theme, which has a light face.
ResolvedTheme resolve(std::string_view preference, const DesktopAppearance& desktop);

}  // namespace ThemeResolution
}  // namespace velumo
