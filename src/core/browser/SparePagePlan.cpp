#include "browser/SparePagePlan.h"

#include "browser/BrowserWindowManager.h"

namespace velumo {

SparePagePlan::SparePagePlan(Actions actions, std::chrono::milliseconds idleTime)
    : actions_(std::move(actions)), idleTime_(idleTime) {}

SparePagePlan::~SparePagePlan() {
    MainQueue::cancel(idle_);
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
    if (!ready_) {
        ready_ = true;
        actions_.prepare();
    }
    if (openPages == 0) {
        idle_ = MainQueue::asyncAfter(idleTime_, [this] {
            idle_ = 0;
            giveUp();
        });
    }
}

void SparePagePlan::giveUp() {
    MainQueue::cancel(idle_);
    if (ready_) {
        ready_ = false;
        actions_.giveUp();
    }
}

}  // namespace velumo
