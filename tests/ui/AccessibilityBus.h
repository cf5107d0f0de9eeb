#pragma once

#include <string>
#include <vector>

#include <gio/gio.h>

namespace velumo::uitest {

// A control as a screen reader finds it: its role and the name it reads out.
struct AccessibleControl {
    std::string role;
    std::string name;
};

// The accessibility bus of a desktop session and its registry, started by
// the test itself (at-spi-bus-launcher, at-spi2-registryd) rather than
// activated, and a screen reader's view of the applications on it
// (libatspi). An application reaches it when it runs with NO_AT_BRIDGE unset
// and AT_SPI_BUS_ADDRESS set to address().
class AccessibilityBus {
  public:
    AccessibilityBus();
    ~AccessibilityBus();
    AccessibilityBus(const AccessibilityBus&) = delete;
    AccessibilityBus& operator=(const AccessibilityBus&) = delete;

    // Empty when the bus did not start.
    const std::string& address() const { return address_; }

    // The controls of process `pid` that are on screen (buttons, fields,
    // sliders, check boxes and the like), in tree order; the pages its web
    // views show are left out. Empty while the process is not on the bus.
    std::vector<AccessibleControl> controlsOnScreen(int pid) const;
    // Presses the button of process `pid` on screen named `name`, as a
    // screen reader's user does; answers whether there was one to press.
    bool press(int pid, const std::string& name) const;

  private:
    GSubprocess* launcher_ = nullptr;
    GSubprocess* registry_ = nullptr;
    std::string address_;
};

}  // namespace velumo::uitest
