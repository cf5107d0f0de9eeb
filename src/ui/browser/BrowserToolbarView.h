#pragma once

#include <initializer_list>
#include <string>

#include <gtkmm/box.h>
#include <gtkmm/button.h>
#include <gtkmm/eventbox.h>
#include <gtkmm/label.h>
#include <gtkmm/overlay.h>

#include "design/PercentSlider.h"
#include "design/WidthLimitedLabel.h"

namespace velumo {

class BrowserToolbarDelegate;

// The control bar across the top of a floating window, with three faces: the
// full row (window mode), the small "广告" row (advertisement mode) and the
// thin handle shown while folded. Dragging its empty area moves the window.
class BrowserToolbarView : public Gtk::EventBox {
  public:
    BrowserToolbarView();
    ~BrowserToolbarView() override;

    // Not owned; the controller clears it before it goes away.
    void setDelegate(BrowserToolbarDelegate* delegate);

    void update(const std::string& title, bool canGoBack, bool canGoForward);
    void setOpacity(double value);
    void setAutoHide(bool on);
    void setPinned(bool on);

    bool advertisementMode() const { return advertisementMode_; }
    void setAdvertisementMode(bool on) { advertisementMode_ = on; }
    bool collapsed() const { return collapsed_; }
    void setCollapsed(bool on) { collapsed_ = on; }
    // Shows the face that `collapsed` and `advertisementMode` select.
    void updateVisibility();

    // The more button of the face on show; the more-menu points at it.
    Gtk::Widget& moreButton();

  protected:
    bool on_button_press_event(GdkEventButton* event) override;

  private:
    struct IconButton {
        Gtk::Button& button;
        const char* symbol;
        const char* label;
        // None for the more buttons, which send themselves to `toolbarShowMore`.
        void (BrowserToolbarDelegate::*command)();
    };

    void buildNormalControls();
    void buildAdvertisementControls();
    // Sets up icon buttons sending their commands to the delegate, if there
    // is one, and adds them to `row` with `spacing` after each but the last.
    void addIconButtons(Gtk::Box& row, int spacing, std::initializer_list<IconButton> buttons);

    BrowserToolbarDelegate* delegate_ = nullptr;
    bool advertisementMode_ = false;
    bool collapsed_ = false;

    // Containers come before their children so that the children go first.
    Gtk::Overlay overlay_;
    Gtk::Box faces_{Gtk::ORIENTATION_VERTICAL};
    Gtk::Box normalControls_{Gtk::ORIENTATION_HORIZONTAL};
    Gtk::Box advertisementControls_{Gtk::ORIENTATION_HORIZONTAL, 8};
    Gtk::Box collapseHandle_;

    WidthLimitedLabel titleLabel_{44, 180};
    Gtk::Box normalSpacer_;
    PercentSlider opacity_;
    Gtk::Button backButton_;
    Gtk::Button forwardButton_;
    Gtk::Button reloadButton_;
    Gtk::Button autoHideButton_;
    Gtk::Button pinButton_;
    Gtk::Button modeButton_;
    Gtk::Button moreButton_;
    Gtk::Button closeButton_;

    Gtk::Label advertisementBadge_{"广告"};
    Gtk::Box advertisementSpacer_;
    Gtk::Button restoreButton_;
    Gtk::Button advertisementMoreButton_;
    Gtk::Button advertisementCloseButton_;
};

}  // namespace velumo
