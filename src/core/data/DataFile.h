#pragma once

#include <cstddef>
#include <cstdint>
#include <expected>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "data/DurableFile.h"
#include "data/Models.h"
#include "data/WriterLock.h"

namespace velumo {

// The data file as one store sees it on disk: what the store last read or
// wrote there, so that a save notices what other programs did since, and
// what must be kept before the next write (a file that could not be read,
// the bytes of one whose reading dropped something). Calls come one at a
// time, with lock() held around each read-and-write.
class DataFile {
  public:
    // Milliseconds since 1970: for the names of the copies kept, and to
    // tell whether a modification time is recent enough to be ambiguous.
    using Clock = std::function<std::uint64_t()>;
    // Far beyond any real document: a bigger file is not read, but set aside.
    static constexpr std::size_t largestFile = std::size_t{64} * 1024 * 1024;
    // How many copies of files whose reading dropped something are kept.
    static constexpr std::size_t keptRepairCopies = 3;

    DataFile(std::filesystem::path path, Clock clock);

    const std::filesystem::path& path() const { return path_; }

    // Makes the folder private, then waits for the writers' lock on the lock
    // file beside the data file.
    std::expected<WriterLock, std::string> lock() const;
    // Removes what interrupted saves left; only with lock() held, as
    // another process's save in progress would lose its temporary file.
    void removeLeftovers() const;
    // The document in the file, read whatever was read before; none when
    // there is no readable one.
    std::optional<AppDataSnapshot> load();
    // The document in the file when it is not the one last read or written
    // here; none when that one is still there, or the file is gone or
    // cannot be read (then write() sets it aside first).
    std::optional<AppDataSnapshot> changedDocument();
    // Replaces the file with the bytes. A copy owed of a file whose reading
    // dropped something is kept first, and a file that could not be read is
    // set aside; if either fails, nothing is written. The message says what
    // failed.
    std::expected<void, std::string> write(std::string_view bytes);

  private:
    // The version of the file last read or written here.
    struct Version {
        DurableFile::FileStamp stamp;
        std::size_t hash = 0;
        // Whether a change within the same tick of the file system's clock
        // is ruled out, so the stamp alone can tell a change.
        bool settled = false;
    };
    // A file whose reading dropped something, until a copy of it is kept.
    struct Unrepaired {
        std::filesystem::path file;
        std::string bytes;
    };

    // Whether a write in place from now on would change the stamp: its
    // modification time would be later than the stamp's by a clock tick.
    bool settled(const DurableFile::FileStamp& stamp) const;
    std::optional<AppDataSnapshot> adopt(const std::filesystem::path& file, std::string bytes,
                                         const DurableFile::FileStamp& stamp);
    std::expected<void, std::string> keepRepairCopy(const Unrepaired& unrepaired) const;
    // Where a write goes: the file the data path's links lead to, so that a
    // link stays a link, once whatever is there that must not be lost or
    // written into has been set aside.
    std::expected<std::filesystem::path, std::string> clearedDestination() const;

    std::filesystem::path path_;
    Clock clock_;
    std::optional<Version> known_;
    // The file there is not one read or written here: it goes aside first.
    bool foreign_ = true;
    std::optional<Unrepaired> unrepaired_;
};

}  // namespace velumo
