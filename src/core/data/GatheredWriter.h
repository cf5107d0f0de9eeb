#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <stop_token>
#include <thread>

namespace velumo {

// A thread of its own that writes some time after it is asked to, so that a
// burst of changes costs one write and the thread that changes things never
// waits for the disk. Its owner keeps what is to be written under its own
// lock and may call in here while holding it; the work runs without this
// object's lock held. The thread starts with the first request.
class GatheredWriter {
  public:
    using Steady = std::chrono::steady_clock;
    // Runs on the writer's thread: `due` tells a write that fell due from a
    // look asked for with look().
    using Work = std::function<void(bool due)>;

    explicit GatheredWriter(Work work);
    GatheredWriter(const GatheredWriter&) = delete;
    GatheredWriter& operator=(const GatheredWriter&) = delete;
    ~GatheredWriter();

    // The work runs at `time`, or at the earlier time already asked for.
    void writeBy(Steady::time_point time);
    // Forgets the time asked for: what was waiting has been written.
    void cancel();
    // The work runs soon, as a look unless a write is due by then.
    void look();
    // Waits for the work under way, if any; nothing runs afterwards.
    void stop();

  private:
    void start();
    void run(const std::stop_token& stop);

    Work work_;
    std::mutex lock_;
    std::condition_variable_any wake_;
    std::optional<Steady::time_point> due_;
    bool lookRequested_ = false;
    bool stopped_ = false;
    // Last: it stops before anything it uses goes.
    std::jthread thread_;
};

}  // namespace velumo
