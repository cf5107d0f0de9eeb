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
    // A step queued with `asyncAfter`, until it has run.
    using Ticket = unsigned;

    static void async(Step step);
    static Ticket asyncAfter(std::chrono::milliseconds delay, Step step);
    // Drops the step if it has not run yet, so the main loop no longer wakes
    // for it, and clears the ticket. A ticket whose step has run, or 0, is
    // ignored: GLib numbers its sources anew only after four billion others.
    static void cancel(Ticket& ticket);
};

}  // namespace velumo
