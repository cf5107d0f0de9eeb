#pragma once

#include <atomic>
#include <string>

#include "NotificationCenter.h"
#include "data/AppDataStore.h"

namespace velumo {

// Counts appDataDidChange from one store, from any thread.
class ChangeCounter {
  public:
    explicit ChangeCounter(const AppDataStore& store)
        : token_(NotificationCenter::defaultCenter().addObserver(
              std::string(appDataDidChange), &store, [this](const Notification&) { ++count_; })) {}
    ChangeCounter(const ChangeCounter&) = delete;
    ChangeCounter& operator=(const ChangeCounter&) = delete;

    int count() const { return count_; }

  private:
    std::atomic<int> count_{0};
    NotificationCenter::Token token_;
};

}  // namespace velumo
