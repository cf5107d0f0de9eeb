#include "workbench/SiteButton.h"

#include <atkmm/object.h>

#include "design/NativeDesignSystem.h"
#include "workbench/WorkbenchWidgets.h"

namespace velumo {

SiteButton::SiteButton(const BookmarkTile& tile, FaviconLoader& favicons,
                       const std::function<void()>& handler)
    : favicon_(tile, favicons) {
    get_style_context()->add_class("velumo-site-button");
    set_relief(Gtk::RELIEF_NONE);
    set_size_request(-1, height);
    set_tooltip_text(tile.url);
    get_accessible()->set_name(tile.title);
    auto* title = WorkbenchWidgets::truncatedLabel(tile.title, 12, Pango::WEIGHT_SEMIBOLD,
                                                   NativeTextColor::label);
    auto* host = WorkbenchWidgets::truncatedLabel(tile.subtitle, 9, Pango::WEIGHT_NORMAL,
                                                  NativeTextColor::muted);
    auto* names = nativeVStack({title, host}, 0);
    add(*WorkbenchWidgets::row(8, {&favicon_, names}));
    signal_clicked().connect(handler);
}

}  // namespace velumo
