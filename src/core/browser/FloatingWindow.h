#pragma once

#include <string>

#include "browser/SavedState.h"
#include "data/Models.h"

namespace velumo {

// What the window set needs of one floating window. The desktop layer's
// BrowserWindowController implements it; tests use a fake.
class FloatingWindow {
  public:
    virtual ~FloatingWindow() = default;

    // Shows the panel, makes it key and activates the application; the page
    // is created as the panel first shows.
    virtual void showWindow() = 0;
    // Pauses media, hides the panel (it stays in the set) and announces it.
    virtual void hideWindow() = 0;
    // Hides the panel when visible, otherwise brings it forward and announces it.
    virtual void toggleVisibility() = 0;
    // Centres the panel on the screen under the pointer when it is on another
    // screen; answers whether it moved.
    virtual bool moveToMouseScreenIfNeeded() = 0;
    virtual void orderFrontRegardless() = 0;
    virtual void makeKey() = 0;
    virtual bool isVisible() const = 0;
    // Closes for good, once; the window removes itself from its manager while
    // closing.
    virtual void closePermanently() = 0;
    virtual bool isClosing() const = 0;
    // The close button of the workbench's window list: the same as closing
    // for good from the window itself.
    void closeFromUI() { closePermanently(); }
    // Switches between window and advertisement mode, and announces it.
    virtual void toggleModeFromUI() = 0;

    virtual std::string displayTitle() const = 0;
    virtual std::string currentURL() const = 0;
    virtual BrowserWindowMode mode() const = 0;

    // A ghost lets the pointer through to the windows beneath it, control bar
    // included, while its page stays on screen; it never hides on pointer
    // exit. Setting it announces the change.
    virtual bool isGhost() const = 0;
    virtual void setGhost(bool ghost) = 0;
    // Its first page, or the error page in its place, has arrived and been
    // drawn; the window announces the change.
    virtual bool pageArrived() const = 0;
    // The window as the next start would bring it back.
    virtual SavedWindow savedState() const = 0;
    // Takes on a saved window's place, size and settings, before it first shows.
    virtual void restore(const SavedWindow& saved) = 0;

    // Posts browserWindowsDidChange with this window as the object. Observers
    // compare the object with FloatingWindow pointers, so a class deriving
    // from several bases announces through this rather than with its own
    // `this`, whose address may differ.
    void announceChange() const;
};

}  // namespace velumo
