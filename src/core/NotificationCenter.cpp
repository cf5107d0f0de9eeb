#include "NotificationCenter.h"

#include <algorithm>
#include <atomic>

namespace velumo {

struct NotificationCenter::Observer {
    std::string name;
    const void* object;
    Callback callback;
    // Cleared on removal, so a post that copied the list before the removal
    // does not call an observer that is already gone.
    std::atomic<bool> active{true};
};

struct NotificationCenter::Registry {
    std::mutex mutex;
    std::vector<std::shared_ptr<Observer>> observers;

    void remove(const std::shared_ptr<Observer>& observer) {
        observer->active = false;
        std::scoped_lock lock(mutex);
        std::erase(observers, observer);
    }
};

NotificationCenter::Token& NotificationCenter::Token::operator=(Token&& other) noexcept {
    if (this != &other) {
        reset();
        registry_ = std::move(other.registry_);
        observer_ = std::move(other.observer_);
    }
    return *this;
}

NotificationCenter::Token::~Token() {
    reset();
}

void NotificationCenter::Token::reset() {
    auto registry = registry_.lock();
    auto observer = observer_.lock();
    if (registry && observer) {
        registry->remove(observer);
    }
    registry_.reset();
    observer_.reset();
}

NotificationCenter::NotificationCenter() : registry_(std::make_shared<Registry>()) {}

NotificationCenter& NotificationCenter::defaultCenter() {
    static NotificationCenter center;
    return center;
}

NotificationCenter::Token NotificationCenter::addObserver(std::string name, const void* object,
                                                          Callback callback) {
    auto observer = std::make_shared<Observer>();
    observer->name = std::move(name);
    observer->object = object;
    observer->callback = std::move(callback);
    {
        std::scoped_lock lock(registry_->mutex);
        registry_->observers.push_back(observer);
    }
    return Token(registry_, observer);
}

void NotificationCenter::post(std::string_view name, const void* object) {
    std::vector<std::shared_ptr<Observer>> matching;
    {
        std::scoped_lock lock(registry_->mutex);
        for (const auto& observer : registry_->observers) {
            if (observer->name == name && (!observer->object || observer->object == object)) {
                matching.push_back(observer);
            }
        }
    }
    const Notification notification{name, object};
    for (const auto& observer : matching) {
        if (observer->active) {
            observer->callback(notification);
        }
    }
}

}  // namespace velumo
