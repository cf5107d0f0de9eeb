#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "design/NativePalette.h"
#include "design/ThemeResolution.h"

namespace velumo {
namespace {

using enum Appearance;

TEST(NativePalette, LightAndDarkValues) {
    struct Case {
        const char* name;
        PaletteColor (*color)(Appearance);
        PaletteColor light;
        PaletteColor dark;
    };
    const std::vector<Case> cases = {
        {"accent", NativePalette::accent, {0.39, 0.88, 0.68, 1}, {0.39, 0.88, 0.68, 1}},
        {"canvas", NativePalette::canvas, {0.955, 0.97, 0.95, 1}, {0.045, 0.075, 0.065, 1}},
        {"surface", NativePalette::surface, {1, 1, 1, 0.92}, {0.075, 0.11, 0.095, 1}},
        {"surfaceRaised",
         NativePalette::surfaceRaised,
         {0.985, 0.985, 0.985, 1},
         {0.095, 0.135, 0.115, 1}},
        {"stroke", NativePalette::stroke, {0.81, 0.86, 0.83, 1}, {0.22, 0.3, 0.26, 1}},
        {"muted", NativePalette::muted, {0.39, 0.39, 0.39, 1}, {0.64, 0.64, 0.64, 1}},
    };
    for (const auto& [name, color, light, dark] : cases) {
        EXPECT_EQ(color(Appearance::light), light) << name;
        EXPECT_EQ(color(Appearance::dark), dark) << name;
    }
}

TEST(ThemeResolution, ExactPreferencesForceTheAppearanceOthersFollowTheDesktop) {
    struct Case {
        std::string preference;
        DesktopAppearance desktop;
        ResolvedTheme expected;
    };
    const DesktopAppearance portalDark{1, "Adwaita", false};
    const DesktopAppearance portalLight{2, "Adwaita", true};
    const std::vector<Case> cases = {
        {"light", portalDark, {light, "Adwaita"}},
        {"dark", portalLight, {dark, "Adwaita"}},
        {"system", portalDark, {dark, "Adwaita"}},
        {"Dark", portalLight, {light, "Adwaita"}},
        {"Dark", portalDark, {dark, "Adwaita"}},
        {"", portalDark, {dark, "Adwaita"}},
        // The portal's word wins over GTK's setting; "no preference" or an
        // unknown value, or no portal, leaves it to GTK's setting.
        {"system", {2, "Adwaita-dark", true}, {light, "Adwaita"}},
        {"system", {0, "Adwaita", true}, {dark, "Adwaita"}},
        {"system", {7, "Adwaita", false}, {light, "Adwaita"}},
        {"system", {std::nullopt, "Adwaita-dark", false}, {dark, "Adwaita"}},
        {"system", {std::nullopt, "Yaru", false}, {light, "Yaru"}},
        // A forced light look must leave a dark-only theme name behind.
        {"light", {std::nullopt, "Arc-dark", false}, {light, "Arc"}},
        {"system", {std::nullopt, "-dark", false}, {light, "-dark"}},
        {"system", {std::nullopt, "Adwaita-Dark", false}, {light, "Adwaita-Dark"}},
    };
    for (const auto& [preference, desktop, expected] : cases) {
        EXPECT_EQ(ThemeResolution::resolve(preference, desktop), expected)
            << preference << " " << desktop.themeName;
    }
}

}  // namespace
}  // namespace velumo
