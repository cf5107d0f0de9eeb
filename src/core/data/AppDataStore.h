#pragma once

#include <chrono>
#include <cstdint>
#include <expected>
#include <filesystem>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

#include "data/Models.h"

namespace velumo {

inline constexpr std::string_view appDataDidChange = "Velumo.AppDataDidChange";

// The store's own refusals; their descriptions are shown to the user as they are.
enum class StoreError { invalidURL, invalidTitle, invalidIdentifier };
std::string_view description(StoreError error);

// Why a change failed: one of the store's refusals, or the platform's error
// while saving (folder creation, encoding, writing, replacing the file).
class StoreFailure {
  public:
    StoreFailure(StoreError error);  // NOLINT(google-explicit-constructor)
    static StoreFailure saving(std::string message);

    std::optional<StoreError> storeError() const { return error_; }
    const std::string& description() const { return description_; }

  private:
    StoreFailure(std::optional<StoreError> error, std::string description);
    std::optional<StoreError> error_;
    std::string description_;
};

template <typename T>
using StoreResult = std::expected<T, StoreFailure>;

// Sole owner of the user's document and its file. Every change is saved before
// it takes effect, then announced with appDataDidChange (posted after the lock
// is released, on the calling thread).
class AppDataStore {
  public:
    // Milliseconds since 1970 as the store stamps records: never below 1.
    using Clock = std::function<std::uint64_t()>;

    explicit AppDataStore(std::filesystem::path path, Clock clock = systemClock());
    AppDataStore(const AppDataStore&) = delete;
    AppDataStore& operator=(const AppDataStore&) = delete;

    // The process-wide store on defaultPath(), created on first use.
    static AppDataStore& shared();
    // $XDG_DATA_HOME/com.orvantis.velumo/app-data.json (~/.local/share when unset).
    static std::filesystem::path defaultPath();
    static Clock systemClock();
    // The wall-clock time in milliseconds, truncated, raised to 1 so that a
    // record never carries the 0 that marks it invalid.
    static std::uint64_t timestamp(std::chrono::system_clock::time_point time);
    // prefix "-" time in lower-case hex "-" the 32 hex digits of a random UUID.
    static std::string makeIdentifier(std::string_view prefix, std::uint64_t time);

    const std::filesystem::path& path() const { return path_; }
    AppDataSnapshot snapshot() const;

    StoreResult<HistoryEntry> recordVisitThrowing(std::string_view url, std::string_view title);
    StoreResult<Bookmark> addBookmarkThrowing(std::string_view url, std::string_view title);
    StoreResult<bool> removeBookmark(std::string_view id);
    StoreResult<void> clearHistory();
    StoreResult<void> updateSettings(const AppSettings& settings);

    static std::optional<std::string> faviconURL(std::string_view url);
    static std::optional<std::string> normalizedURLKey(std::string_view url);

  private:
    // Runs `change` on a copy of the document, saves the copy, and only then
    // makes it current; posts appDataDidChange once the lock is released.
    StoreResult<void> mutate(const std::function<void(AppDataSnapshot&)>& change);
    StoreResult<void> save(const AppDataSnapshot& document);
    // Where a save writes: the file the data path's links lead to, so that a
    // link stays a link. Whatever is there and must not be lost or written
    // into is set aside first; a failure to do so fails the save.
    StoreResult<std::filesystem::path> clearedDestination() const;
    std::uint64_t now() const { return clock_(); }

    std::filesystem::path path_;
    Clock clock_;
    mutable std::mutex lock_;
    AppDataSnapshot data_;
    // Whether the file now at the data path is one this store read or wrote.
    // Only such a file is replaced without being kept: one that could not be
    // read, or that turned up after a start without one, is the user's.
    bool fileIsKnown_ = false;
};

}  // namespace velumo
