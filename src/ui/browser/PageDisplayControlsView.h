#pragma once

#include <gtkmm/box.h>

#include "browser/PageDisplayControlsDelegate.h"
#include "data/Models.h"

namespace velumo {

// The zoom slider (tenths, 30 % to 300 %), "恢复 100%" and the "电脑" / "手机"
// switch, embedded in the more-menu and rebuilt each time it opens.
class PageDisplayControlsView : public Gtk::Box {
public:
    // `delegate` is not owned and may be null (the controls then change nothing).
    PageDisplayControlsView(double zoom, BrowserIdentityMode mode,
                            PageDisplayControlsDelegate* delegate);
};

}  // namespace velumo
