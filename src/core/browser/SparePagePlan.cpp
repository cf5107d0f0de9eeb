#include "browser/SparePagePlan.h"

#include <utility>

#include "browser/BrowserWindowManager.h"

namespace velumo {

SparePagePlan::SparePagePlan(Actions actions, std::chrono::milliseconds idleTime,
                             std::chrono::milliseconds prepareDelay)
    : actions_(std::move(actions)), idleTime_(idleTime), prepareDelay_(prepareDelay) {}

SparePagePlan::~SparePagePlan() {
    MainQueue::cancel(idle_);
    MainQueue::cancel(pending_);
}

void SparePagePlan::pageShown(std::size_t openPages) {
    memoryLow_ = false;
    decide(openPages);
}

void SparePagePlan::taken() {
    ready_ = false;
}

void SparePagePlan::pageClosed(std::size_t openPages) {
    decide(openPages);
}

void SparePagePlan::lost() {
    ready_ = false;
    MainQueue::cancel(idle_);
}

void SparePagePlan::memoryLow() {
    memoryLow_ = true;
    giveUp();
}

void SparePagePlan::decide(std::size_t openPages) {
    MainQueue::cancel(idle_);
    if (memoryLow_ || openPages >= BrowserWindowManager::windowLimit) {
        giveUp();
        return;
    }
    if (!ready_ && pending_ == 0) {
        if (prepareDelay_.count() == 0) {
            prepare();
        } else {
            pending_ = MainQueue::asyncAfter(prepareDelay_, [this] {
                pending_ = 0;
                prepare();
            });
        }
    }
    if (openPages == 0) {
        idle_ = MainQueue::asyncAfter(idleTime_, [this] {
            idle_ = 0;
            giveUp();
        });
    }
}

void SparePagePlan::prepare() {
    ready_ = true;
    actions_.prepare();
}

void SparePagePlan::giveUp() {
    MainQueue::cancel(idle_);
    MainQueue::cancel(pending_);
    if (ready_) {
        ready_ = false;
        actions_.giveUp();
    }
}

}  // namespace velumo
