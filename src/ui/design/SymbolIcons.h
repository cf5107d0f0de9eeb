#pragma once

#include <span>
#include <string_view>

#include <gtkmm/image.h>

namespace velumo {

// The symbol names used across the interface and the icon-theme names that
// stand for them here: symbolic icons of adwaita-icon-theme, and Velumo's own
// for the status icon, whose cases must stay distinguishable.
namespace SymbolIcons {

struct Entry {
    std::string_view symbol;
    std::string_view iconName;
};

std::span<const Entry> table();

// The icon name standing for `symbol`; empty when none does.
std::string_view iconName(std::string_view symbol);

// The size a symbol asked for at `pixelSize` is drawn at: the nearest of the
// sizes icon themes draw pixel by pixel (ties go to the smaller). Any other
// size is rendered from the SVG drawing, which is blurrier and keeps the SVG
// renderer's library in memory for as long as Velumo runs.
int drawnSize(int pixelSize);

// A managed image of `symbol` at `drawnSize(pixelSize)`; it stays empty for an
// unknown symbol, so a button built with it still works.
Gtk::Image* makeImage(std::string_view symbol, int pixelSize);

// Shows `symbol` in an existing image.
void setImage(Gtk::Image& image, std::string_view symbol, int pixelSize);

}  // namespace SymbolIcons
}  // namespace velumo
