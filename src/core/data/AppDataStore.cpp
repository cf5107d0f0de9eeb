#include "data/AppDataStore.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <utility>

#include <glib.h>

#include "NotificationCenter.h"
#include "data/AppDataSanitizer.h"
#include "data/DefaultBookmarks.h"
#include "data/DurableFile.h"
#include "data/Url.h"

namespace velumo {
namespace {

constexpr std::size_t titleLimit = 512;
constexpr std::size_t historyLimit = 50;
// Far beyond any real document: a bigger file is not read, but set aside.
constexpr std::size_t largestDataFile = std::size_t{64} * 1024 * 1024;

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

// Moves `file` out of the way under a name no earlier kept file has; the
// reason when it stays put.
std::expected<void, std::string> setAside(const std::filesystem::path& file, std::uint64_t time) {
    const std::string base = file.string() + ".unreadable-" + std::to_string(time);
    for (int attempt = 0; attempt < 1000; ++attempt) {
        const std::filesystem::path candidate =
            attempt == 0 ? base : base + "-" + std::to_string(attempt);
        std::error_code error;
        const auto status = std::filesystem::symlink_status(candidate, error);
        if (std::filesystem::exists(status)) {
            continue;
        }
        if (status.type() != std::filesystem::file_type::not_found) {
            return std::unexpected(g_strerror(error.value()));
        }
        if (::rename(file.c_str(), candidate.c_str()) != 0) {
            return std::unexpected(g_strerror(errno));
        }
        return {};
    }
    return std::unexpected("备份文件名都已被占用");
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

AppDataStore::AppDataStore(std::filesystem::path path, Clock clock)
    : path_(std::move(path)), clock_(std::move(clock)) {
    // A writer killed in the middle of a save leaves its temporary file behind.
    if (const auto target = DurableFile::linkTarget(path_)) {
        DurableFile::removeLeftovers(*target);
    }
    std::optional<AppDataSnapshot> loaded;
    if (const auto contents = DurableFile::read(path_, largestDataFile)) {
        loaded = AppDataSanitizer::decode(*contents);
    }
    fileIsKnown_ = loaded.has_value();
    data_ = loaded.value_or(AppDataSnapshot{});
    seedDefaultBookmarks(data_, clock_);
    // Rewrites the file in normalised form, after setting aside one that could
    // not be read. A failure is not fatal: the document stays in memory and
    // the next change tries again.
    [[maybe_unused]] const auto written = save(data_);
}

AppDataStore& AppDataStore::shared() {
    static AppDataStore store(defaultPath());
    return store;
}

std::filesystem::path AppDataStore::defaultPath() {
    // Read here rather than through g_get_user_data_dir(), which keeps the
    // first answer for the life of the process.
    std::filesystem::path base;
    const char* dataHome = std::getenv("XDG_DATA_HOME");  // NOLINT(concurrency-mt-unsafe)
    if (dataHome && *dataHome && std::filesystem::path(dataHome).is_absolute()) {
        base = dataHome;
    } else {
        base = std::filesystem::path(g_get_home_dir()) / ".local" / "share";
    }
    return base / "com.orvantis.velumo" / "app-data.json";
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

StoreResult<void> AppDataStore::mutate(const std::function<void(AppDataSnapshot&)>& change) {
    {
        std::scoped_lock guard(lock_);
        AppDataSnapshot working = data_;
        change(working);
        if (auto saved = save(working); !saved) {
            return saved;
        }
        data_ = std::move(working);
    }
    // Observers re-read the store, so the lock must be free by now.
    NotificationCenter::defaultCenter().post(appDataDidChange, this);
    return {};
}

StoreResult<void> AppDataStore::save(const AppDataSnapshot& document) {
    const auto folder = path_.parent_path();
    if (!folder.empty()) {
        if (auto made = DurableFile::makePrivateFolder(folder); !made) {
            return std::unexpected(StoreFailure::saving(made.error()));
        }
    }
    auto bytes = AppDataSanitizer::encode(document);
    if (!bytes) {
        return std::unexpected(StoreFailure::saving(bytes.error()));
    }
    auto destination = clearedDestination();
    if (!destination) {
        return std::unexpected(destination.error());
    }
    if (auto replaced = DurableFile::replace(*destination, *bytes); !replaced) {
        return std::unexpected(StoreFailure::saving(replaced.error()));
    }
    fileIsKnown_ = true;
    return {};
}

StoreResult<std::filesystem::path> AppDataStore::clearedDestination() const {
    const auto target = DurableFile::linkTarget(path_);
    std::error_code error;
    const auto type = target ? std::filesystem::symlink_status(*target, error).type()
                             : std::filesystem::file_type::unknown;
    if (type == std::filesystem::file_type::not_found ||
        (type == std::filesystem::file_type::regular && fileIsKnown_)) {
        return *target;
    }
    // A regular file goes aside where it is, so the links to it stay; for
    // anything else (a folder, a FIFO, a device, a looping link) the data
    // path's own entry goes, and nothing is ever written into it.
    auto subject = type == std::filesystem::file_type::regular ? *target : path_;
    if (auto aside = setAside(subject, now()); !aside) {
        return std::unexpected(StoreFailure::saving(
            "数据文件 " + subject.string() + " 无法读取，也无法移到一旁保留（" + aside.error() +
            "）；为免覆盖其中的内容，更改没有保存"));
    }
    return subject;
}

StoreResult<HistoryEntry> AppDataStore::recordVisitThrowing(std::string_view url,
                                                            std::string_view title) {
    auto checked = checkedPage(url, title);
    if (!checked) {
        return std::unexpected(checked.error());
    }
    HistoryEntry entry;
    auto saved = mutate([&](AppDataSnapshot& document) {
        entry.id = makeIdentifier("h", now());
        entry.url = checked->url;
        entry.title = checked->title;
        entry.visitedAt = now();
        document.history.insert(document.history.begin(), entry);
        if (document.history.size() > historyLimit) {
            document.history.resize(historyLimit);
        }
    });
    if (!saved) {
        return std::unexpected(saved.error());
    }
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
