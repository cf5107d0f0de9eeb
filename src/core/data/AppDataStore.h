#pragma once

#include <chrono>
#include <cstdint>
#include <expected>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "data/DataFile.h"
#include "data/GatheredWriter.h"
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

// Sole owner of the user's document and its file, read, changed and written
// again under a lock that other processes on the same file take too. A
// change of bookmarks or settings is saved before it takes effect and before
// its call returns; visits are kept at once in memory and written together,
// off the calling thread, at most one write per gathering delay. Each change
// is announced with appDataDidChange (posted after the lock is released, on
// the calling thread); a document another program put in the file becomes
// the store's at the next save or look, is announced the same way, and the
// change being saved is applied on top of it.
class AppDataStore {
  public:
    // Milliseconds since 1970 as the store stamps records: never below 1.
    using Clock = std::function<std::uint64_t()>;
    // Visits are written this long after the oldest of them not yet
    // written, so that a page reloading itself does not rewrite the file at
    // every load; an abrupt end loses at most this much of them.
    static constexpr std::chrono::milliseconds visitGathering{2000};

    explicit AppDataStore(std::filesystem::path path, Clock clock = systemClock(),
                          std::chrono::milliseconds visitDelay = visitGathering);
    AppDataStore(const AppDataStore&) = delete;
    AppDataStore& operator=(const AppDataStore&) = delete;
    // Writes the visits still waiting.
    ~AppDataStore();

    // The process-wide store on defaultPath(), created on first use. Only the
    // application's primary instance may use it: creating it reads, cleans
    // and writes the data folder.
    static AppDataStore& shared();
    // $XDG_DATA_HOME/com.orvantis.velumo/app-data.json (~/.local/share when unset).
    static std::filesystem::path defaultPath();
    // $`variable`/com.orvantis.velumo, or under `fallback` in the home
    // folder when the variable is unset or not an absolute path.
    static std::filesystem::path applicationFolder(const char* variable, std::string_view fallback);
    static Clock systemClock();
    // The wall-clock time in milliseconds, truncated, raised to 1 so that a
    // record never carries the 0 that marks it invalid.
    static std::uint64_t timestamp(std::chrono::system_clock::time_point time);
    // prefix "-" time in lower-case hex "-" the 32 hex digits of a random UUID.
    static std::string makeIdentifier(std::string_view prefix, std::uint64_t time);

    const std::filesystem::path& path() const { return file_.path(); }
    AppDataSnapshot snapshot() const;

    // Fails only on its input: the visit is in the document when this
    // returns and in the file within the gathering delay.
    StoreResult<HistoryEntry> recordVisitThrowing(std::string_view url, std::string_view title);
    StoreResult<Bookmark> addBookmarkThrowing(std::string_view url, std::string_view title);
    StoreResult<bool> removeBookmark(std::string_view id);
    StoreResult<void> clearHistory();
    StoreResult<void> updateSettings(const AppSettings& settings);
    // Writes the visits still waiting, now, on the calling thread.
    StoreResult<void> flush();
    // Compares the file with what the store last read or wrote, soon and off
    // the calling thread. A readable document found there becomes the
    // store's, announced on the main loop.
    void lookForOutsideChange();

    static std::optional<std::string> faviconURL(std::string_view url);
    static std::optional<std::string> normalizedURLKey(std::string_view url);

  private:
    using Change = std::function<void(AppDataSnapshot&)>;
    using Steady = std::chrono::steady_clock;
    struct PendingVisit {
        HistoryEntry entry;
        Steady::time_point recordedAt;
    };

    // Saves `change` through commit() and announces what took effect.
    StoreResult<void> mutate(const Change& change);
    // Under the writers' lock: takes in a document another program left in
    // the file (`adopted` then says so), applies `change` (when given) to a
    // copy of the document with the visits waiting, writes it, and only then
    // makes it current. Without a change and with no visit waiting, nothing.
    StoreResult<void> commit(const Change* change, bool& adopted);
    // Makes a document found in the file current, with the visits still
    // waiting on top; whether there was one. Writers' lock held.
    bool adoptOutsideChange();
    // On the writer's thread: the visits that fell due, or a look.
    void writeInBackground(bool due);
    // Posts appDataDidChange on the main loop, unless the store is gone by then.
    void announceLater() const;
    std::uint64_t now() const { return clock_(); }

    DataFile file_;
    Clock clock_;
    std::chrono::milliseconds visitDelay_;
    // One save at a time in this process, held across reading, encoding and
    // writing. Taken before lock_, never while holding it.
    std::mutex writing_;
    // Guards what follows; held only for moments, never across the disk.
    mutable std::mutex lock_;
    // The document as the file holds it, with the visits waiting on top.
    AppDataSnapshot data_;
    // Visits not yet written, oldest first.
    std::vector<PendingVisit> pending_;
    std::shared_ptr<const AppDataStore*> lifetime_;
    // Last: it stops before anything it uses goes.
    GatheredWriter writer_;
};

}  // namespace velumo
