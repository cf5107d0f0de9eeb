#include "data/DataFile.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <memory>
#include <utility>
#include <vector>

#include <glib.h>

#include "data/AppDataSanitizer.h"

namespace velumo {
namespace {

using DurableFile::FileStamp;

// Coarser than the clock of any file system a data file lives on (FAT
// counts in steps of two seconds).
constexpr std::int64_t clockTickNanoseconds = 2'000'000'000;

constexpr std::string_view repairSuffix = ".before-repair-";

std::size_t hashOf(std::string_view bytes) {
    return std::hash<std::string_view>{}(bytes);
}

// The time and number in a repair copy's name after its prefix, "<time>"
// or "<time>-<n>"; none for any other name.
std::optional<std::pair<std::uint64_t, std::uint64_t>> repairOrder(std::string_view rest) {
    // The whole of `digits` as a number, or none.
    const auto number = [](std::string_view digits) -> std::optional<std::uint64_t> {
        std::uint64_t value = 0;
        const char* begin = std::to_address(digits.begin());
        const char* end = std::to_address(digits.end());
        const auto [stop, error] = std::from_chars(begin, end, value);
        if (digits.empty() || error != std::errc() || stop != end) {
            return std::nullopt;
        }
        return value;
    };
    const auto dash = rest.find('-');
    const auto time = number(rest.substr(0, dash));
    const auto count = dash == std::string_view::npos ? std::optional<std::uint64_t>(0)
                                                      : number(rest.substr(dash + 1));
    if (!time || !count) {
        return std::nullopt;
    }
    return std::pair{*time, *count};
}

// Removes all but the newest copies kept of `file`.
void pruneRepairCopies(const std::filesystem::path& file, std::size_t kept) {
    const std::string prefix = file.filename().string() + std::string(repairSuffix);
    std::vector<std::pair<std::pair<std::uint64_t, std::uint64_t>, std::filesystem::path>> copies;
    std::error_code error;
    const auto folder = file.has_parent_path() ? file.parent_path() : ".";
    for (std::filesystem::directory_iterator entry(folder, error), end; !error && entry != end;
         entry.increment(error)) {
        const std::string name = entry->path().filename().string();
        std::error_code statusError;
        if (!name.starts_with(prefix) ||
            entry->symlink_status(statusError).type() != std::filesystem::file_type::regular) {
            continue;
        }
        if (const auto order = repairOrder(std::string_view(name).substr(prefix.size()))) {
            copies.emplace_back(*order, entry->path());
        }
    }
    if (copies.size() <= kept) {
        return;
    }
    std::ranges::sort(copies, std::greater{}, &decltype(copies)::value_type::first);
    for (std::size_t index = kept; index < copies.size(); ++index) {
        std::filesystem::remove(copies[index].second, error);
    }
}

}  // namespace

DataFile::DataFile(std::filesystem::path path, Clock clock)
    : path_(std::move(path)), clock_(std::move(clock)) {}

bool DataFile::settled(const FileStamp& stamp) const {
    const auto now = static_cast<std::int64_t>(clock_()) * 1'000'000;
    return now - stamp.modifiedNanoseconds >= clockTickNanoseconds;
}

std::expected<WriterLock, std::string> DataFile::lock() const {
    if (path_.has_parent_path()) {
        if (auto made = DurableFile::makePrivateFolder(path_.parent_path()); !made) {
            return std::unexpected(made.error());
        }
    }
    // Beside the data path rather than the file its links lead to, so that a
    // folder of dotfiles or a sync folder gets nothing but the file.
    return WriterLock::acquire(path_.string() + ".lock");
}

void DataFile::removeLeftovers() const {
    if (const auto target = DurableFile::linkTarget(path_)) {
        DurableFile::removeLeftovers(*target);
    }
}

std::optional<AppDataSnapshot> DataFile::load() {
    foreign_ = true;
    const auto target = DurableFile::linkTarget(path_);
    if (!target) {
        return std::nullopt;
    }
    FileStamp stamp;
    auto bytes = DurableFile::read(*target, largestFile, &stamp);
    if (!bytes) {
        return std::nullopt;
    }
    return adopt(*target, std::move(*bytes), stamp);
}

std::optional<AppDataSnapshot> DataFile::changedDocument() {
    const auto target = DurableFile::linkTarget(path_);
    if (!target) {
        return std::nullopt;
    }
    const auto stamp = DurableFile::stampOf(*target);
    std::error_code error;
    const auto type = std::filesystem::symlink_status(*target, error).type();
    if (!stamp || type != std::filesystem::file_type::regular) {
        // Gone: the next write puts the document back. Anything else than
        // a file is set aside by the write whatever it is.
        foreign_ = false;
        return std::nullopt;
    }
    if (known_ && known_->stamp == *stamp && known_->settled) {
        return std::nullopt;
    }
    FileStamp readStamp;
    auto bytes = DurableFile::read(*target, largestFile, &readStamp);
    if (!bytes) {
        foreign_ = true;
        return std::nullopt;
    }
    if (known_ && known_->hash == hashOf(*bytes)) {
        // The same contents (touched, or written again by another copy of
        // ours): nothing to take in.
        known_->stamp = readStamp;
        known_->settled = settled(readStamp);
        foreign_ = false;
        return std::nullopt;
    }
    return adopt(*target, std::move(*bytes), readStamp);
}

std::optional<AppDataSnapshot> DataFile::adopt(const std::filesystem::path& file, std::string bytes,
                                               const FileStamp& stamp) {
    auto document = AppDataSanitizer::decode(bytes);
    if (!document) {
        foreign_ = true;
        return std::nullopt;
    }
    known_ = Version{stamp, hashOf(bytes), settled(stamp)};
    foreign_ = false;
    if (!AppDataSanitizer::keepsEverything(bytes, *document)) {
        unrepaired_ = Unrepaired{file, std::move(bytes)};
    }
    return document;
}

std::expected<void, std::string> DataFile::write(std::string_view bytes) {
    if (unrepaired_) {
        if (auto kept = keepRepairCopy(*unrepaired_); !kept) {
            return kept;
        }
        unrepaired_.reset();
    }
    auto destination = clearedDestination();
    if (!destination) {
        return std::unexpected(destination.error());
    }
    FileStamp stamp;
    if (auto replaced = DurableFile::replace(*destination, bytes, &stamp); !replaced) {
        return replaced;
    }
    known_ = Version{stamp, hashOf(bytes), false};
    foreign_ = false;
    return {};
}

std::expected<void, std::string> DataFile::keepRepairCopy(const Unrepaired& unrepaired) const {
    auto name = DurableFile::freeName(unrepaired.file.string() + std::string(repairSuffix) +
                                      std::to_string(clock_()));
    if (name) {
        if (auto written = DurableFile::replace(*name, unrepaired.bytes); !written) {
            name = std::unexpected(written.error());
        }
    }
    if (!name) {
        return std::unexpected("数据文件 " + unrepaired.file.string() +
                               " 中有读取时被舍弃的内容，但无法保留它的副本（" + name.error() +
                               "）；为免丢失这些内容，更改没有保存");
    }
    pruneRepairCopies(unrepaired.file, keptRepairCopies);
    return {};
}

std::expected<std::filesystem::path, std::string> DataFile::clearedDestination() const {
    const auto target = DurableFile::linkTarget(path_);
    std::error_code error;
    const auto type = target ? std::filesystem::symlink_status(*target, error).type()
                             : std::filesystem::file_type::unknown;
    if (type == std::filesystem::file_type::not_found ||
        (type == std::filesystem::file_type::regular && !foreign_)) {
        return *target;
    }
    // A regular file goes aside where it is, so the links to it stay; for
    // anything else (a folder, a FIFO, a device, a looping link) the data
    // path's own entry goes, and nothing is ever written into it.
    auto subject = type == std::filesystem::file_type::regular ? *target : path_;
    if (auto aside = DurableFile::setAside(subject, clock_()); !aside) {
        return std::unexpected("数据文件 " + subject.string() + " 无法读取，也无法移到一旁保留（" +
                               aside.error() + "）；为免覆盖其中的内容，更改没有保存");
    }
    return subject;
}

}  // namespace velumo
