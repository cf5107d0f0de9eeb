#pragma once

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <gtkmm/window.h>
#include <webkit2/webkit2.h>

#include "browser/WindowGeometry.h"

// Helpers for tests that drive real windows and pages: running the main loop
// until something happens, and synthetic input through XTest, which reaches
// GTK exactly as a person's pointer and keyboard would.
namespace velumo::uitest {

// Runs the default main loop until `condition` holds or 15 seconds pass;
// answers whether it held.
bool runUntil(const std::function<bool()>& condition);
// Runs the main loop for `duration` (under 15 seconds), for checks that
// something does not happen.
void runFor(std::chrono::milliseconds duration);
// Dispatches what is pending without waiting for more.
void drainMainLoop();

// Presents the window and waits until the window manager has framed, placed
// and focused it; before that, synthetic input may land on the wrong spot.
bool presentAndWait(Gtk::Window& window);

// Where `widget` is on the screen, in root-window coordinates.
Rect rootFrame(Gtk::Widget& widget);

// Root-window coordinates; each call waits until GTK has seen the event.
void movePointer(Point point);
void pressButton();
void releaseButton();
void click(Point point);
// Turns the wheel one notch towards the reader, where the pointer is.
void scrollDown();
// Clicks the centre of `widget`.
void clickOn(Gtk::Widget& widget);
// Presses and releases the key of an X keysym, such as XK_Escape.
void tapKey(unsigned keysym);
// Presses the keys in order and releases them in reverse, as a person types
// a combination: tapKeys({XK_Control_L, XK_n}).
void tapKeys(const std::vector<unsigned>& keysyms);
// The same with keys named by their place on the keyboard (XKB key names, as
// "AD11" for the key right of P) after the modifier keys' keysyms, whatever
// the layout types there.
void tapKeysAt(const std::vector<unsigned>& modifierKeysyms, const std::string& keyName);
// Switches the display's keyboard layout (setxkbmap) and waits until GTK has
// taken in the new keymap; answers whether it did.
bool setKeyboardLayout(const std::string& layout);

// The items of a 32-bit X property of the window as text: atoms by name
// (as in _NET_WM_STATE), numbers in decimal.
std::vector<std::string> windowProperty(Gtk::Window& window, const char* name);

// The array of strings (`element` "s") or object paths ("o") a method on the
// session bus answers with; none when the call fails.
std::vector<std::string> busStrings(const char* name, const char* path, const char* interface,
                                    const char* method, const char* element);

// The result of `script` in the page's main frame as text; none when it throws.
std::optional<std::string> evaluateScript(WebKitWebView* view, const std::string& script);

// While it lives, a GLib complaint with exactly `message` fails no test: for
// a fault of a library outside Velumo that the test cannot steer clear of.
class ToleratedComplaint {
  public:
    explicit ToleratedComplaint(std::string message);
    ~ToleratedComplaint();
    ToleratedComplaint(const ToleratedComplaint&) = delete;
    ToleratedComplaint& operator=(const ToleratedComplaint&) = delete;

    static bool tolerates(const std::string& message);

  private:
    std::string message_;
};

// Base of UI test fixtures: lets GTK finish pending work (destroying windows,
// idle callbacks) before the test ends, so complaints it logs meanwhile are
// charged to the test that caused them.
class UiTest : public ::testing::Test {
  protected:
    void TearDown() override;
};

}  // namespace velumo::uitest
