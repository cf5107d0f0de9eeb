#include "browser/BrowserMoreMenu.h"

#include <algorithm>
#include <atkmm/object.h>

#include <gtkmm/image.h>
#include <gtkmm/label.h>
#include <gtkmm/separator.h>

#include "browser/PageDisplayControlsView.h"
#include "design/ChromeStyle.h"
#include "design/SymbolIcons.h"

namespace velumo {

namespace {

constexpr int menuIconSize = 16;
// The popover's tail, border, padding and a small gap to the window's edge.
constexpr int popoverChrome = 40;
constexpr int minimumMenuHeight = 120;
const char* const mainPageName = "main";
const char* const opacityPageName = "opacity";

void addSeparator(Gtk::Box& page) {
    page.pack_start(*Gtk::make_managed<Gtk::Separator>(Gtk::ORIENTATION_HORIZONTAL),
                    Gtk::PACK_SHRINK);
}

// A popover cannot leave its window, so a menu taller than the room below its
// button scrolls rather than being cut off; -1 when the button is not on
// screen yet and there is no room to measure.
int roomBelow(Gtk::Widget& anchor) {
    auto* window = anchor.get_toplevel();
    if (window == nullptr || !window->get_is_toplevel() || !anchor.get_realized()) {
        return -1;
    }
    int x = 0;
    int bottom = 0;
    anchor.translate_coordinates(*window, 0, anchor.get_allocated_height(), x, bottom);
    return std::max(minimumMenuHeight, window->get_allocated_height() - bottom - popoverChrome);
}

}  // namespace

BrowserMoreMenu::BrowserMoreMenu(Gtk::Widget& relativeTo, const Content& content, Handlers handlers)
    : handlers_(std::move(handlers)) {
    ChromeStyle::install();
    get_style_context()->add_class("velumo-more-menu");
    set_relative_to(relativeTo);
    set_position(Gtk::POS_BOTTOM);

    buildMainPage(content);
    buildOpacityPage(content.opacity);
    stack_.set_hhomogeneous(true);
    stack_.set_vhomogeneous(false);
    stack_.set_interpolate_size(true);
    stack_.set_transition_type(Gtk::STACK_TRANSITION_TYPE_SLIDE_LEFT_RIGHT);
    stack_.add(mainPage_, mainPageName);
    stack_.add(opacityPage_, opacityPageName);
    scroller_.set_policy(Gtk::POLICY_NEVER, Gtk::POLICY_AUTOMATIC);
    scroller_.set_propagate_natural_width(true);
    scroller_.set_propagate_natural_height(true);
    scroller_.set_max_content_height(roomBelow(relativeTo));
    scroller_.add(stack_);
    add(scroller_);
    scroller_.show_all();
    stack_.set_visible_child(mainPage_);
}

Gtk::Button& BrowserMoreMenu::addRow(Gtk::Box& page, const std::string& title,
                                     const std::string& keyHint, bool stateColumn,
                                     std::optional<bool> checked, bool submenu) {
    auto* row = Gtk::make_managed<Gtk::Button>();
    row->set_relief(Gtk::RELIEF_NONE);
    // The theme draws buttons with these classes as popover menu items.
    row->get_style_context()->add_class("menuitem");
    row->get_style_context()->add_class("button");
    row->get_accessible()->set_name(title);

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
    row->add(*content);
    page.pack_start(*row, Gtk::PACK_SHRINK);
    return *row;
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
                addRow(mainPage_, item.title, {}, stateColumn, std::nullopt, true)
                    .signal_clicked()
                    .connect([this] { stack_.set_visible_child(opacityPage_); });
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
    auto* back = Gtk::make_managed<Gtk::Button>();
    back->set_relief(Gtk::RELIEF_NONE);
    back->get_style_context()->add_class("menuitem");
    back->get_style_context()->add_class("button");
    back->get_accessible()->set_name("返回");
    auto* header = Gtk::make_managed<Gtk::Box>(Gtk::ORIENTATION_HORIZONTAL, 8);
    header->pack_start(*SymbolIcons::makeImage("chevron.backward", menuIconSize), Gtk::PACK_SHRINK);
    auto* title = Gtk::make_managed<Gtk::Label>("透明度");
    title->get_style_context()->add_class("velumo-submenu-title");
    header->set_center_widget(*title);
    back->add(*header);
    back->signal_clicked().connect([this] { stack_.set_visible_child(mainPage_); });
    opacityPage_.pack_start(*back, Gtk::PACK_SHRINK);
    addSeparator(opacityPage_);

    for (const auto& item : opacityMenuItems(opacity)) {
        addRow(opacityPage_, item.title, {}, true, item.checked, false)
            .signal_clicked()
            .connect([this, tag = item.tag] { chooseOpacity(tag); });
    }
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
