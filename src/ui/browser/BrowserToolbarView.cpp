#include "browser/BrowserToolbarView.h"

#include <atkmm/object.h>
#include <iterator>

#include <gtkmm/image.h>
#include <gtkmm/window.h>

#include "browser/BrowserToolbarDelegate.h"
#include "browser/WindowGeometry.h"
#include "design/ChromeStyle.h"
#include "design/SymbolIcons.h"

namespace velumo {

namespace {

constexpr int rowInset = 8;
constexpr int rowSpacing = 4;
constexpr int iconButtonWidth = 25;
constexpr int iconSize = 13;
constexpr int handleWidth = 56;
constexpr int handleHeight = 4;
constexpr int handleTop = 3;

const char* const orangeTint = "velumo-tint-orange";
const char* const greenTint = "velumo-tint-green";

void setClass(Gtk::Widget& widget, const char* name, bool on) {
    auto style = widget.get_style_context();
    if (on) {
        style->add_class(name);
    } else {
        style->remove_class(name);
    }
}

// The space after a control; the rows use no box spacing of their own, so
// that some gaps can be narrower or wider than the rest.
void spaceAfter(Gtk::Widget& widget, int space) {
    widget.set_margin_end(space);
}

}  // namespace

BrowserToolbarView::BrowserToolbarView()
    : opacity_(1.0, {.minimum = 0.1, .maximum = 1.0, .step = 0.05},
               {.sliderWidth = 72, .labelWidth = 34, .spacing = 3},
               WindowGeometry::opacityFromSlider) {
    ChromeStyle::install();
    get_style_context()->add_class("velumo-toolbar");
    get_style_context()->add_class("titlebar");
    add_events(Gdk::BUTTON_PRESS_MASK);

    buildNormalControls();
    buildAdvertisementControls();

    collapseHandle_.get_style_context()->add_class("velumo-collapse-handle");
    collapseHandle_.set_size_request(handleWidth, handleHeight);
    collapseHandle_.set_halign(Gtk::ALIGN_CENTER);
    collapseHandle_.set_valign(Gtk::ALIGN_START);
    collapseHandle_.set_margin_top(handleTop);

    faces_.set_valign(Gtk::ALIGN_CENTER);
    faces_.pack_start(normalControls_, Gtk::PACK_SHRINK);
    faces_.pack_start(advertisementControls_, Gtk::PACK_SHRINK);
    overlay_.add(faces_);
    overlay_.add_overlay(collapseHandle_);
    overlay_.set_overlay_pass_through(collapseHandle_, true);
    add(overlay_);

    // The faces are switched only by updateVisibility(), never by a
    // show_all() of the window around the bar.
    for (Gtk::Box* face : {&normalControls_, &advertisementControls_, &collapseHandle_}) {
        face->show_all_children();
        face->set_no_show_all(true);
    }
    faces_.show();
    overlay_.show();
    updateVisibility();
}

BrowserToolbarView::~BrowserToolbarView() = default;

void BrowserToolbarView::buildNormalControls() {
    normalControls_.set_margin_start(rowInset);
    normalControls_.set_margin_end(rowInset);
    normalControls_.set_valign(Gtk::ALIGN_CENTER);

    titleLabel_.set_text("正在打开…");
    titleLabel_.set_xalign(0);
    titleLabel_.get_style_context()->add_class("velumo-title");
    spaceAfter(titleLabel_, rowSpacing);
    normalControls_.pack_start(titleLabel_, Gtk::PACK_SHRINK);

    normalSpacer_.set_hexpand(true);
    normalControls_.pack_start(normalSpacer_, Gtk::PACK_EXPAND_WIDGET);

    opacity_.slider().set_tooltip_text("透明度");
    opacity_.slider().get_accessible()->set_name("透明度");
    opacity_.slider().set_focus_on_click(false);
    opacity_.onChange([this](double value) {
        if (delegate_ != nullptr) {
            delegate_->toolbarSetOpacity(value);
        }
    });
    spaceAfter(opacity_, 8);
    normalControls_.pack_start(opacity_, Gtk::PACK_SHRINK);

    using Delegate = BrowserToolbarDelegate;
    addIconButtons(
        normalControls_, rowSpacing,
        {{backButton_, "chevron.left", "后退", &Delegate::toolbarGoBack},
         {forwardButton_, "chevron.right", "前进", &Delegate::toolbarGoForward},
         {reloadButton_, "arrow.clockwise", "刷新", &Delegate::toolbarReload},
         {autoHideButton_, "eye", "鼠标离开自动隐藏", &Delegate::toolbarToggleAutoHide},
         {pinButton_, "pin", "置顶", &Delegate::toolbarToggleAlwaysOnTop},
         {modeButton_, "rectangle.on.rectangle", "广告模式", &Delegate::toolbarToggleMode},
         {moreButton_, "ellipsis", "更多", nullptr},
         {closeButton_, "xmark", "关闭", &Delegate::toolbarClose}});
    spaceAfter(reloadButton_, 8);
    backButton_.set_sensitive(false);
    forwardButton_.set_sensitive(false);
}

void BrowserToolbarView::buildAdvertisementControls() {
    advertisementControls_.set_margin_start(rowInset);
    advertisementControls_.set_margin_end(rowInset);
    advertisementControls_.set_valign(Gtk::ALIGN_CENTER);

    advertisementBadge_.get_style_context()->add_class("velumo-badge");
    advertisementControls_.pack_start(advertisementBadge_, Gtk::PACK_SHRINK);
    advertisementSpacer_.set_hexpand(true);
    advertisementControls_.pack_start(advertisementSpacer_, Gtk::PACK_EXPAND_WIDGET);

    using Delegate = BrowserToolbarDelegate;
    addIconButtons(advertisementControls_, 0,
                   {{restoreButton_, "rectangle.expand.vertical", "恢复窗口模式",
                     &Delegate::toolbarRestoreWindowMode},
                    {advertisementMoreButton_, "ellipsis", "更多", nullptr},
                    {advertisementCloseButton_, "xmark", "关闭", &Delegate::toolbarClose}});
}

void BrowserToolbarView::addIconButtons(Gtk::Box& row, int spacing,
                                        std::initializer_list<IconButton> buttons) {
    for (const auto& [button, symbol, label, command] : buttons) {
        button.add(*SymbolIcons::makeImage(symbol, iconSize));
        button.set_relief(Gtk::RELIEF_NONE);
        button.get_style_context()->add_class("velumo-icon-button");
        button.get_style_context()->add_class("image-button");
        button.set_size_request(iconButtonWidth, -1);
        button.set_valign(Gtk::ALIGN_CENTER);
        // The page keeps the keyboard focus when a bar button is clicked.
        button.set_focus_on_click(false);
        button.set_tooltip_text(label);
        button.get_accessible()->set_name(label);
        button.signal_clicked().connect([this, &button, command] {
            if (delegate_ == nullptr) {
                return;
            }
            if (command != nullptr) {
                (delegate_->*command)();
            } else {
                delegate_->toolbarShowMore(button);
            }
        });
        spaceAfter(button, &button == &std::prev(buttons.end())->button ? 0 : spacing);
        row.pack_start(button, Gtk::PACK_SHRINK);
    }
}

void BrowserToolbarView::setDelegate(BrowserToolbarDelegate* delegate) {
    delegate_ = delegate;
}

void BrowserToolbarView::update(const std::string& title, bool canGoBack, bool canGoForward) {
    titleLabel_.set_text(title);
    titleLabel_.set_tooltip_text(title);
    backButton_.set_sensitive(canGoBack);
    forwardButton_.set_sensitive(canGoForward);
}

void BrowserToolbarView::setOpacity(double value) {
    opacity_.setValue(value);
}

void BrowserToolbarView::setAutoHide(bool on) {
    SymbolIcons::setImage(dynamic_cast<Gtk::Image&>(*autoHideButton_.get_child()),
                          on ? "eye.slash" : "eye", iconSize);
    setClass(autoHideButton_, orangeTint, on);
}

void BrowserToolbarView::setPinned(bool on) {
    setClass(pinButton_, greenTint, on);
}

void BrowserToolbarView::updateVisibility() {
    normalControls_.set_visible(!collapsed_ && !advertisementMode_);
    advertisementControls_.set_visible(!collapsed_ && advertisementMode_);
    collapseHandle_.set_visible(collapsed_ && !advertisementMode_);
}

Gtk::Widget& BrowserToolbarView::moreButton() {
    if (advertisementMode_) {
        return advertisementMoreButton_;
    }
    return moreButton_;
}

bool BrowserToolbarView::on_button_press_event(GdkEventButton* event) {
    // Presses on the controls stop at the controls; what arrives here was
    // made on the bar's empty area and moves the window.
    auto* window = dynamic_cast<Gtk::Window*>(get_toplevel());
    if (window != nullptr && event->type == GDK_BUTTON_PRESS &&
        event->button == GDK_BUTTON_PRIMARY) {
        window->begin_move_drag(static_cast<int>(event->button), static_cast<int>(event->x_root),
                                static_cast<int>(event->y_root), event->time);
        return true;
    }
    return Gtk::EventBox::on_button_press_event(event);
}

}  // namespace velumo
