#pragma once

#include <gtkmm/popover.h>

#include <functional>

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
};

}  // namespace velumo
