#pragma once

#include <gtkmm/box.h>
#include <gtkmm/button.h>
#include <gtkmm/eventbox.h>
#include <gtkmm/label.h>
#include <gtkmm/scale.h>

#include <string>

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

private:
    BrowserToolbarDelegate* delegate_ = nullptr;
    bool advertisementMode_ = false;
    bool collapsed_ = false;
};

}  // namespace velumo
