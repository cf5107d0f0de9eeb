#include <array>
#include <clocale>
#include <cstdio>
#include <map>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include <glib.h>
#include <gtest/gtest.h>

#include "TemporaryFolder.h"
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
        {"label", NativePalette::label, {0, 0, 0, 0.85}, {1, 1, 1, 0.85}},
    };
    for (const auto& [name, color, light, dark] : cases) {
        EXPECT_EQ(color(Appearance::light), light) << name;
        EXPECT_EQ(color(Appearance::dark), dark) << name;
    }
}

// A number format with a decimal comma, as many users have: a German locale
// built into a folder of the test's own. False when it cannot be made.
bool useDecimalComma(const TemporaryFolder& folder) {
    const std::string build =
        "localedef -i de_DE -f UTF-8 " + (folder.path() / "de_DE.UTF-8").string();
    gint status = -1;
    g_setenv("LOCPATH", folder.path().c_str(), TRUE);
    return g_spawn_command_line_sync(build.c_str(), nullptr, nullptr, &status, nullptr) &&
           g_spawn_check_wait_status(status, nullptr) &&
           std::setlocale(LC_NUMERIC, "de_DE.UTF-8") != nullptr;
}

TEST(NativePalette, CssDefinesEveryColourByNameWithADecimalPointInAnyLocale) {
    const TemporaryFolder folder;
    ASSERT_TRUE(useDecimalComma(folder)) << "the locale sources come with the locales package";
    const std::string css[] = {NativePalette::cssDefinitions(light),
                               NativePalette::cssDefinitions(dark)};
    std::setlocale(LC_NUMERIC, "C");
    g_unsetenv("LOCPATH");
    for (const auto appearance : {light, dark}) {
        // As GTK reads them: a name, three percentages and an alpha from 0 to 1.
        std::map<std::string, PaletteColor> defined;
        std::istringstream lines(css[appearance == dark ? 1 : 0]);
        for (std::string line; std::getline(lines, line);) {
            std::array<char, 32> name{};
            PaletteColor color;
            int end = 0;
            ASSERT_EQ(
                std::sscanf(line.c_str(),
                            "@define-color velumo_%31[a-z_] rgba(%lf%%, %lf%%, %lf%%, %lf);%n",
                            name.data(), &color.red, &color.green, &color.blue, &color.alpha, &end),
                5)
                << line;
            ASSERT_EQ(end, static_cast<int>(line.size())) << line;
            defined[name.data()] = {color.red / 100, color.green / 100, color.blue / 100,
                                    color.alpha};
        }
        const std::pair<const char*, PaletteColor> expected[] = {
            {"accent", NativePalette::accent(appearance)},
            {"accent_title", NativePalette::accentTitle()},
            {"canvas", NativePalette::canvas(appearance)},
            {"surface", NativePalette::surface(appearance)},
            {"surface_raised", NativePalette::surfaceRaised(appearance)},
            {"stroke", NativePalette::stroke(appearance)},
            {"muted", NativePalette::muted(appearance)},
            {"label", NativePalette::label(appearance)},
        };
        for (const auto& [name, color] : expected) {
            ASSERT_TRUE(defined.contains(name)) << name;
            const PaletteColor& read = defined.at(name);
            for (const auto& [got, want] : {std::pair{read.red, color.red},
                                            {read.green, color.green},
                                            {read.blue, color.blue},
                                            {read.alpha, color.alpha}}) {
                EXPECT_NEAR(got, want, 1e-9) << name;
            }
        }
    }
}

TEST(ThemeResolution, ExactPreferencesForceTheAppearanceOthersFollowTheDesktop) {
    struct Case {
        std::string preference;
        DesktopAppearance desktop;
        ResolvedTheme expected;
    };
    // Window backgrounds of Adwaita, its dark face and HighContrastInverse.
    const PaletteColor lightFace{0.965, 0.961, 0.957, 1};
    const PaletteColor darkFace{0.208, 0.208, 0.208, 1};
    const PaletteColor inverseFace{0.188, 0.188, 0.188, 1};
    const DesktopAppearance portalDark{1, "Adwaita", false, lightFace};
    const DesktopAppearance portalLight{2, "Adwaita", true, darkFace};
    const std::vector<Case> cases = {
        {"light", portalDark, {light, "Adwaita"}},
        {"dark", portalLight, {dark, "Adwaita"}},
        {"system", portalDark, {dark, "Adwaita"}},
        {"Dark", portalLight, {light, "Adwaita"}},
        {"Dark", portalDark, {dark, "Adwaita"}},
        {"", portalDark, {dark, "Adwaita"}},
        // The portal's word wins; "no preference", an unknown value or no
        // portal leaves it to the background the desktop's theme shows, whatever
        // the theme is called or prefer-dark says.
        {"system", {2, "Adwaita-dark", true, darkFace}, {light, "Adwaita"}},
        {"system", {0, "Adwaita", true, darkFace}, {dark, "Adwaita"}},
        {"system", {7, "Adwaita", false, lightFace}, {light, "Adwaita"}},
        {"system",
         {std::nullopt, "HighContrastInverse", false, inverseFace},
         {dark, "HighContrastInverse"}},
        {"system", {std::nullopt, "Arc-Dark", false, inverseFace}, {dark, "Arc-Dark"}},
        {"system", {std::nullopt, "Adwaita", true, lightFace}, {light, "Adwaita"}},
        {"system", {std::nullopt, "Adwaita-dark", false, lightFace}, {light, "Adwaita"}},
        // A theme without a background colour: its name and prefer-dark.
        {"system", {std::nullopt, "Adwaita-dark", false, {}}, {dark, "Adwaita-dark"}},
        {"system", {std::nullopt, "Adwaita", true, {}}, {dark, "Adwaita"}},
        {"system", {std::nullopt, "Yaru", false, {}}, {light, "Yaru"}},
        {"system", {std::nullopt, "-dark", false, {}}, {light, "-dark"}},
        {"system", {std::nullopt, "Adwaita-Dark", false, {}}, {light, "Adwaita-Dark"}},
        // Only a light look leaves a dark-only theme name behind.
        {"light", {std::nullopt, "Arc-dark", false, darkFace}, {light, "Arc"}},
        {"dark", {std::nullopt, "Arc-dark", false, darkFace}, {dark, "Arc-dark"}},
    };
    for (const auto& [preference, desktop, expected] : cases) {
        EXPECT_EQ(ThemeResolution::resolve(preference, desktop), expected)
            << preference << " " << desktop.themeName;
    }
}

TEST(ThemeResolution, BackgroundsDarkerThanAMidGreyAreDark) {
    // In sRGB, not linear light: #737373 is dark, #808080 is not.
    const double threshold = ThemeResolution::darkBackgroundLuminance;
    EXPECT_LT(ThemeResolution::relativeLuminance({0.45, 0.45, 0.45, 1}), threshold);
    EXPECT_GT(ThemeResolution::relativeLuminance({0.5, 0.5, 0.5, 1}), threshold);
}

}  // namespace
}  // namespace velumo
