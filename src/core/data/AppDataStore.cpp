#include "data/AppDataStore.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdlib>
#include <limits>
#include <utility>

#include <glib.h>

#include "MainQueue.h"
#include "NotificationCenter.h"
#include "data/AppDataSanitizer.h"
#include "data/DefaultBookmarks.h"
#include "data/Url.h"

namespace velumo {
namespace {

constexpr std::size_t titleLimit = 512;
constexpr std::size_t historyLimit = 50;

std::string asciiLower(std::string text) {
    std::ranges::transform(text, text.begin(), [](char c) { return g_ascii_tolower(c); });
    return text;
}

bool isPort(const std::optional<std::string>& port, unsigned number) {
    unsigned value = 0;
    if (!port || port->empty()) {
        return false;
    }
    const auto* end = port->data() + port->size();
    const auto [stop, error] = std::from_chars(port->data(), end, value);
    return error == std::errc() && stop == end && value == number;
}

// A page's address and title as a new record holds them.
struct CheckedPage {
    std::string url;
    std::string title;
};

StoreResult<CheckedPage> checkedPage(std::string_view url, std::string_view title) {
    auto address = AppDataSanitizer::webURL(url);
    if (!address) {
        return std::unexpected(StoreError::invalidURL);
    }
    auto trimmed = AppDataSanitizer::text(title, titleLimit);
    if (!trimmed) {
        return std::unexpected(StoreError::invalidTitle);
    }
    return CheckedPage{std::move(*address), std::move(*trimmed)};
}

// Puts the visit first in the history, which keeps its newest 50.
void insertVisit(AppDataSnapshot& document, const HistoryEntry& entry) {
    document.history.insert(document.history.begin(), entry);
    if (document.history.size() > historyLimit) {
        document.history.resize(historyLimit);
    }
}

}  // namespace

std::string_view description(StoreError error) {
    switch (error) {
        case StoreError::invalidURL:
            return "仅支持有效的 HTTP 或 HTTPS 网址";
        case StoreError::invalidTitle:
            return "标题长度必须为 1 到 512 个字符";
        case StoreError::invalidIdentifier:
            return "记录 ID 无效";
    }
    return {};
}

StoreFailure::StoreFailure(StoreError error)
    : StoreFailure(error, std::string(velumo::description(error))) {}

StoreFailure::StoreFailure(std::optional<StoreError> error, std::string description)
    : error_(error), description_(std::move(description)) {}

StoreFailure StoreFailure::saving(std::string message) {
    return {std::nullopt, std::move(message)};
}

AppDataStore::AppDataStore(std::filesystem::path path, Clock clock,
                           std::chrono::milliseconds visitDelay)
    : file_(std::move(path), clock),
      clock_(std::move(clock)),
      visitDelay_(visitDelay),
      lifetime_(std::make_shared<const AppDataStore*>(this)),
      writer_([this](bool due) { writeInBackground(due); }) {
    auto held = file_.lock();
    // A writer killed in the middle of a save leaves its temporary file
    // behind; one alive holds the lock while it has one.
    if (held) {
        file_.removeLeftovers();
    }
    data_ = file_.load().value_or(AppDataSnapshot{});
    seedDefaultBookmarks(data_, clock_);
    // Rewrites the file in normalised form, after keeping what must not be
    // lost. A failure is not fatal: the document stays in memory and the
    // next change tries again.
    if (held) {
        if (const auto bytes = AppDataSanitizer::encode(data_)) {
            [[maybe_unused]] const auto written = file_.write(*bytes);
        }
    }
}

AppDataStore::~AppDataStore() {
    lifetime_.reset();
    writer_.stop();
    // Not announced: nothing may be left to observe it.
    bool adopted = false;
    [[maybe_unused]] const auto written = commit(nullptr, adopted);
}

AppDataStore& AppDataStore::shared() {
    static AppDataStore store(defaultPath());
    return store;
}

std::filesystem::path AppDataStore::defaultPath() {
    return applicationFolder("XDG_DATA_HOME", ".local/share") / "app-data.json";
}

std::filesystem::path AppDataStore::applicationFolder(const char* variable,
                                                      std::string_view fallback) {
    // Read here rather than through GLib's g_get_user_*_dir(), which keep
    // the first answer for the life of the process.
    std::filesystem::path base;
    const char* value = std::getenv(variable);  // NOLINT(concurrency-mt-unsafe)
    if (value && *value && std::filesystem::path(value).is_absolute()) {
        base = value;
    } else {
        base = std::filesystem::path(g_get_home_dir()) / fallback;
    }
    return base / "com.orvantis.velumo";
}

AppDataStore::Clock AppDataStore::systemClock() {
    return [] { return timestamp(std::chrono::system_clock::now()); };
}

std::uint64_t AppDataStore::timestamp(std::chrono::system_clock::time_point time) {
    const auto milliseconds =
        std::chrono::duration_cast<std::chrono::milliseconds>(time.time_since_epoch()).count();
    return milliseconds <= 1 ? 1 : static_cast<std::uint64_t>(milliseconds);
}

std::string AppDataStore::makeIdentifier(std::string_view prefix, std::uint64_t time) {
    std::array<char, 16> hex{};
    const auto written = std::to_chars(hex.data(), hex.data() + hex.size(), time, 16);
    std::string identifier(prefix);
    identifier += '-';
    identifier.append(hex.data(), written.ptr);
    identifier += '-';
    char* uuid = g_uuid_string_random();
    for (const char* c = uuid; *c != '\0'; ++c) {
        if (*c != '-') {
            identifier += *c;
        }
    }
    g_free(uuid);
    return identifier;
}

AppDataSnapshot AppDataStore::snapshot() const {
    std::scoped_lock guard(lock_);
    return data_;
}

StoreResult<void> AppDataStore::mutate(const Change& change) {
    bool adopted = false;
    auto saved = commit(&change, adopted);
    // Observers re-read the store, so the locks must be free by now.
    if (saved || adopted) {
        NotificationCenter::defaultCenter().post(appDataDidChange, this);
    }
    return saved;
}

StoreResult<void> AppDataStore::flush() {
    bool adopted = false;
    auto saved = commit(nullptr, adopted);
    if (adopted) {
        NotificationCenter::defaultCenter().post(appDataDidChange, this);
    }
    return saved;
}

StoreResult<void> AppDataStore::commit(const Change* change, bool& adopted) {
    std::scoped_lock writing(writing_);
    if (change == nullptr) {
        std::scoped_lock guard(lock_);
        if (pending_.empty()) {
            writer_.cancel();
            return {};
        }
    }
    const auto held = file_.lock();
    if (!held) {
        return std::unexpected(StoreFailure::saving(held.error()));
    }
    adopted = adoptOutsideChange();
    AppDataSnapshot working;
    std::size_t written = 0;
    {
        std::scoped_lock guard(lock_);
        working = data_;
        written = pending_.size();
    }
    if (change != nullptr) {
        (*change)(working);
    }
    const auto bytes = AppDataSanitizer::encode(working);
    if (!bytes) {
        return std::unexpected(StoreFailure::saving(bytes.error()));
    }
    if (auto replaced = file_.write(*bytes); !replaced) {
        return std::unexpected(StoreFailure::saving(replaced.error()));
    }
    std::scoped_lock guard(lock_);
    pending_.erase(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(written));
    if (change != nullptr) {
        // Visits recorded meanwhile on another thread stay on top.
        data_ = std::move(working);
        for (const auto& visit : pending_) {
            insertVisit(data_, visit.entry);
        }
    }
    writer_.cancel();
    if (!pending_.empty()) {
        writer_.writeBy(pending_.front().recordedAt + visitDelay_);
    }
    return {};
}

bool AppDataStore::adoptOutsideChange() {
    auto found = file_.changedDocument();
    if (!found) {
        return false;
    }
    seedDefaultBookmarks(*found, clock_);
    std::scoped_lock guard(lock_);
    data_ = std::move(*found);
    for (const auto& visit : pending_) {
        insertVisit(data_, visit.entry);
    }
    return true;
}

void AppDataStore::lookForOutsideChange() {
    writer_.look();
}

void AppDataStore::writeInBackground(bool due) {
    bool adopted = false;
    if (due) {
        if (!commit(nullptr, adopted)) {
            // Kept in memory; tried again after another delay.
            std::scoped_lock retry(lock_);
            if (!pending_.empty()) {
                writer_.writeBy(Steady::now() + visitDelay_);
            }
        }
    } else {
        std::scoped_lock writing(writing_);
        if (const auto held = file_.lock()) {
            adopted = adoptOutsideChange();
        }
    }
    if (adopted) {
        announceLater();
    }
}

void AppDataStore::announceLater() const {
    MainQueue::async([weak = std::weak_ptr(lifetime_)] {
        if (const auto self = weak.lock()) {
            NotificationCenter::defaultCenter().post(appDataDidChange, *self);
        }
    });
}

StoreResult<HistoryEntry> AppDataStore::recordVisitThrowing(std::string_view url,
                                                            std::string_view title) {
    auto checked = checkedPage(url, title);
    if (!checked) {
        return std::unexpected(checked.error());
    }
    HistoryEntry entry{makeIdentifier("h", now()), std::move(checked->url),
                       std::move(checked->title), now()};
    {
        std::scoped_lock guard(lock_);
        insertVisit(data_, entry);
        pending_.push_back({entry, Steady::now()});
        writer_.writeBy(pending_.front().recordedAt + visitDelay_);
    }
    NotificationCenter::defaultCenter().post(appDataDidChange, this);
    return entry;
}

StoreResult<Bookmark> AppDataStore::addBookmarkThrowing(std::string_view url,
                                                        std::string_view title) {
    auto checked = checkedPage(url, title);
    if (!checked) {
        return std::unexpected(checked.error());
    }
    Bookmark bookmark;
    auto saved = mutate([&](AppDataSnapshot& document) {
        const auto existing = std::ranges::find(document.bookmarks, checked->url, &Bookmark::url);
        if (existing != document.bookmarks.end()) {
            bookmark = *existing;
            return;
        }
        const auto uncategorized = std::ranges::count_if(
            document.bookmarks, [](const Bookmark& b) { return !b.categoryID; });
        bookmark.id = makeIdentifier("b", now());
        bookmark.url = checked->url;
        bookmark.title = checked->title;
        bookmark.faviconURL = faviconURL(checked->url);
        bookmark.createdAt = now();
        bookmark.position = static_cast<std::uint32_t>(
            std::min<std::ptrdiff_t>(uncategorized, std::numeric_limits<std::uint32_t>::max()));
        document.bookmarks.insert(document.bookmarks.begin(), bookmark);
    });
    if (!saved) {
        return std::unexpected(saved.error());
    }
    return bookmark;
}

StoreResult<bool> AppDataStore::removeBookmark(std::string_view id) {
    if (!AppDataSanitizer::validID(id)) {
        return std::unexpected(StoreError::invalidIdentifier);
    }
    bool removed = false;
    // Positions of the others are left as they are; the next load renumbers.
    auto saved = mutate([&](AppDataSnapshot& document) {
        removed =
            std::erase_if(document.bookmarks, [&](const Bookmark& b) { return b.id == id; }) > 0;
    });
    if (!saved) {
        return std::unexpected(saved.error());
    }
    return removed;
}

StoreResult<void> AppDataStore::clearHistory() {
    return mutate([](AppDataSnapshot& document) { document.history.clear(); });
}

StoreResult<void> AppDataStore::updateSettings(const AppSettings& settings) {
    // A round trip through the file form applies every rule of reading to the
    // new settings, before anything is locked.
    AppDataSnapshot carrier;
    carrier.settings = settings;
    const auto bytes = AppDataSanitizer::encode(carrier);
    if (!bytes) {
        return std::unexpected(StoreFailure::saving(bytes.error()));
    }
    const auto decoded = AppDataSanitizer::decode(*bytes);
    const AppSettings sanitized = decoded ? decoded->settings : AppSettings{};
    return mutate([&](AppDataSnapshot& document) { document.settings = sanitized; });
}

std::optional<std::string> AppDataStore::faviconURL(std::string_view url) {
    return Url::faviconURL(url);
}

std::optional<std::string> AppDataStore::normalizedURLKey(std::string_view url) {
    const auto address = AppDataSanitizer::webURL(url);
    if (!address) {
        return std::nullopt;
    }
    auto parts = Url::parse(*address);
    if (!parts) {
        return std::nullopt;
    }
    parts->scheme = asciiLower(std::move(parts->scheme));
    if (parts->host) {
        parts->host = asciiLower(std::move(*parts->host));
    }
    if ((parts->scheme == "http" && isPort(parts->port, 80)) ||
        (parts->scheme == "https" && isPort(parts->port, 443))) {
        parts->port.reset();
    }
    if (parts->path.empty()) {
        parts->path = "/";
    }
    return Url::assemble(*parts);
}

}  // namespace velumo
