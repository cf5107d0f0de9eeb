#pragma once

#include <atomic>
#include <string>

#include "NotificationCenter.h"
#include "data/AppDataStore.h"

namespace velumo {

// Counts appDataDidChange from one store, from any thread. Like the app's
// observers it reads the store on each one, which deadlocks if the store
// posted while holding its lock.
class ChangeCounter {
  public:
    explicit ChangeCounter(const AppDataStore& store)
        : token_(NotificationCenter::defaultCenter().addObserver(
              std::string(appDataDidChange), &store, [this, &store](const Notification&) {
                  lastHistorySize_ = store.snapshot().history.size();
                  ++count_;
              })) {}
    ChangeCounter(const ChangeCounter&) = delete;
    ChangeCounter& operator=(const ChangeCounter&) = delete;

    int count() const { return count_; }
    // The history size the last observer call saw.
    std::size_t lastHistorySize() const { return lastHistorySize_; }

  private:
    std::atomic<int> count_{0};
    std::atomic<std::size_t> lastHistorySize_{0};
    NotificationCenter::Token token_;
};

}  // namespace velumo
