#include "browser/FloatingPanel.h"

#include <algorithm>
#include <chrono>
#include <cmath>

#include <gdk/gdkx.h>
#include <glibmm/main.h>
#include <gtkmm/drawingarea.h>

#include "browser/ScreenLayout.h"
#include "browser/SwayPlacement.h"

namespace velumo {
namespace {

constexpr int edgeThickness = 5;
constexpr int cornerLength = 14;
// Corrections of the window manager's placement before the panel gives up
// and stays where it was put, and how long it watches for the need.
constexpr int placingLimit = 3;
constexpr std::chrono::milliseconds placingPeriod{2000};
// How long a shown panel waits for the window manager to map it (or, once
// unmapped, to say it still holds it) before it asks again, and how often.
constexpr std::chrono::milliseconds mapWatchPeriod{400};
constexpr int mapLimit = 3;

struct EdgeHandle {
    Gdk::WindowEdge edge;
    Gtk::Align halign;
    Gtk::Align valign;
    const char* cursor;
};

constexpr std::array<EdgeHandle, 8> edgeHandles{{
    {Gdk::WINDOW_EDGE_NORTH, Gtk::ALIGN_FILL, Gtk::ALIGN_START, "n-resize"},
    {Gdk::WINDOW_EDGE_SOUTH, Gtk::ALIGN_FILL, Gtk::ALIGN_END, "s-resize"},
    {Gdk::WINDOW_EDGE_WEST, Gtk::ALIGN_START, Gtk::ALIGN_FILL, "w-resize"},
    {Gdk::WINDOW_EDGE_EAST, Gtk::ALIGN_END, Gtk::ALIGN_FILL, "e-resize"},
    {Gdk::WINDOW_EDGE_NORTH_WEST, Gtk::ALIGN_START, Gtk::ALIGN_START, "nw-resize"},
    {Gdk::WINDOW_EDGE_NORTH_EAST, Gtk::ALIGN_END, Gtk::ALIGN_START, "ne-resize"},
    {Gdk::WINDOW_EDGE_SOUTH_WEST, Gtk::ALIGN_START, Gtk::ALIGN_END, "sw-resize"},
    {Gdk::WINDOW_EDGE_SOUTH_EAST, Gtk::ALIGN_END, Gtk::ALIGN_END, "se-resize"},
}};

bool isCorner(Gdk::WindowEdge edge) {
    return edge == Gdk::WINDOW_EDGE_NORTH_WEST || edge == Gdk::WINDOW_EDGE_NORTH_EAST ||
           edge == Gdk::WINDOW_EDGE_SOUTH_WEST || edge == Gdk::WINDOW_EDGE_SOUTH_EAST;
}

}  // namespace

// An invisible strip with a window of its own, so it gets its own cursor and
// the pointer presses over the page's edge.
class FloatingPanel::ResizeEdge : public Gtk::DrawingArea {
  public:
    ResizeEdge(FloatingPanel& panel, const EdgeHandle& handle) : panel_(panel), handle_(handle) {
        set_halign(handle.halign);
        set_valign(handle.valign);
        const bool corner = isCorner(handle.edge);
        const bool horizontal =
            handle.edge == Gdk::WINDOW_EDGE_NORTH || handle.edge == Gdk::WINDOW_EDGE_SOUTH;
        set_size_request(corner ? cornerLength : (horizontal ? -1 : edgeThickness),
                         corner ? cornerLength : (horizontal ? edgeThickness : -1));
        add_events(Gdk::BUTTON_PRESS_MASK);
    }

  protected:
    void on_realize() override {
        Gtk::DrawingArea::on_realize();
        get_window()->set_cursor(Gdk::Cursor::create(get_display(), handle_.cursor));
    }

    bool on_draw(const Cairo::RefPtr<Cairo::Context>&) override { return false; }

    bool on_button_press_event(GdkEventButton* event) override {
        if (event->button != 1 || event->type != GDK_BUTTON_PRESS) {
            return false;
        }
        panel_.liveResize_ = true;
        panel_.begin_resize_drag(handle_.edge, static_cast<int>(event->button),
                                 static_cast<int>(event->x_root), static_cast<int>(event->y_root),
                                 event->time);
        return true;
    }

