#pragma once

#include <string>

#include <gtkmm/box.h>
#include <gtkmm/button.h>
#include <gtkmm/eventbox.h>
#include <gtkmm/image.h>
#include <gtkmm/label.h>
#include <gtkmm/overlay.h>
#include <gtkmm/scale.h>

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
    void buildNormalControls();
    void buildAdvertisementControls();
    // An icon button sending `command` to the delegate, if there is one.
    void setUpIconButton(Gtk::Button& button, Gtk::Image& image, const char* symbol,
                         const char* label, void (BrowserToolbarDelegate::*command)());
    bool opacityChanged(double value);
    void showMore(Gtk::Button& button);

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
    Gtk::Scale opacitySlider_{Gtk::ORIENTATION_HORIZONTAL};
    Gtk::Label opacityLabel_{"100%"};
    Gtk::Button backButton_;
    Gtk::Button forwardButton_;
    Gtk::Button reloadButton_;
    Gtk::Button autoHideButton_;
    Gtk::Button pinButton_;
    Gtk::Button modeButton_;
    Gtk::Button moreButton_;
    Gtk::Button closeButton_;
    Gtk::Image backImage_;
    Gtk::Image forwardImage_;
    Gtk::Image reloadImage_;
    Gtk::Image autoHideImage_;
    Gtk::Image pinImage_;
    Gtk::Image modeImage_;
    Gtk::Image moreImage_;
    Gtk::Image closeImage_;

    Gtk::Label advertisementBadge_{"广告"};
    Gtk::Box advertisementSpacer_;
    Gtk::Button restoreButton_;
    Gtk::Button advertisementMoreButton_;
    Gtk::Button advertisementCloseButton_;
    Gtk::Image restoreImage_;
    Gtk::Image advertisementMoreImage_;
    Gtk::Image advertisementCloseImage_;
};

}  // namespace velumo
