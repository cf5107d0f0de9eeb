#include "browser/BrowserMoreMenu.h"

#include <algorithm>
#include <atkmm/object.h>
#include <vector>

#include <gdk/gdkkeysyms.h>
#include <gdkmm/display.h>
#include <gdkmm/monitor.h>
#include <gdkmm/screen.h>
#include <gtkmm/adjustment.h>
#include <gtkmm/image.h>
#include <gtkmm/label.h>
#include <gtkmm/separator.h>

#include "browser/PageDisplayControlsView.h"
#include "design/ChromeStyle.h"
#include "design/SymbolIcons.h"

namespace velumo {

namespace {

constexpr int menuIconSize = 16;
// Room around the menu for its shadow, where the window can be see-through.
constexpr int shadowRoom = 12;

void addSeparator(Gtk::Box& page) {
    page.pack_start(*Gtk::make_managed<Gtk::Separator>(Gtk::ORIENTATION_HORIZONTAL),
                    Gtk::PACK_SHRINK);
}

Gtk::Button& makeRowButton(const std::string& name) {
    auto* row = Gtk::make_managed<Gtk::Button>();
    row->set_relief(Gtk::RELIEF_NONE);
    // The theme draws buttons with these classes as menu items.
    row->get_style_context()->add_class("menuitem");
    row->get_style_context()->add_class("button");
    row->get_accessible()->set_name(name);
    // As in a menu, the pointer and the keyboard share one current row.
    row->signal_enter_notify_event().connect([row](GdkEventCrossing*) {
        row->grab_focus();
        return false;
    });
    row->signal_leave_notify_event().connect([row](GdkEventCrossing*) {
        if (row->has_focus()) {
            dynamic_cast<Gtk::Window&>(*row->get_toplevel()).unset_focus();
        }
        return false;
    });
    return *row;
}

// The widgets below `widget` that take the keyboard focus, top to bottom.
void collectFocusable(Gtk::Widget& widget, std::vector<Gtk::Widget*>& found) {
    if (!widget.get_visible() || !widget.is_sensitive()) {
        return;
    }
    if (widget.get_can_focus()) {
        found.push_back(&widget);
    }
    if (auto* container = dynamic_cast<Gtk::Container*>(&widget)) {
        for (auto* child : container->get_children()) {
            collectFocusable(*child, found);
        }
    }
}

}  // namespace

BrowserMoreMenu::BrowserMoreMenu(Gtk::Widget& button, const Content& content, Handlers handlers)
    : Gtk::Window(Gtk::WINDOW_POPUP), button_(button), handlers_(std::move(handlers)) {
    ChromeStyle::install();
    set_type_hint(Gdk::WINDOW_TYPE_HINT_DROPDOWN_MENU);
    get_style_context()->add_class("velumo-more-menu");
    add_events(Gdk::BUTTON_PRESS_MASK | Gdk::KEY_PRESS_MASK);
    signal_grab_broken_event().connect(sigc::mem_fun(*this, &BrowserMoreMenu::grabBroken));
    // Round corners and a shadow need a see-through window, which only a
    // compositing window system gives; elsewhere the menu is a plain square.
    auto screen = button.get_screen();
    if (auto visual = screen->get_rgba_visual(); visual && screen->is_composited()) {
        gtk_widget_set_visual(GTK_WIDGET(gobj()), visual->gobj());
        get_style_context()->add_class("velumo-translucent");
        shadowMargin_ = shadowRoom;
    }
    surface_.get_style_context()->add_class("velumo-menu-surface");
    surface_.property_margin() = shadowMargin_;

    buildMainPage(content);
    buildOpacityPage(content.opacity);
    stack_.set_hhomogeneous(true);
    stack_.set_vhomogeneous(false);
    stack_.add(mainPage_, "main");
    stack_.add(opacityPage_, "opacity");
    scroller_.set_policy(Gtk::POLICY_NEVER, Gtk::POLICY_AUTOMATIC);
    scroller_.set_propagate_natural_width(true);
    scroller_.set_propagate_natural_height(true);
    scroller_.add(stack_);
    // Rows reached with the keyboard scroll into view in a shortened menu.
    stack_.set_focus_vadjustment(scroller_.get_vadjustment());
    surface_.pack_start(scroller_, Gtk::PACK_EXPAND_WIDGET);
    add(surface_);
    surface_.show_all();
    stack_.set_visible_child(mainPage_);
}

BrowserMoreMenu::~BrowserMoreMenu() {
    release();
}

Gtk::Button& BrowserMoreMenu::addRow(Gtk::Box& page, const std::string& title,
                                     const std::string& keyHint, bool stateColumn,
                                     std::optional<bool> checked, bool submenu) {
    auto& row = makeRowButton(title);
    auto* content = Gtk::make_managed<Gtk::Box>(Gtk::ORIENTATION_HORIZONTAL, 8);
    if (stateColumn) {
        auto* check =
            SymbolIcons::makeImage(checked.value_or(false) ? "checkmark" : "", menuIconSize);
        check->set_size_request(menuIconSize, menuIconSize);
        content->pack_start(*check, Gtk::PACK_SHRINK);
    }
    auto* label = Gtk::make_managed<Gtk::Label>(title);
    label->set_xalign(0);
    content->pack_start(*label, Gtk::PACK_EXPAND_WIDGET);
    if (submenu) {
        content->pack_end(*SymbolIcons::makeImage("chevron.forward", menuIconSize),
                          Gtk::PACK_SHRINK);
    } else if (!keyHint.empty()) {
        auto* hint = Gtk::make_managed<Gtk::Label>(keyHint);
        hint->get_style_context()->add_class("velumo-key-hint");
        content->pack_end(*hint, Gtk::PACK_SHRINK);
    }
    row.add(*content);
    page.pack_start(row, Gtk::PACK_SHRINK);
    return row;
}

void BrowserMoreMenu::buildMainPage(const Content& content) {
    const auto items = moreMenuItems(content.state);
    const bool stateColumn = std::ranges::any_of(
        items, [](const MoreMenuItem& item) { return item.checked.has_value(); });
    for (const auto& item : items) {
        switch (item.action) {
            case MoreMenuAction::separator:
                addSeparator(mainPage_);
                break;
            case MoreMenuAction::pageDisplayControls:
                mainPage_.pack_start(
                    *Gtk::make_managed<PageDisplayControlsView>(content.pageZoom, content.identity,
                                                                handlers_.displayControls),
                    Gtk::PACK_SHRINK);
                break;
            case MoreMenuAction::opacitySubmenu:
                opacityRow_ = &addRow(mainPage_, item.title, {}, stateColumn, std::nullopt, true);
                opacityRow_->signal_clicked().connect([this] { showPage(opacityPage_, nullptr); });
                break;
            default: {
                auto& row =
                    addRow(mainPage_, item.title, item.keyHint, stateColumn, item.checked, false);
                row.set_sensitive(item.enabled);
                row.signal_clicked().connect([this, action = item.action] { activate(action); });
            }
        }
    }
}

void BrowserMoreMenu::buildOpacityPage(double opacity) {
    auto& back = makeRowButton("返回");
    auto* header = Gtk::make_managed<Gtk::Box>(Gtk::ORIENTATION_HORIZONTAL, 8);
    header->pack_start(*SymbolIcons::makeImage("chevron.backward", menuIconSize), Gtk::PACK_SHRINK);
    auto* title = Gtk::make_managed<Gtk::Label>("透明度");
    title->get_style_context()->add_class("velumo-submenu-title");
    header->set_center_widget(*title);
    back.add(*header);
    back.signal_clicked().connect([this] { showPage(mainPage_, opacityRow_); });
    opacityPage_.pack_start(back, Gtk::PACK_SHRINK);
    addSeparator(opacityPage_);

    for (const auto& item : opacityMenuItems(opacity)) {
        addRow(opacityPage_, item.title, {}, true, item.checked, false)
            .signal_clicked()
            .connect([this, tag = item.tag] { chooseOpacity(tag); });
    }
}

void BrowserMoreMenu::showPage(Gtk::Box& page, Gtk::Widget* focus) {
    stack_.set_visible_child(page);
    if (get_visible()) {
        place();
    }
    if (focus != nullptr) {
        focus->grab_focus();
    } else {
        unset_focus();
    }
}

void BrowserMoreMenu::popup() {
    auto* parent = dynamic_cast<Gtk::Window*>(button_.get_toplevel());
    if (get_visible() || parent == nullptr || !button_.get_is_drawable()) {
        return;
    }
    set_transient_for(*parent);
    // In the group of its window, so that the toolkit hands the menu what is
    // aimed at that window while the menu is open.
    parent->get_group()->add_window(*this);
    parentUnmapped_ = parent->signal_unmap().connect([this] { popdown(); });
    place();
    show();
    unset_focus();
    if (!grab()) {
        popdown();
        return;
    }
    // The button shows as pressed while its menu is open, and its tooltip
    // gives way to the menu.
    button_.set_state_flags(Gtk::STATE_FLAG_CHECKED, false);
    buttonHadTooltip_ = button_.get_has_tooltip();
    button_.set_has_tooltip(false);
    button_.trigger_tooltip_query();
}

void BrowserMoreMenu::popdown() {
    if (!get_visible()) {
        return;
    }
    release();
    hide();
    closed_.emit();
}

void BrowserMoreMenu::place() {
    auto* parent = dynamic_cast<Gtk::Window*>(button_.get_toplevel());
    int originX = 0;
    int originY = 0;
    parent->get_window()->get_origin(originX, originY);
    int buttonX = 0;
    int buttonY = 0;
    button_.translate_coordinates(*parent, 0, 0, buttonX, buttonY);
    const Rect button{static_cast<double>(originX + buttonX),
                      static_cast<double>(originY + buttonY),
                      static_cast<double>(button_.get_allocated_width()),
                      static_cast<double>(button_.get_allocated_height())};
    Gdk::Rectangle area;
    get_display()
        ->get_monitor_at_point(static_cast<int>(button.midX()), static_cast<int>(button.midY()))
        ->get_workarea(area);
    const Rect workArea{static_cast<double>(area.get_x()), static_cast<double>(area.get_y()),
                        static_cast<double>(area.get_width()),
                        static_cast<double>(area.get_height())};

    scroller_.set_max_content_height(-1);
    Gtk::Requisition minimum;
    Gtk::Requisition natural;
    get_preferred_size(minimum, natural);
    const Size menu{static_cast<double>(natural.width - 2 * shadowMargin_),
                    static_cast<double>(natural.height - 2 * shadowMargin_)};
    const auto placement = MenuPlacement::place(button, menu, workArea, side_);
    side_ = placement.side;
    const Rect& frame = placement.frame;
    if (frame.height < menu.height) {
        int pageMinimum = 0;
        int pageNatural = 0;
        stack_.get_preferred_height(pageMinimum, pageNatural);
        scroller_.set_max_content_height(pageNatural -
                                         static_cast<int>(menu.height - frame.height));
    }
    const int x = static_cast<int>(frame.x) - shadowMargin_;
    const int y = static_cast<int>(frame.y) - shadowMargin_;
    const int width = static_cast<int>(frame.width) + 2 * shadowMargin_;
    const int height = static_cast<int>(frame.height) + 2 * shadowMargin_;
    // An open menu moves and resizes in one step: the toolkit would move it
    // at its old size first, over whatever lies below, which then may not
    // be repainted while the menu holds the pointer.
    if (get_mapped()) {
        get_window()->move_resize(x, y, width, height);
    }
    move(x, y);
    resize(width, height);
}

bool BrowserMoreMenu::grab() {
    GdkSeat* seat = gdk_display_get_default_seat(get_display()->gobj());
    // Owner events: the menu's own widgets get the pointer as usual, and
    // everything else comes to the menu, which closes on it.
    if (gdk_seat_grab(seat, get_window()->gobj(), GDK_SEAT_CAPABILITY_ALL, TRUE, nullptr, nullptr,
                      nullptr, nullptr) != GDK_GRAB_SUCCESS) {
        return false;
    }
    seat_ = seat;
    add_modal_grab();
    // An override-redirect window never gets the window system's focus;
    // telling the toolkit that it has it lets the rows show the keyboard focus.
    GdkEvent* focus = gdk_event_new(GDK_FOCUS_CHANGE);
    focus->focus_change.window = GDK_WINDOW(g_object_ref(get_window()->gobj()));
    focus->focus_change.send_event = TRUE;
    focus->focus_change.in = TRUE;
    gdk_event_set_device(focus, gdk_seat_get_keyboard(seat));
    gtk_widget_send_focus_change(GTK_WIDGET(gobj()), focus);
    gdk_event_free(focus);
    return true;
}

void BrowserMoreMenu::release() {
    parentUnmapped_.disconnect();
    if (seat_ == nullptr) {
        return;
    }
    remove_modal_grab();
    gdk_seat_ungrab(seat_);
    seat_ = nullptr;
    button_.unset_state_flags(Gtk::STATE_FLAG_CHECKED);
    button_.set_has_tooltip(buttonHadTooltip_);
}

bool BrowserMoreMenu::surfaceContains(double rootX, double rootY) const {
    int originX = 0;
    int originY = 0;
    get_window()->get_origin(originX, originY);
    const auto allocation = surface_.get_allocation();
    return Rect{static_cast<double>(originX + allocation.get_x()),
                static_cast<double>(originY + allocation.get_y()),
                static_cast<double>(allocation.get_width()),
                static_cast<double>(allocation.get_height())}
        .contains({rootX, rootY});
}

bool BrowserMoreMenu::on_button_press_event(GdkEventButton* event) {
    // Presses on the rows stop at the rows; what arrives here was made on
    // the menu's padding, or outside it, which closes the menu and is used up.
    if (!surfaceContains(event->x_root, event->y_root)) {
        popdown();
        return true;
    }
    return Gtk::Window::on_button_press_event(event);
}

bool BrowserMoreMenu::on_key_press_event(GdkEventKey* event) {
    const bool onOpacityPage = stack_.get_visible_child() == &opacityPage_;
    switch (event->keyval) {
        case GDK_KEY_Escape:
            popdown();
            return true;
        case GDK_KEY_Up:
        case GDK_KEY_KP_Up:
            moveFocus(false);
            return true;
        case GDK_KEY_Down:
        case GDK_KEY_KP_Down:
            moveFocus(true);
            return true;
        case GDK_KEY_Right:
        case GDK_KEY_KP_Right:
            if (opacityRow_ != nullptr && get_focus() == opacityRow_) {
                showPage(opacityPage_, nullptr);
                moveFocus(true);
                return true;
            }
            break;
        case GDK_KEY_Left:
        case GDK_KEY_KP_Left:
            if (onOpacityPage) {
                showPage(mainPage_, opacityRow_);
                return true;
            }
            break;
        default:
            break;
    }
    return Gtk::Window::on_key_press_event(event);
}

bool BrowserMoreMenu::grabBroken(GdkEventGrabBroken* event) {
    // Another program took the pointer or the keyboard: the menu can no
    // longer tell a click outside it, so it closes.
    if (seat_ != nullptr && event->grab_window != get_window()->gobj()) {
        popdown();
    }
    return true;
}

void BrowserMoreMenu::moveFocus(bool forward) {
    // Up and down step through the rows and controls of the page and wrap
    // around at its ends, as in a menu; the slider keeps left and right.
    std::vector<Gtk::Widget*> focusable;
    collectFocusable(*stack_.get_visible_child(), focusable);
    if (focusable.empty()) {
        return;
    }
    const auto current = std::ranges::find(focusable, get_focus());
    std::size_t next = 0;
    if (current == focusable.end()) {
        next = forward ? 0 : focusable.size() - 1;
    } else {
        const auto index = static_cast<std::size_t>(current - focusable.begin());
        next = (index + (forward ? 1 : focusable.size() - 1)) % focusable.size();
    }
    focusable[next]->grab_focus();
}

void BrowserMoreMenu::activate(MoreMenuAction action) {
    // Copied first: the owner may release this menu once it has closed.
    auto handler = handlers_.activate;
    popdown();
    if (handler) {
        handler(action);
    }
}

void BrowserMoreMenu::chooseOpacity(int tag) {
    auto handler = handlers_.setOpacity;
    popdown();
    if (handler) {
        handler(tag);
    }
}

}  // namespace velumo
