#pragma once

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <gtkmm/window.h>
#include <webkit2/webkit2.h>

// Helpers for tests that drive real windows and pages: running the main loop
// until something happens, and synthetic input through XTest, which reaches
// GTK exactly as a person's pointer and keyboard would.
namespace velumo::uitest {

inline constexpr std::chrono::milliseconds defaultDeadline{15000};

// Runs the default main loop until `condition` holds or the deadline passes;
// answers whether it held.
bool runUntil(const std::function<bool()>& condition,
              std::chrono::milliseconds deadline = defaultDeadline);

// Runs the main loop for a while, for checks that something does not happen.
void runFor(std::chrono::milliseconds duration);

// Dispatches what is pending without waiting for more.
void drainMainLoop();

// Presents the window and waits until the window manager has framed, placed
// and focused it; before that, synthetic input may land on the wrong spot.
bool presentAndWait(Gtk::Window& window);

// Root-window coordinates; each call is flushed to the X server at once.
void movePointer(int x, int y);
void pressButton(unsigned button = 1);
void releaseButton(unsigned button = 1);
void click(int x, int y, unsigned button = 1);
// Presses the modifiers (keysyms such as XK_Control_L), taps the key and
// releases the modifiers in reverse order.
void tapKey(unsigned keysym, const std::vector<unsigned>& modifiers = {});
// The pointer's root-window position as the X server has it.
std::pair<int, int> pointerPosition();

// Window properties as the window manager and the X server have them.
std::optional<unsigned long> cardinalProperty(Gtk::Window& window, const char* name);
// The names in _NET_WM_STATE, e.g. "_NET_WM_STATE_ABOVE".
std::vector<std::string> windowManagerStates(Gtk::Window& window);
// The opacity the window system was given for the window (1.0 when none).
double windowSystemOpacity(Gtk::Window& window);

// Evaluates `script` in the page's main frame and answers its result as text;
// none when it throws or the deadline passes.
std::optional<std::string> evaluateScript(WebKitWebView* view, const std::string& script);

// Base of UI test fixtures: lets GTK finish pending work (destroying windows,
// idle callbacks) before the test ends, so complaints it logs meanwhile are
// charged to the test that caused them.
class UiTest : public ::testing::Test {
  protected:
    void TearDown() override;
};

}  // namespace velumo::uitest
