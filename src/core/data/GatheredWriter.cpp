#include "data/GatheredWriter.h"

#include <utility>

namespace velumo {

GatheredWriter::GatheredWriter(Work work) : work_(std::move(work)) {}

GatheredWriter::~GatheredWriter() {
    stop();
}

void GatheredWriter::writeBy(Steady::time_point time) {
    {
        std::scoped_lock guard(lock_);
        if (stopped_) {
            return;
        }
        if (!due_ || time < *due_) {
            due_ = time;
        }
        start();
    }
    wake_.notify_one();
}

void GatheredWriter::cancel() {
    std::scoped_lock guard(lock_);
    due_.reset();
}

void GatheredWriter::look() {
    {
        std::scoped_lock guard(lock_);
        if (stopped_) {
            return;
        }
        lookRequested_ = true;
        start();
    }
    wake_.notify_one();
}

void GatheredWriter::stop() {
    {
        std::scoped_lock guard(lock_);
        stopped_ = true;
    }
    thread_.request_stop();
    if (thread_.joinable()) {
        thread_.join();
    }
}

void GatheredWriter::start() {
    if (!thread_.joinable()) {
        thread_ = std::jthread([this](const std::stop_token& stop) { run(stop); });
    }
}

void GatheredWriter::run(const std::stop_token& stop) {
    std::unique_lock guard(lock_);
    const auto isDue = [this] { return due_ && Steady::now() >= *due_; };
    while (!stop.stop_requested()) {
        // Waits for work, then for its time; either may change meanwhile.
        if (!lookRequested_ && !due_) {
            wake_.wait(guard, stop, [this] { return lookRequested_ || due_.has_value(); });
            continue;
        }
        if (!lookRequested_ && !isDue()) {
            const auto until = *due_;
            wake_.wait_until(guard, stop, until,
                             [&] { return lookRequested_ || !due_ || isDue(); });
            continue;
        }
        const bool write = isDue();
        if (write) {
            due_.reset();
        }
        lookRequested_ = false;
        guard.unlock();
        work_(write);
        guard.lock();
    }
}

}  // namespace velumo
