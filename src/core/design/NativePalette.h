#pragma once

#include <string>

namespace velumo {

enum class Appearance { light, dark };

// A colour with components from 0 to 1.
struct PaletteColor {
    double red = 0;
    double green = 0;
    double blue = 0;
    double alpha = 1;
    bool operator==(const PaletteColor&) const = default;
};

// The colours of the system's own windows (workbench, settings), each with
// its light and dark value; only the accent is the same in both.
namespace NativePalette {

PaletteColor accent(Appearance appearance);
PaletteColor canvas(Appearance appearance);
PaletteColor surface(Appearance appearance);
PaletteColor surfaceRaised(Appearance appearance);
PaletteColor stroke(Appearance appearance);
PaletteColor muted(Appearance appearance);
// Ordinary text on the surfaces above: the platform's label colour for the
// same appearance, so it never follows a theme whose face is the other one.
PaletteColor label(Appearance appearance);

// The accent button's title colour, a dark green in both appearances.
PaletteColor accentTitle();

// The palette as GTK CSS colour definitions (@velumo_accent, @velumo_canvas,
// ...) for one appearance; style sheets name these, so swapping the
// definitions recolours every widget without rebuilding it.
std::string cssDefinitions(Appearance appearance);

}  // namespace NativePalette
}  // namespace velumo
