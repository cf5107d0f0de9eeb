#include "data/DurableFile.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

#include <glib.h>

namespace velumo::DurableFile {
namespace {

// mkostemp() replaces the six X with letters and digits.
constexpr std::string_view temporarySuffix = ".XXXXXX";

std::filesystem::path folderOf(const std::filesystem::path& file) {
    return file.has_parent_path() ? file.parent_path() : std::filesystem::path(".");
}

bool isTemporaryName(std::string_view name, std::string_view fileName) {
    if (name.size() != fileName.size() + temporarySuffix.size() || !name.starts_with(fileName) ||
        name[fileName.size()] != '.') {
        return false;
    }
    return std::ranges::all_of(name.substr(fileName.size() + 1),
                               [](char c) { return g_ascii_isalnum(c) != 0; });
}

std::string failure(std::string_view action, const std::filesystem::path& file, int error) {
    return std::string(action) + " " + file.string() + "：" + g_strerror(error);
}

// Closes the descriptor on every path out of a scope.
class Descriptor {
  public:
    explicit Descriptor(int fd) : fd_(fd) {}
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    ~Descriptor() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }

    int get() const { return fd_; }
    // Closes now, so that a failure of close (a delayed write error) is seen.
    int close() { return ::close(std::exchange(fd_, -1)); }

