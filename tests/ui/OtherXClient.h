#pragma once

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "browser/WindowGeometry.h"

namespace velumo::uitest {

// A client window of the desktop as the window manager lists it.
struct ClientWindow {
    std::uint64_t id = 0;
    std::string title;
    bool dialog = false;
    bool operator==(const ClientWindow&) const = default;
};

// A second connection to the X server, which sees the desktop as another
// application does: it grabs keys and looks at the windows the window
// manager lists (of any process).
class OtherXClient {
  public:
    OtherXClient();
    OtherXClient(const OtherXClient&) = delete;
    OtherXClient& operator=(const OtherXClient&) = delete;
    ~OtherXClient();

    // Grabs the key of `keysym` with the modifiers its modifier keys set (as
    // XK_Super_L); answers whether the server allowed it.
    bool grab(unsigned keysym, std::initializer_list<unsigned> modifierKeys);
    // Whether another client holds that grab, which the server shows by
    // refusing it. Leaves this client no grab of the key.
    bool grabbedElsewhere(unsigned keysym, std::initializer_list<unsigned> modifierKeys);

    // The windows the window manager shows for process `pid`, in its
    // stacking order from bottom to top (hidden windows are not listed).
    std::vector<ClientWindow> windowsOf(int pid);
    // The X server times with which applications asked the window manager to
    // activate `window` (_NET_ACTIVE_WINDOW requests) since the last call.
    std::vector<std::uint32_t> activationTimes(std::uint64_t window);
    // The window with the input focus (_NET_ACTIVE_WINDOW), if any.
    std::optional<std::uint64_t> activeWindow();
    // The window's frame on the screen, decorations included.
    Rect frame(std::uint64_t window);
    // The opacity the window asks the compositor for (1 when it asks for none).
    double opacity(std::uint64_t window);
    // Whether the window manager keeps the window above others.
    bool above(std::uint64_t window);
    // Asks the window manager to close the window, as its close button does.
    void requestClose(std::uint64_t window);
    // Asks the window manager to move the window's frame to `origin`.
    void requestMove(std::uint64_t window, Point origin);
    // Asks the window manager to give the window the focus, as a pager does.
    void requestActivate(std::uint64_t window);

    // Opens a window of this client over the whole screen, waits until the
    // window manager shows it, and answers it.
    std::uint64_t openScreenWindow();
    // The pointer events it received since the last call: "press N" (for
    // button N, 4 and 5 being the wheel) and "motion" once for any motion.
    std::vector<std::string> pointerEvents();

  private:
    struct Connection;
    // Reads what the server sent, keeping what the calls above answer.
    void readEvents();

    Connection* connection_;
    // Requests read but not asked for yet: window and time.
    std::vector<std::pair<std::uint64_t, std::uint32_t>> activations_;
    std::vector<std::string> pointerEvents_;
};

}  // namespace velumo::uitest
