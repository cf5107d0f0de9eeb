#pragma once

#include <cstdint>

namespace velumo {

// The X server time to present a window with. A window manager gives the
// focus only to a window presented with the time of a recent input; a global
// hot key reaches its action one main-loop turn after its key event, when GTK
// no longer knows that event, so the hot-key service leaves its time here.
class ActivationTime {
  public:
    static void recordHotKeyPress(std::uint32_t time);
    // The time of the event being handled; otherwise the last hot-key press
    // when no input to our own windows came after it; otherwise 0, with which
    // GTK takes the time of the last input its windows saw.
    static std::uint32_t now();
};

}  // namespace velumo
