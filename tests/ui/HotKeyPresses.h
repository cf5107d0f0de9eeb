#pragma once

#include <chrono>
#include <functional>
#include <map>
#include <string>

#include "UiTestSupport.h"
#include "shell/GlobalHotKeyManager.h"

namespace velumo::uitest {

// How often each action ran, by name: "boss", "previous", "next".
using Presses = std::map<std::string, int>;

// Gives a hot-key manager actions that count their runs.
class HotKeyPresses {
  public:
    explicit HotKeyPresses(GlobalHotKeyManager& manager) {
        manager.setActions([this] { ++presses_["boss"]; }, [this] { ++presses_["previous"]; },
                           [this] { ++presses_["next"]; });
        manager.installHandlerIfNeeded();
    }

    // Does `press`, then waits a moment for the actions it runs: the desktop
    // delivers a press to this very process at once.
    Presses after(const std::function<void()>& press) {
        presses_.clear();
        press();
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(1);
        runUntil([&] { return !presses_.empty() || std::chrono::steady_clock::now() > deadline; });
        drainMainLoop();
        return presses_;
    }

  private:
    Presses presses_;
};

}  // namespace velumo::uitest
