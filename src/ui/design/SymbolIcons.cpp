#include "design/SymbolIcons.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <string>

#include "design/AppIconTheme.h"

namespace velumo::SymbolIcons {

namespace {

constexpr std::array entries = {
    Entry{"chevron.left", "go-previous-symbolic"},
    Entry{"chevron.right", "go-next-symbolic"},
    Entry{"arrow.clockwise", "view-refresh-symbolic"},
    Entry{"eye", "view-reveal-symbolic"},
    Entry{"eye.slash", "view-conceal-symbolic"},
    Entry{"eye.circle", "velumo-eye-symbolic"},
    Entry{"eye.circle.fill", "velumo-eye-filled-symbolic"},
    Entry{"eye.slash.circle.fill", "velumo-eye-slash-symbolic"},
    Entry{"pin", "view-pin-symbolic"},
    Entry{"pin.circle", "velumo-pin-symbolic"},
    Entry{"rectangle.on.rectangle", "focus-windows-symbolic"},
    Entry{"rectangle.expand.vertical", "view-fullscreen-symbolic"},
    Entry{"rectangle.bottomthird.inset.filled", "go-bottom-symbolic"},
    Entry{"rectangle.topthird.inset.filled", "go-top-symbolic"},
    Entry{"ellipsis", "view-more-horizontal-symbolic"},
    Entry{"xmark", "window-close-symbolic"},
    Entry{"xmark.circle", "velumo-xmark-circle-symbolic"},
    Entry{"checkmark", "object-select-symbolic"},
    Entry{"chevron.forward", "pan-end-symbolic"},
    Entry{"chevron.backward", "pan-start-symbolic"},
    Entry{"globe", "velumo-globe-symbolic"},
    Entry{"ghost", "velumo-ghost-symbolic"},
    Entry{"gearshape", "emblem-system-symbolic"},
    Entry{"keyboard", "input-keyboard-symbolic"},
    Entry{"circle.lefthalf.filled", "night-light-symbolic"},
    Entry{"square.stack.3d.up", "view-paged-symbolic"},
    Entry{"menubar.rectangle", "focus-legacy-systray-symbolic"},
    Entry{"macwindow", "velumo-window-symbolic"},
    Entry{"macwindow.on.rectangle", "focus-windows-symbolic"},
};

}  // namespace

std::span<const Entry> table() {
    return entries;
}

int drawnSize(int pixelSize) {
    constexpr std::array drawn = {16, 24, 32, 48, 64, 96};
    return *std::ranges::min_element(drawn, {},
                                     [pixelSize](int size) { return std::abs(size - pixelSize); });
}

std::string_view iconName(std::string_view symbol) {
    const auto* found = std::ranges::find(entries, symbol, &Entry::symbol);
    return found == entries.end() ? std::string_view{} : found->iconName;
}

Gtk::Image* makeImage(std::string_view symbol, int pixelSize) {
    auto* image = Gtk::make_managed<Gtk::Image>();
    setImage(*image, symbol, pixelSize);
    return image;
}

void setImage(Gtk::Image& image, std::string_view symbol, int pixelSize) {
    AppIconTheme::install();
    const auto name = iconName(symbol);
    if (name.empty()) {
        image.clear();
    } else {
        image.set_from_icon_name(std::string(name), Gtk::ICON_SIZE_BUTTON);
    }
    image.set_pixel_size(drawnSize(pixelSize));
}

}  // namespace velumo::SymbolIcons
