#pragma once

#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace velumo {

// A signal that something changed; observers re-read the source. The object is
// the sender's identity, compared by address and never dereferenced here.
struct Notification {
    std::string_view name;
    const void* object = nullptr;
};

// Named notifications delivered synchronously on the posting thread, like the
// default centre of the platform the product was first written for. Posting and
// observing are safe from any thread; an observer may post, add or remove
// observers from inside its own callback.
class NotificationCenter {
    struct Observer;
    struct Registry;

  public:
    using Callback = std::function<void(const Notification&)>;

    // Unregisters its observer when destroyed or reset. Move-only.
    class Token {
      public:
        Token() = default;
        Token(Token&&) noexcept = default;
        Token& operator=(Token&& other) noexcept;
        Token(const Token&) = delete;
        Token& operator=(const Token&) = delete;
        ~Token();

        void reset();
        explicit operator bool() const { return !observer_.expired(); }

      private:
        friend class NotificationCenter;
        Token(std::weak_ptr<Registry> registry, std::weak_ptr<Observer> observer)
            : registry_(std::move(registry)), observer_(std::move(observer)) {}

        std::weak_ptr<Registry> registry_;
        std::weak_ptr<Observer> observer_;
    };

    NotificationCenter();
    NotificationCenter(const NotificationCenter&) = delete;
    NotificationCenter& operator=(const NotificationCenter&) = delete;

    static NotificationCenter& defaultCenter();

    // `object` null observes every sender of `name`.
    [[nodiscard]] Token addObserver(std::string name, const void* object, Callback callback);
    void post(std::string_view name, const void* object);

  private:
    std::shared_ptr<Registry> registry_;
};

}  // namespace velumo
