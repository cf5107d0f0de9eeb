#pragma once

#include <chrono>
#include <cstddef>
#include <functional>

#include "MainQueue.h"

namespace velumo {

// When a page prepared ahead (a web view whose web process has started)
// waits for the next floating window, which then shows its page sooner than
// a cold one. One is ready while windows are open and another may still
// open; after the last window closes it waits `idleTime`, then is given up,
// as it is at once when memory runs low (until a page shows again) or when no
// window can open any more. It is prepared `prepareDelay` after the page that
// called for it: at once, its web process would take the processor from that
// page while it first shows. Main thread only.
class SparePagePlan {
  public:
    struct Actions {
        std::function<void()> prepare;
        std::function<void()> giveUp;
    };
    static constexpr std::chrono::milliseconds defaultIdleTime = std::chrono::minutes(2);
    static constexpr std::chrono::milliseconds defaultPrepareDelay = std::chrono::seconds(1);

    explicit SparePagePlan(Actions actions, std::chrono::milliseconds idleTime = defaultIdleTime,
                           std::chrono::milliseconds prepareDelay = {});
    ~SparePagePlan();
    SparePagePlan(const SparePagePlan&) = delete;
    SparePagePlan& operator=(const SparePagePlan&) = delete;

    bool ready() const { return ready_; }
    // A window's page arrived; `openPages` pages are open now.
    void pageShown(std::size_t openPages);
    // The prepared page went to a window.
    void taken();
    // A window's page closed; `openPages` remain.
    void pageClosed(std::size_t openPages);
    // The prepared page is gone (its process ended): none is ready.
    void lost();
    void memoryLow();

  private:
    void decide(std::size_t openPages);
    void prepare();
    void giveUp();

    Actions actions_;
    std::chrono::milliseconds idleTime_;
    std::chrono::milliseconds prepareDelay_;
    bool ready_ = false;
    bool memoryLow_ = false;
    MainQueue::Ticket idle_ = 0;
    MainQueue::Ticket pending_ = 0;
};

}  // namespace velumo
