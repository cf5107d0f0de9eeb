#include "workbench/FaviconImageView.h"

#include <atkmm/object.h>
#include <cairomm/context.h>
#include <numbers>

#include "data/Url.h"
#include "design/SymbolIcons.h"

namespace velumo {
namespace {

constexpr double cornerRadius = 5;

}  // namespace

FaviconImageView::FaviconImageView(const BookmarkTile& tile, FaviconLoader& loader) {
    get_style_context()->add_class("velumo-accent-text");
    SymbolIcons::setImage(*this, "globe", FaviconLoader::iconSide);
    set_size_request(FaviconLoader::iconSide, FaviconLoader::iconSide);
    get_accessible()->set_name(tile.title);
    if (!tile.faviconURL || !Url::parse(*tile.faviconURL)) {
        return;
    }
    representedURL_ = tile.faviconURL;
    const auto icon = loader.load(
        *representedURL_,
        sigc::bind<0>(sigc::mem_fun(*this, &FaviconImageView::arrived), *representedURL_));
    if (icon) {
        showIcon(icon);
    }
}

void FaviconImageView::arrived(const std::string& url, const Glib::RefPtr<Gdk::Pixbuf>& icon) {
    if (representedURL_ == url) {
        showIcon(icon);
    }
}

void FaviconImageView::showIcon(const Glib::RefPtr<Gdk::Pixbuf>& icon) {
    // The loader scales icons for the display's density; the surface says so.
    cairo_surface_t* surface =
        gdk_cairo_surface_create_from_pixbuf(icon->gobj(), get_scale_factor(), nullptr);
    gtk_image_set_from_surface(gobj(), surface);
    cairo_surface_destroy(surface);
}

bool FaviconImageView::on_draw(const Cairo::RefPtr<Cairo::Context>& cairo) {
    const double width = get_allocated_width();
    const double height = get_allocated_height();
    const double r = cornerRadius;
    cairo->begin_new_sub_path();
    cairo->arc(width - r, r, r, -std::numbers::pi / 2, 0);
    cairo->arc(width - r, height - r, r, 0, std::numbers::pi / 2);
    cairo->arc(r, height - r, r, std::numbers::pi / 2, std::numbers::pi);
    cairo->arc(r, r, r, std::numbers::pi, 3 * std::numbers::pi / 2);
    cairo->close_path();
    cairo->clip();
    return Gtk::Image::on_draw(cairo);
}

}  // namespace velumo
