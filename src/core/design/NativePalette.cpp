#include "design/NativePalette.h"

#include <array>
#include <string_view>

#include <glib.h>

namespace velumo::NativePalette {
namespace {

constexpr PaletteColor grey(double white, double alpha = 1) {
    return {white, white, white, alpha};
}

constexpr PaletteColor pick(Appearance appearance, PaletteColor light, PaletteColor dark) {
    return appearance == Appearance::dark ? dark : light;
}

}  // namespace

PaletteColor accent(Appearance /*appearance*/) {
    return {0.39, 0.88, 0.68, 1};
}

PaletteColor canvas(Appearance appearance) {
    return pick(appearance, {0.955, 0.97, 0.95, 1}, {0.045, 0.075, 0.065, 1});
}

PaletteColor surface(Appearance appearance) {
    return pick(appearance, grey(1.0, 0.92), {0.075, 0.11, 0.095, 1});
}

PaletteColor surfaceRaised(Appearance appearance) {
    return pick(appearance, grey(0.985), {0.095, 0.135, 0.115, 1});
}

PaletteColor stroke(Appearance appearance) {
    return pick(appearance, {0.81, 0.86, 0.83, 1}, {0.22, 0.3, 0.26, 1});
}

PaletteColor muted(Appearance appearance) {
    return pick(appearance, grey(0.39), grey(0.64));
}

PaletteColor label(Appearance appearance) {
    return pick(appearance, {0, 0, 0, 0.85}, {1, 1, 1, 0.85});
}

PaletteColor accentTitle() {
    return {0.02, 0.16, 0.1, 1};
}

std::string cssDefinitions(Appearance appearance) {
    struct Named {
        std::string_view name;
        PaletteColor color;
    };
    const std::array colors{
        Named{"accent", accent(appearance)},
        Named{"accent_title", accentTitle()},
        Named{"canvas", canvas(appearance)},
        Named{"surface", surface(appearance)},
        Named{"surface_raised", surfaceRaised(appearance)},
        Named{"stroke", stroke(appearance)},
        Named{"muted", muted(appearance)},
        Named{"label", label(appearance)},
    };
    // CSS numbers have a decimal point whatever the user's locale writes.
    const auto number = [](double value) {
        std::array<char, G_ASCII_DTOSTR_BUF_SIZE> text{};
        return std::string(g_ascii_formatd(text.data(), text.size(), "%.6g", value));
    };
    std::string css;
    // Percentages carry the components exactly; 0-255 numbers would round them.
    for (const auto& [name, color] : colors) {
        css += "@define-color velumo_" + std::string(name) + " rgba(" + number(color.red * 100) +
               "%, " + number(color.green * 100) + "%, " + number(color.blue * 100) + "%, " +
               number(color.alpha) + ");\n";
    }
    return css;
}

}  // namespace velumo::NativePalette
