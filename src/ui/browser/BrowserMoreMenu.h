#pragma once

#include <functional>
#include <optional>
#include <string>

#include <gtkmm/box.h>
#include <gtkmm/button.h>
#include <gtkmm/scrolledwindow.h>
#include <gtkmm/stack.h>
#include <gtkmm/window.h>

#include "browser/MenuPlacement.h"
#include "browser/MoreMenuModel.h"
#include "browser/PageDisplayControlsDelegate.h"
#include "data/Models.h"

namespace velumo {

// The more-menu of a floating window, built from the window's state each time
// it opens. It is a pop-up window of its own, as the toolkit's menus are, so
// it may reach past the small window of its button: it opens under the
// button, or above it where the screen has no room below, and holds the
// pointer and keyboard while open. A click outside it or Escape closes it;
// choosing an item closes it, then hands the choice on.
class BrowserMoreMenu : public Gtk::Window {
  public:
    struct Content {
        MoreMenuState state;
        double opacity = 1.0;
        double pageZoom = 1.0;
        BrowserIdentityMode identity = BrowserIdentityMode::desktop;
    };
    struct Handlers {
        std::function<void(MoreMenuAction)> activate;
        std::function<void(int tag)> setOpacity;
        // Not owned; receives the embedded display controls' commands.
        PageDisplayControlsDelegate* displayControls = nullptr;
    };

    // `button` must outlive the menu.
    BrowserMoreMenu(Gtk::Widget& button, const Content& content, Handlers handlers);
    ~BrowserMoreMenu() override;
    BrowserMoreMenu(const BrowserMoreMenu&) = delete;
    BrowserMoreMenu& operator=(const BrowserMoreMenu&) = delete;

    // Opens the menu at its button; does nothing while the button is not on screen.
    void popup();
    void popdown();
    // Emitted each time the menu closes, from inside the closing call.
    sigc::signal<void()>& signalClosed() { return closed_; }

  protected:
    bool on_button_press_event(GdkEventButton* event) override;
    bool on_key_press_event(GdkEventKey* event) override;

  private:
    // A model-button row: an optional state column, the title and, at the
    // right, a key hint or a submenu arrow.
    static Gtk::Button& addRow(Gtk::Box& page, const std::string& title, const std::string& keyHint,
                               bool stateColumn, std::optional<bool> checked, bool submenu);
    void buildMainPage(const Content& content);
    void buildOpacityPage(double opacity);
    void showPage(Gtk::Box& page, Gtk::Widget* focus);
    // Sizes and moves the window for the page on show.
    void place();
    bool grab();
    void release();
    bool grabBroken(GdkEventGrabBroken* event);
    bool surfaceContains(double rootX, double rootY) const;
    void moveFocus(bool forward);
    // Both close the menu first, then hand the choice on.
    void activate(MoreMenuAction action);
    void chooseOpacity(int tag);

    Gtk::Widget& button_;
    Handlers handlers_;
    int shadowMargin_ = 0;
    std::optional<MenuPlacement::Side> side_;
    GdkSeat* seat_ = nullptr;
    bool buttonHadTooltip_ = false;
    sigc::connection parentUnmapped_;
    sigc::signal<void()> closed_;

    Gtk::Box surface_{Gtk::ORIENTATION_VERTICAL};
    Gtk::ScrolledWindow scroller_;
    Gtk::Stack stack_;
    Gtk::Box mainPage_{Gtk::ORIENTATION_VERTICAL};
    Gtk::Box opacityPage_{Gtk::ORIENTATION_VERTICAL};
    Gtk::Button* opacityRow_ = nullptr;
};

}  // namespace velumo
