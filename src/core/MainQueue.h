#pragma once

#include <chrono>
#include <functional>

namespace velumo {

// Deferred steps on the GLib default main context: `async` runs on a later
// main-loop turn, `asyncAfter` after a delay. Safe to call from any thread; the
// step always runs on the thread that iterates the default context.
class MainQueue {
  public:
    using Step = std::function<void()>;

    static void async(Step step);
    static void asyncAfter(std::chrono::milliseconds delay, Step step);
};

}  // namespace velumo
