#include "workbench/BookmarkGridView.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include <glibmm/main.h>
#include <gtkmm/scrolledwindow.h>

#include "workbench/WorkbenchRules.h"
#include "workbench/WorkbenchWidgets.h"

namespace velumo {
namespace {

constexpr double rowPitch = WorkbenchRules::gridRowHeight + WorkbenchRules::gridRowSpacing;
// Rows made per main-loop turn beyond those in view, so no turn takes long.
constexpr std::size_t rowsPerTurn = 3;
// Rows this many pages away from the view are let go.
constexpr double keptPages = 3;

}  // namespace

BookmarkGridView::BookmarkGridView() {
    set_has_window(false);
    set_redraw_on_allocate(false);
}

BookmarkGridView::~BookmarkGridView() {
    pendingUpdate_.disconnect();
    for (auto& connection : scrollConnections_) {
        connection.disconnect();
    }
    // Children go before the container that would be asked to list them.
    for (auto* child : childList()) {
        child->unparent();
    }
}

void BookmarkGridView::setRows(std::size_t count, RowMaker makeRow) {
    clear();
    count_ = count;
    makeRow_ = std::move(makeRow);
    queue_resize();
    update();
}

void BookmarkGridView::setPlaceholder(Gtk::Widget& placeholder) {
    clear();
    placeholder_ = &placeholder;
    placeholder.set_parent(*this);
    placeholder.show();
    queue_resize();
}

std::vector<Gtk::Widget*> BookmarkGridView::childList() const {
    std::vector<Gtk::Widget*> children;
    if (placeholder_ != nullptr) {
        children.push_back(placeholder_);
    }
    for (const auto& [_, row] : rows_) {
        children.push_back(row);
    }
    return children;
}

void BookmarkGridView::clear() {
    pendingUpdate_.disconnect();
    const auto children = childList();
    placeholder_ = nullptr;
    rows_.clear();
    count_ = 0;
    makeRow_ = nullptr;
    for (auto* child : children) {
        WorkbenchWidgets::retire(*child);
        child->unparent();
    }
    queue_resize();
}

bool BookmarkGridView::visibleBand(double& from, double& to) {
    if (!get_mapped()) {
        return false;
    }
    if (!scroll_) {
        from = 0;
        to = WorkbenchRules::gridHeight(count_);
        return true;
    }
    auto* page = get_ancestor(GTK_TYPE_SCROLLED_WINDOW);
    auto* content = dynamic_cast<Gtk::ScrolledWindow*>(page)->get_child();
    // A viewport wraps content that does not scroll by itself.
    if (auto* viewport = dynamic_cast<Gtk::Bin*>(content);
        viewport != nullptr && GTK_IS_VIEWPORT(content->gobj())) {
        content = viewport->get_child();
    }
    int x = 0;
    int top = 0;
    if (content == nullptr || !translate_coordinates(*content, 0, 0, x, top)) {
        return false;
    }
    from = scroll_->get_value() - top;
    to = from + scroll_->get_page_size();
    return true;
}

void BookmarkGridView::update() {
    pendingUpdate_.disconnect();
    double from = 0;
    double to = 0;
    if (!makeRow_ || !visibleBand(from, to)) {
        return;
    }
    const double page = to - from;
    const auto inView = WorkbenchRules::rowsMeeting(from, to, count_);
    const auto near = WorkbenchRules::rowsMeeting(from - page, to + page, count_);
    const auto kept =
        WorkbenchRules::rowsMeeting(from - keptPages * page, to + keptPages * page, count_);
    std::vector<Gtk::Widget*> far;
    for (auto entry = rows_.begin(); entry != rows_.end();) {
        if (entry->first < kept.first || entry->first >= kept.end) {
            far.push_back(entry->second);
            entry = rows_.erase(entry);
        } else {
            ++entry;
        }
    }
    for (auto* row : far) {
        row->unparent();
    }
    const auto make = [&](std::size_t index) {
        Gtk::Widget* row = makeRow_(index);
        rows_[index] = row;
        row->set_parent(*this);
        row->show_all();
    };
    for (std::size_t index = inView.first; index < inView.end; ++index) {
        if (!rows_.contains(index)) {
            make(index);
        }
    }
    // Then outwards from the view, a few rows per turn.
    std::vector<std::size_t> missing;
    for (std::size_t index = near.first; index < near.end; ++index) {
        if (!rows_.contains(index)) {
            missing.push_back(index);
        }
    }
    const double middle = (from + to) / 2;
    std::ranges::sort(missing, {}, [&](std::size_t index) {
        return std::abs((static_cast<double>(index) * rowPitch) - middle);
    });
    for (std::size_t i = 0; i < std::min(missing.size(), rowsPerTurn); ++i) {
        make(missing[i]);
    }
    if (missing.size() > rowsPerTurn) {
        scheduleUpdate();
    }
}

void BookmarkGridView::scheduleUpdate() {
    if (!pendingUpdate_.connected()) {
        // Before the next frame is laid out and drawn.
        pendingUpdate_ = Glib::signal_idle().connect(
            [this] {
                update();
                return false;
            },
            Glib::PRIORITY_HIGH_IDLE + 10);
    }
}

void BookmarkGridView::on_hierarchy_changed(Gtk::Widget* previousTop) {
    Gtk::Container::on_hierarchy_changed(previousTop);
    for (auto& connection : scrollConnections_) {
        connection.disconnect();
    }
    scrollConnections_.clear();
    auto* page = dynamic_cast<Gtk::ScrolledWindow*>(get_ancestor(GTK_TYPE_SCROLLED_WINDOW));
    scroll_ = page != nullptr ? page->get_vadjustment() : Glib::RefPtr<Gtk::Adjustment>();
    if (scroll_) {
        scrollConnections_.push_back(
            scroll_->signal_value_changed().connect([this] { scheduleUpdate(); }));
        scrollConnections_.push_back(
            scroll_->signal_changed().connect([this] { scheduleUpdate(); }));
    }
}

// MARK: Size and place

Gtk::SizeRequestMode BookmarkGridView::get_request_mode_vfunc() const {
    return Gtk::SIZE_REQUEST_HEIGHT_FOR_WIDTH;
}

void BookmarkGridView::get_preferred_width_vfunc(int& minimum, int& natural) const {
    // The rows fill any width the page gives; none is narrower than its
    // tiles allow.
    minimum = 0;
    if (placeholder_ != nullptr) {
        int ignored = 0;
        placeholder_->get_preferred_width(minimum, ignored);
    }
    for (const auto& [_, row] : rows_) {
        int rowMinimum = 0;
        int ignored = 0;
        row->get_preferred_width(rowMinimum, ignored);
        minimum = std::max(minimum, rowMinimum);
    }
    natural = minimum;
}

void BookmarkGridView::get_preferred_width_for_height_vfunc(int, int& minimum, int& natural) const {
    get_preferred_width_vfunc(minimum, natural);
}

void BookmarkGridView::get_preferred_height_vfunc(int& minimum, int& natural) const {
    if (placeholder_ != nullptr) {
        placeholder_->get_preferred_height(minimum, natural);
        return;
    }
    minimum = static_cast<int>(WorkbenchRules::gridHeight(count_));
    natural = minimum;
}

void BookmarkGridView::get_preferred_height_for_width_vfunc(int width, int& minimum,
                                                            int& natural) const {
    if (placeholder_ != nullptr) {
        placeholder_->get_preferred_height_for_width(width, minimum, natural);
        return;
    }
    get_preferred_height_vfunc(minimum, natural);
}

void BookmarkGridView::on_size_allocate(Gtk::Allocation& allocation) {
    set_allocation(allocation);
    const int width = allocation.get_width();
    int minimum = 0;
    int natural = 0;
    if (placeholder_ != nullptr) {
        placeholder_->get_preferred_height_for_width(width, minimum, natural);
        Gtk::Allocation place(allocation.get_x(), allocation.get_y(), width,
                              allocation.get_height());
        placeholder_->size_allocate(place);
    }
    for (const auto& [index, row] : rows_) {
        row->get_preferred_width(minimum, natural);
        row->get_preferred_height_for_width(width, minimum, natural);
        Gtk::Allocation place(allocation.get_x(),
                              allocation.get_y() + static_cast<int>(std::lround(
                                                       static_cast<double>(index) * rowPitch)),
                              width, static_cast<int>(WorkbenchRules::gridRowHeight));
        row->size_allocate(place);
    }
    if (makeRow_) {
        scheduleUpdate();
    }
}

// MARK: Children

void BookmarkGridView::forall_vfunc(gboolean, GtkCallback callback, gpointer data) {
    // The callback may take a child away.
    for (auto* child : childList()) {
        callback(child->gobj(), data);
    }
}

void BookmarkGridView::on_remove(Gtk::Widget* child) {
    if (child == placeholder_) {
        placeholder_ = nullptr;
    }
    std::erase_if(rows_, [child](const auto& entry) { return entry.second == child; });
    child->unparent();
    queue_resize();
}

}  // namespace velumo