  private:
    int fd_;
};

bool writeAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

FileStamp stampFrom(const struct stat& status) {
    return {.device = status.st_dev,
            .inode = status.st_ino,
            .size = status.st_size,
            .modifiedNanoseconds =
                std::int64_t{status.st_mtim.tv_sec} * 1'000'000'000 + status.st_mtim.tv_nsec};
}

}  // namespace

std::expected<FileStamp, std::error_code> stampOf(const std::filesystem::path& file) {
    struct stat status {};
    if (::lstat(file.c_str(), &status) != 0) {
        return std::unexpected(std::error_code(errno, std::system_category()));
    }
    return stampFrom(status);
}

std::expected<std::string, std::error_code> read(const std::filesystem::path& file,
                                                 std::size_t maximumBytes, FileStamp* stamp) {
    const auto failed = [](int error) {
        return std::unexpected(std::error_code(error, std::system_category()));
    };
    // 0 when the file may be read, else why not.
    const auto refusal = [maximumBytes](const struct stat& status) {
        if (!S_ISREG(status.st_mode)) {
            return EINVAL;
        }
        return static_cast<std::uintmax_t>(status.st_size) > maximumBytes ? EFBIG : 0;
    };
    // Opening a FIFO waits for a writer, and opening a device can act on it:
    // neither is opened at all.
    struct stat status {};
    if (::stat(file.c_str(), &status) != 0) {
        return failed(errno);
    }
    if (const int error = refusal(status)) {
        return failed(error);
    }
    // Should the file have been swapped for a FIFO since, this does not wait.
    Descriptor fd(::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    if (fd.get() < 0 || ::fstat(fd.get(), &status) != 0) {
        return failed(errno);
    }
    if (const int error = refusal(status)) {
        return failed(error);
    }
    if (stamp != nullptr) {
        *stamp = stampFrom(status);
    }
    std::string contents;
    contents.reserve(static_cast<std::size_t>(status.st_size));
    std::array<char, 65536> buffer{};
    for (;;) {
        const ssize_t count = ::read(fd.get(), buffer.data(), buffer.size());
        if (count < 0) {
            if (errno == EINTR) {
                continue;
            }
            return failed(errno);
        }
        if (count == 0) {
            return contents;
        }
        // The file may grow while it is read.
        if (contents.size() + static_cast<std::size_t>(count) > maximumBytes) {
            return failed(EFBIG);
        }
        contents.append(buffer.data(), static_cast<std::size_t>(count));
    }
}

std::expected<std::filesystem::path, std::error_code> linkTarget(
    const std::filesystem::path& file) {
    // The kernel's own limit on the links it follows in one path.
    constexpr int longestChain = 40;
    std::filesystem::path current = file;
    for (int followed = 0; followed <= longestChain; ++followed) {
        std::error_code notALink;
        const auto target = std::filesystem::read_symlink(current, notALink);
        if (notALink) {
            return current;
        }
        // Not normalised: ".." after a linked folder means what the kernel
        // makes of it.
        current = target.is_absolute() ? target : current.parent_path() / target;
    }
    return std::unexpected(std::make_error_code(std::errc::too_many_symbolic_link_levels));
}

std::expected<void, std::string> replace(const std::filesystem::path& file, std::string_view bytes,
                                         FileStamp* written) {
    const auto folder = folderOf(file);
    // A unique name per write, so that two writers never share a temporary file.
    std::string temporary = file.string();
    temporary += temporarySuffix;
    Descriptor fd(::mkostemp(temporary.data(), O_CLOEXEC));
    if (fd.get() < 0) {
        return std::unexpected(failure("无法创建临时文件", folder, errno));
    }
    const auto discard = [&](std::string_view action, const std::filesystem::path& subject) {
        const int error = errno;
        ::unlink(temporary.c_str());
        return std::unexpected(failure(action, subject, error));
    };
    if (!writeAll(fd.get(), bytes)) {
        return discard("无法写入", temporary);
    }
    // The data must be on the disk before the rename makes it the file;
    // otherwise a power cut can leave the new name pointing at empty blocks.
    if (::fsync(fd.get()) != 0) {
        return discard("无法写入", temporary);
    }
    struct stat status {};
    if (written != nullptr && ::fstat(fd.get(), &status) != 0) {
        return discard("无法写入", temporary);
    }
    if (fd.close() != 0) {
        return discard("无法写入", temporary);
    }
    if (std::rename(temporary.c_str(), file.c_str()) != 0) {
        return discard("无法替换", file);
    }
    if (written != nullptr) {
        *written = stampFrom(status);
    }
    // Makes the rename itself durable. Its failure is not reported: the new
    // file is already in place, and calling the change failed would leave the
    // caller believing the old document is still stored.
    Descriptor directory(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (directory.get() >= 0) {
        ::fsync(directory.get());
    }
    return {};
}

void removeLeftovers(const std::filesystem::path& file) {
    const std::string fileName = file.filename().string();
    std::error_code error;
    for (std::filesystem::directory_iterator entry(folderOf(file), error), end;
         !error && entry != end; entry.increment(error)) {
        std::error_code statusError;
        if (isTemporaryName(entry->path().filename().string(), fileName) &&
            entry->symlink_status(statusError).type() == std::filesystem::file_type::regular) {
            std::filesystem::remove(entry->path(), statusError);
        }
    }
}

std::expected<std::filesystem::path, std::string> freeName(const std::string& base) {
    for (int attempt = 0; attempt < 1000; ++attempt) {
        std::filesystem::path candidate =
            attempt == 0 ? base : base + "-" + std::to_string(attempt);
        std::error_code error;
        const auto status = std::filesystem::symlink_status(candidate, error);
        if (status.type() == std::filesystem::file_type::not_found) {
            return candidate;
        }
        if (!std::filesystem::exists(status)) {
            return std::unexpected(g_strerror(error.value()));
        }
    }
    return std::unexpected("备份文件名都已被占用");
}

std::expected<void, std::string> setAside(const std::filesystem::path& file, std::uint64_t time) {
    const auto name = freeName(file.string() + ".unreadable-" + std::to_string(time));
    if (!name) {
        return std::unexpected(name.error());
    }
    if (std::rename(file.c_str(), name->c_str()) != 0) {
        return std::unexpected(g_strerror(errno));
    }
    return {};
}

std::expected<void, std::string> makePrivateFolder(const std::filesystem::path& folder) {
    if (g_mkdir_with_parents(folder.c_str(), 0700) != 0) {
        return std::unexpected(failure("无法创建文件夹", folder, errno));
    }
    // Made by someone else, the folder keeps its mode (only its owner may
    // change it); that does not stop saving, so it is no failure.
    ::chmod(folder.c_str(), 0700);
    return {};
}

}  // namespace velumo::DurableFile
