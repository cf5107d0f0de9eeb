#include <clocale>
#include <map>
#include <regex>
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
    };
    for (const auto& [name, color, light, dark] : cases) {
        EXPECT_EQ(color(Appearance::light), light) << name;
        EXPECT_EQ(color(Appearance::dark), dark) << name;
    }
}

// A number format of the test's own with a decimal comma, as many users
// have: a German locale built into a temporary folder.
class CommaLocale {
  public:
    CommaLocale() {
        const auto locale = folder_.path() / "de_DE.UTF-8";
        const std::string build = "localedef -i de_DE -f UTF-8 " + locale.string();
        gint status = -1;
        EXPECT_TRUE(g_spawn_command_line_sync(build.c_str(), nullptr, nullptr, &status, nullptr) &&
                    g_spawn_check_wait_status(status, nullptr))
            << "the locale sources come with the locales package";
        g_setenv("LOCPATH", folder_.path().c_str(), TRUE);
        active_ = std::setlocale(LC_NUMERIC, "de_DE.UTF-8") != nullptr;
    }
    ~CommaLocale() {
        std::setlocale(LC_NUMERIC, "C");
        g_unsetenv("LOCPATH");
    }
    CommaLocale(const CommaLocale&) = delete;
    CommaLocale& operator=(const CommaLocale&) = delete;

    bool active() const { return active_; }

  private:
    TemporaryFolder folder_;
    bool active_ = false;
};

// Every palette colour as GTK reads its definition: "@define-color velumo_NAME
// rgba(R%, G%, B%, A)" with the alpha from 0 to 1.
std::map<std::string, PaletteColor> readDefinitions(const std::string& css) {
    static const std::regex definition(
        R"(@define-color velumo_([a-z_]+) rgba\(([0-9.]+)%, ([0-9.]+)%, ([0-9.]+)%, ([0-9.]+)\);)");
    std::map<std::string, PaletteColor> colors;
    std::istringstream lines(css);
    for (std::string line; std::getline(lines, line);) {
        std::smatch parts;
        if (!std::regex_match(line, parts, definition)) {
            ADD_FAILURE() << line;
            continue;
        }
        const auto at = [&](std::size_t i) {
            return g_ascii_strtod(parts.str(i).c_str(), nullptr);
        };
        colors[parts.str(1)] = {at(2) / 100, at(3) / 100, at(4) / 100, at(5)};
    }
    return colors;
}

TEST(NativePalette, CssDefinesEveryColourByNameInAnyNumberFormat) {
    const CommaLocale comma;
    ASSERT_TRUE(comma.active());
    for (const auto appearance : {light, dark}) {
        const auto defined = readDefinitions(NativePalette::cssDefinitions(appearance));
        const std::pair<const char*, PaletteColor> expected[] = {
            {"accent", NativePalette::accent(appearance)},
            {"accent_title", NativePalette::accentTitle()},
            {"canvas", NativePalette::canvas(appearance)},
            {"surface", NativePalette::surface(appearance)},
            {"surface_raised", NativePalette::surfaceRaised(appearance)},
            {"stroke", NativePalette::stroke(appearance)},
            {"muted", NativePalette::muted(appearance)},
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
