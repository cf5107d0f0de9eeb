#include "browser/FloatingWindow.h"

#include "NotificationCenter.h"
#include "browser/BrowserWindowManager.h"

namespace velumo {

void FloatingWindow::announceChange() const {
    NotificationCenter::defaultCenter().post(browserWindowsDidChange, this);
}

}  // namespace velumo
