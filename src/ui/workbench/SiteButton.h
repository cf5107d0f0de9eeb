#pragma once

#include <functional>

#include <gtkmm/button.h>

#include "workbench/FaviconImageView.h"
#include "workbench/FaviconLoader.h"
#include "workbench/WorkbenchRules.h"

namespace velumo {

// A bookmark's tile: its icon, title and host on a raised background, 44
// high, with the address as tool tip; a click runs `handler`.
class SiteButton : public Gtk::Button {
  public:
    static constexpr int height = 44;

    SiteButton(const BookmarkTile& tile, FaviconLoader& favicons,
               const std::function<void()>& handler);

    FaviconImageView& favicon() { return favicon_; }

  private:
    FaviconImageView favicon_;
};

}  // namespace velumo
