#include "data/WriterLock.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#include <utility>

#include <glib.h>

namespace velumo {

std::expected<WriterLock, std::string> WriterLock::acquire(const std::filesystem::path& lockFile) {
    const auto failure = [&lockFile](int error) {
        return std::unexpected("无法锁定数据文件 " + lockFile.string() + "：" + g_strerror(error));
    };
    // Not followed if it is a link: the lock file is never anything but our own.
    const int fd = ::open(lockFile.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) {
        return failure(errno);
    }
    while (::flock(fd, LOCK_EX) != 0) {
        if (errno != EINTR) {
            const int error = errno;
            ::close(fd);
            return failure(error);
        }
    }
    return WriterLock(fd);
}

WriterLock::WriterLock(WriterLock&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}

WriterLock& WriterLock::operator=(WriterLock&& other) noexcept {
    if (this != &other) {
        if (fd_ >= 0) {
            ::close(fd_);
        }
        fd_ = std::exchange(other.fd_, -1);
    }
    return *this;
}

WriterLock::~WriterLock() {
    // Closing the only descriptor of the open file releases its lock.
    if (fd_ >= 0) {
        ::close(fd_);
    }
}

}  // namespace velumo
