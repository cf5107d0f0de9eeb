#pragma once

#include <optional>
#include <string>

#include <gtkmm/image.h>

#include "workbench/FaviconLoader.h"
#include "workbench/WorkbenchRules.h"

namespace velumo {

// A bookmark tile's icon: a globe in the accent colour until the site's icon
// arrives, 24 x 24 with rounded corners. An icon arriving for another
// address than the one the view shows is not applied.
class FaviconImageView : public Gtk::Image {
  public:
    FaviconImageView(const BookmarkTile& tile, FaviconLoader& loader);

    // The icon address the view waits for or shows; none when the bookmark
    // has no usable one.
    const std::optional<std::string>& representedURL() const { return representedURL_; }
    bool showsSiteIcon() const { return get_storage_type() == Gtk::IMAGE_SURFACE; }

  protected:
    bool on_draw(const Cairo::RefPtr<Cairo::Context>& cairo) override;

  private:
    void arrived(const std::string& url, const Glib::RefPtr<Gdk::Pixbuf>& icon);
    void showIcon(const Glib::RefPtr<Gdk::Pixbuf>& icon);

    std::optional<std::string> representedURL_;
};

}  // namespace velumo
