#pragma once

#include <cstddef>
#include <cstdint>
#include <expected>
#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>

namespace velumo {

// Whole-file reads and replacements that survive a crash or a power cut: a
// reader sees the old bytes or the new ones, never a mixture or an empty file.
namespace DurableFile {

// One version of a file, told apart from others without reading it: a
// replacement brings another inode, a write in place another size or
// modification time (unless it falls within the same tick of the file
// system's clock, which only the contents can tell).
struct FileStamp {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::int64_t size = 0;
    std::int64_t modifiedNanoseconds = 0;

    bool operator==(const FileStamp&) const = default;
};

// The stamp of `file` itself (a link is not followed), or why there is none.
std::expected<FileStamp, std::error_code> stampOf(const std::filesystem::path& file);

// The whole file, or the error of opening or reading it. Only a regular file
// of at most `maximumBytes` is read (larger: file_too_large); anything else
// (a folder, a FIFO, a device) is refused without being opened
// (invalid_argument), so that nothing waits for a writer or reads for ever.
// `stamp`, when given, receives the stamp of the file that was read.
std::expected<std::string, std::error_code> read(const std::filesystem::path& file,
                                                 std::size_t maximumBytes,
                                                 FileStamp* stamp = nullptr);

// Where the symbolic links at the end of `file` lead: relative targets are
// taken from their link's folder, chains are followed to their end. The
// result is no link (a file, a folder, or nothing yet). An error only for a
// chain too long to be anything but a loop.
std::expected<std::filesystem::path, std::error_code> linkTarget(const std::filesystem::path& file);

// Writes the bytes to a temporary file beside `file` (mode 0600), flushes it to
// the disk, renames it over `file` and flushes the folder. On failure `file` is
// untouched, the temporary file is gone, and the message says what failed.
// `written`, when given, receives the stamp of the new file, taken before the
// rename so that nothing done to `file` afterwards can pass for it.
std::expected<void, std::string> replace(const std::filesystem::path& file, std::string_view bytes,
                                         FileStamp* written = nullptr);

// Removes the temporary files of replacements of `file` that a crash cut
// short: regular files beside it named exactly like the ones replace() makes.
void removeLeftovers(const std::filesystem::path& file);

// `base`, or `base` "-" n for the first n that names nothing yet; the reason
// when there is none.
std::expected<std::filesystem::path, std::string> freeName(const std::string& base);

// Moves `file` out of the way as `file`.unreadable-`time` (milliseconds),
// under a name no earlier kept file has; the reason when it stays put.
std::expected<void, std::string> setAside(const std::filesystem::path& file, std::uint64_t time);

// Creates the folder with its missing parents (mode 0700) and makes the folder
// itself 0700 whatever mode it had before: what it holds is the user's alone.
// The message says what failed.
std::expected<void, std::string> makePrivateFolder(const std::filesystem::path& folder);

}  // namespace DurableFile
}  // namespace velumo
