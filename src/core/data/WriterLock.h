#pragma once

#include <expected>
#include <filesystem>
#include <string>

namespace velumo {

// An advisory lock (flock) on a lock file, held while the object lives. The
// writers of one data file take it around each save, in this process and in
// any other, so that they write one at a time and each reads what the one
// before it wrote.
class WriterLock {
  public:
    // Waits for the lock; the message says why it cannot be had.
    static std::expected<WriterLock, std::string> acquire(const std::filesystem::path& lockFile);

    WriterLock(WriterLock&& other) noexcept;
    WriterLock& operator=(WriterLock&& other) noexcept;
    WriterLock(const WriterLock&) = delete;
    WriterLock& operator=(const WriterLock&) = delete;
    ~WriterLock();

  private:
    explicit WriterLock(int fd) : fd_(fd) {}
    int fd_ = -1;
};

}  // namespace velumo