  private:
    FloatingPanel& panel_;
    EdgeHandle handle_;
};

FloatingPanel::FloatingPanel() : group_(Gtk::WindowGroup::create()) {
    set_decorated(false);
    // Tiling window managers (sway, i3) float utility windows; the type still
    // lets the panel be resized, which a fixed size would not.
    set_type_hint(Gdk::WINDOW_TYPE_HINT_UTILITY);
    set_skip_taskbar_hint(true);
    set_skip_pager_hint(true);
    set_default_size(static_cast<int>(WindowGeometry::initialPanelSize.width),
                     static_cast<int>(WindowGeometry::initialPanelSize.height));
    add_events(Gdk::POINTER_MOTION_MASK | Gdk::ENTER_NOTIFY_MASK | Gdk::LEAVE_NOTIFY_MASK);
    group_->add_window(*this);
    add(layers_);
    for (std::size_t i = 0; i < edgeHandles.size(); ++i) {
        edges_[i] = std::make_unique<ResizeEdge>(*this, edgeHandles[i]);
        layers_.add_overlay(*edges_[i]);
    }
    layers_.show_all();
    // The application lives as long as it has floating windows, hidden ones included.
    if (GApplication* application = g_application_get_default();
        application != nullptr && GTK_IS_APPLICATION(application)) {
        gtk_application_add_window(GTK_APPLICATION(application), gobj());
    }
}

FloatingPanel::~FloatingPanel() {
    placingTimeout_.disconnect();
    mapWatch_.disconnect();
    sheets_.clear();
    group_->remove_window(*this);
}

bool FloatingPanel::inLiveResize() const {
    if (!liveResize_) {
        return false;
    }
    GdkModifierType state{};
    gdk_device_get_state(
        gdk_seat_get_pointer(gdk_display_get_default_seat(gdk_display_get_default())),
        gdk_get_default_root_window(), nullptr, &state);
    liveResize_ = (state & GDK_BUTTON1_MASK) != 0;
    return liveResize_;
}

void FloatingPanel::setContent(Gtk::Widget& content) {
    layers_.add(content);
    // The edges stay above the content.
    for (auto& edge : edges_) {
        layers_.reorder_overlay(*edge, -1);
    }
}

void FloatingPanel::setMinimumSize(Size size) {
    Gdk::Geometry geometry{};
    geometry.min_width = static_cast<int>(size.width);
    geometry.min_height = static_cast<int>(size.height);
    // The panel is always placed on purpose: at every map, the window manager
    // keeps the position it has rather than choosing one.
    set_geometry_hints(*this, geometry, Gdk::HINT_MIN_SIZE | Gdk::HINT_USER_POS);
}

Rect FloatingPanel::frame() const {
    if (const auto window = get_window()) {
        Gdk::Rectangle extents;
        window->get_frame_extents(extents);
        return {static_cast<double>(extents.get_x()), static_cast<double>(extents.get_y()),
                static_cast<double>(extents.get_width()),
                static_cast<double>(extents.get_height())};
    }
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    get_position(x, y);
    get_size(width, height);
    return {static_cast<double>(x), static_cast<double>(y), static_cast<double>(width),
            static_cast<double>(height)};
}

void FloatingPanel::setFrame(Rect frame) {
    if (hiddenAt_) {
        hiddenAt_ = Point{frame.x, frame.y};
    }
    placeAt({frame.x, frame.y});
    const int x = static_cast<int>(std::lround(frame.x));
    const int y = static_cast<int>(std::lround(frame.y));
    const int width = static_cast<int>(std::lround(frame.width));
    const int height = static_cast<int>(std::lround(frame.height));
    move(x, y);
    resize(width, height);
    // While the window system has yet to answer an earlier request, GTK sends
    // the new place at once and the size later, and the window manager may
    // meanwhile fit the old size to new limits, which GTK then takes for the
    // answer. Asked for here, place and size arrive together.
    if (get_mapped()) {
        get_window()->move_resize(x, y, width, height);
    }
}

void FloatingPanel::setAlwaysOnTop(bool on) {
    alwaysOnTop_ = on;
    set_keep_above(on);
}

void FloatingPanel::placeAt(Point origin) {
    if (!SwayPlacement::available()) {
        return;
    }
    placing_ = origin;
    placingTries_ = 0;
    placingAwaitsMap_ = !get_mapped();
    // Sway has answered long before; later moves are the person's.
    placingTimeout_.disconnect();
    placingTimeout_ = Glib::signal_timeout().connect(
        [this] {
            placing_.reset();
            return false;
        },
        static_cast<unsigned>(placingPeriod.count()));
}

bool FloatingPanel::on_configure_event(GdkEventConfigure* event) {
    const bool handled = Gtk::Window::on_configure_event(event);
    correctPlacement(false);
    return handled;
}

bool FloatingPanel::on_map_event(GdkEventAny* event) {
    mapWatch_.disconnect();
    const bool handled = Gtk::Window::on_map_event(event);
    correctPlacement(true);
    return handled;
}

// Sway centres the panel when it maps it and when the panel asks for a new
// size or place; the place Velumo gave it is asked for again.
void FloatingPanel::correctPlacement(bool mapped) {
    if (!placing_ || (placingAwaitsMap_ && !mapped)) {
        return;
    }
    placingAwaitsMap_ = false;
    const Rect now = frame();
    if (Point{now.x, now.y} != *placing_ && placingTries_ < placingLimit) {
        ++placingTries_;
        SwayPlacement::move(GDK_WINDOW_XID(get_window()->gobj()), *placing_);
    } else if (!mapped) {
        // Placed as asked (the map itself comes before sway centres it), or
        // given up.
        placing_.reset();
        placingTimeout_.disconnect();
    }
}

void FloatingPanel::on_hide() {
    const Rect shown = frame();
    hiddenAt_ = Point{shown.x, shown.y};
    for (Sheet& sheet : sheets_) {
        if (sheet.dialog->get_visible()) {
            sheet.waiting = true;
            sheet.dialog->hide();
        }
    }
    mapWatch_.disconnect();
    Gtk::Window::on_hide();
}

void FloatingPanel::on_show() {
    willShow_.emit();
    if (hiddenAt_) {
        placeAt(*hiddenAt_);
        move(static_cast<int>(std::lround(hiddenAt_->x)),
             static_cast<int>(std::lround(hiddenAt_->y)));
        hiddenAt_.reset();
    }
    Gtk::Window::on_show();
    mapTries_ = 0;
    watchMap();
    for (Sheet& sheet : sheets_) {
        if (sheet.waiting) {
            sheet.waiting = false;
            sheet.dialog->show();
        }
    }
}

bool FloatingPanel::on_unmap_event(GdkEventAny* event) {
    // Unmapped while GTK still shows it: iconified, or let go by the window
    // manager; which one shows once the window manager is done.
    if (get_mapped()) {
        watchMap();
    }
    return Gtk::Window::on_unmap_event(event);
}

void FloatingPanel::watchMap() {
    mapWatch_.disconnect();
    mapWatch_ = Glib::signal_timeout().connect(
        [this] {
            if (get_mapped() && !heldByWindowManager() && mapTries_ < mapLimit) {
                ++mapTries_;
                get_window()->show();
                watchMap();
            }
            return false;
        },
        static_cast<unsigned>(mapWatchPeriod.count()));
}

// The window manager keeps WM_STATE on the windows it manages and removes it,
// or sets it to WithdrawnState (0), once it has let one go.
bool FloatingPanel::heldByWindowManager() {
    const GdkAtom wmState = gdk_atom_intern_static_string("WM_STATE");
    GdkAtom type = nullptr;
    gint format = 0;
    gint length = 0;
    guchar* data = nullptr;
    // Items of format 32 come as longs, as from Xlib.
    const bool held = gdk_property_get(get_window()->gobj(), wmState, wmState, 0, 1, FALSE, &type,
                                       &format, &length, &data) == TRUE &&
                      format == 32 && length >= static_cast<gint>(sizeof(long)) &&
                      *reinterpret_cast<const long*>(data) != 0;
    g_free(data);
    return held;
}

void FloatingPanel::showSheet(std::unique_ptr<Gtk::Dialog> dialog,
                              std::function<void(int)> completion) {
    if (sheetsClosed_) {
        return;
    }
    // Modal within the panel's own window group: other floating windows stay usable.
    group_->add_window(*dialog);
    dialog->set_transient_for(*this);
    dialog->set_modal(true);
    dialog->set_position(Gtk::WIN_POS_CENTER_ON_PARENT);
    dialog->set_keep_above(alwaysOnTop_);
    Gtk::Dialog* shown = dialog.get();
    shown->signal_response().connect(
        [this, shown, completion = std::move(completion)](int response) {
            Sheet* sheet = sheetOf(shown);
            if (sheet->answered) {
                return;
            }
            sheet->answered = true;
            sheet->waiting = false;
            // The window manager does not hand the keyboard back by itself;
            // a dialog answered while the person was elsewhere leaves it there.
            const bool hadKeyboard = shown->is_active();
            shown->hide();
            if (hadKeyboard && get_visible()) {
                present(gtk_get_current_event_time());
            }
            completion(response);
            // The dialog is still inside its own response; it goes on a later turn.
            Glib::signal_idle().connect_once(
                sigc::bind(sigc::mem_fun(*this, &FloatingPanel::forgetSheet), shown));
        });
    const bool waiting = !get_visible();
    sheets_.push_back({std::move(dialog), waiting, false});
    if (!waiting) {
        shown->show();
    }
}

FloatingPanel::Sheet* FloatingPanel::sheetOf(const Gtk::Dialog* dialog) {
    const auto found = std::ranges::find_if(
        sheets_, [dialog](const Sheet& sheet) { return sheet.dialog.get() == dialog; });
    return found != sheets_.end() ? &*found : nullptr;
}

void FloatingPanel::forgetSheet(Gtk::Dialog* dialog) {
    std::erase_if(sheets_, [dialog](const Sheet& sheet) { return sheet.dialog.get() == dialog; });
}

void FloatingPanel::placeSheet(Gtk::Window& sheet, Size size) const {
    const Rect panel = frame();
    Rect placed{panel.midX() - size.width / 2, panel.midY() - size.height / 2, size.width,
                size.height};
    const ScreenLayout layout = ScreenLayout::ofDisplay(*this);
    if (layout.panelScreen) {
        placed = WindowGeometry::constrained(placed, layout.screens[*layout.panelScreen].workArea);
    }
    sheet.move(static_cast<int>(std::lround(placed.x)), static_cast<int>(std::lround(placed.y)));
    sheet.resize(static_cast<int>(std::lround(placed.width)),
                 static_cast<int>(std::lround(placed.height)));
}

bool FloatingPanel::hasVisibleSheet() const {
    return std::ranges::any_of(sheets_,
                               [](const Sheet& sheet) { return sheet.dialog->get_visible(); });
}

void FloatingPanel::closeSheets() {
    sheetsClosed_ = true;
    sheets_.clear();
}

}  // namespace velumo
