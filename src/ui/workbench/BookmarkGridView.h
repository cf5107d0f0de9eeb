#pragma once

#include <cstddef>
#include <functional>
#include <map>
#include <vector>

#include <gtkmm/adjustment.h>
#include <gtkmm/container.h>

namespace velumo {

// The bookmark grid: rows 44 high and 6 apart, as wide as the grid, or a
// placeholder alone when there are none. Only the rows in view and a page
// around them exist as widgets: a thousand bookmarks would otherwise take
// seconds to build, lay out and tear down. The rest are made as the page
// scrolls towards them, and let go again once far away.
class BookmarkGridView : public Gtk::Container {
  public:
    using RowMaker = std::function<Gtk::Widget*(std::size_t row)>;

    BookmarkGridView();
    ~BookmarkGridView() override;
    BookmarkGridView(const BookmarkGridView&) = delete;
    BookmarkGridView& operator=(const BookmarkGridView&) = delete;

    // Shows `count` rows, each made (managed) by `makeRow` once it comes near
    // the visible part of the page. The rows shown so far go.
    void setRows(std::size_t count, RowMaker makeRow);
    // Shows `placeholder` (managed) alone.
    void setPlaceholder(Gtk::Widget& placeholder);

    std::size_t rowCount() const { return count_; }

  protected:
    Gtk::SizeRequestMode get_request_mode_vfunc() const override;
    void get_preferred_width_vfunc(int& minimum, int& natural) const override;
    void get_preferred_height_vfunc(int& minimum, int& natural) const override;
    void get_preferred_height_for_width_vfunc(int width, int& minimum, int& natural) const override;
    void get_preferred_width_for_height_vfunc(int height, int& minimum,
                                              int& natural) const override;
    void on_size_allocate(Gtk::Allocation& allocation) override;
    void forall_vfunc(gboolean includeInternals, GtkCallback callback, gpointer data) override;
    void on_remove(Gtk::Widget* child) override;
    void on_hierarchy_changed(Gtk::Widget* previousTop) override;

  private:
    std::vector<Gtk::Widget*> childList() const;
    // Drops every child; they live until the next main-loop turn, since a
    // click inside one of them may have led here.
    void clear();
    // Makes the rows in view at once and those a page around them on later
    // turns; lets go of rows far away.
    void update();
    void scheduleUpdate();
    // The part of the grid (its own coordinates) the page shows now: none
    // while unmapped, all of it outside a scrolled page.
    bool visibleBand(double& from, double& to);

    std::size_t count_ = 0;
    RowMaker makeRow_;
    std::map<std::size_t, Gtk::Widget*> rows_;
    Gtk::Widget* placeholder_ = nullptr;
    Glib::RefPtr<Gtk::Adjustment> scroll_;
    std::vector<sigc::connection> scrollConnections_;
    sigc::connection pendingUpdate_;
};

}  // namespace velumo
