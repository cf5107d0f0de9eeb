#pragma once

#include <functional>
#include <optional>
#include <string>

#include <gtkmm/box.h>
#include <gtkmm/button.h>
#include <gtkmm/popover.h>
#include <gtkmm/scrolledwindow.h>
#include <gtkmm/stack.h>

#include "browser/MoreMenuModel.h"
#include "browser/PageDisplayControlsDelegate.h"
#include "data/Models.h"

namespace velumo {

// The more-menu of a floating window as a popover under the more button,
// built from the window's state each time it opens.
class BrowserMoreMenu : public Gtk::Popover {
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

    BrowserMoreMenu(Gtk::Widget& relativeTo, const Content& content, Handlers handlers);

  private:
    // A model-button row: an optional state column, the title and, at the
    // right, a key hint or a submenu arrow.
    static Gtk::Button& addRow(Gtk::Box& page, const std::string& title, const std::string& keyHint,
                               bool stateColumn, std::optional<bool> checked, bool submenu);
    void buildMainPage(const Content& content);
    void buildOpacityPage(double opacity);
    // Both close the menu first, then hand the choice on.
    void activate(MoreMenuAction action);
    void chooseOpacity(int tag);

    Handlers handlers_;
    Gtk::ScrolledWindow scroller_;
    Gtk::Stack stack_;
    Gtk::Box mainPage_{Gtk::ORIENTATION_VERTICAL};
    Gtk::Box opacityPage_{Gtk::ORIENTATION_VERTICAL};
};

}  // namespace velumo
