#include "workbench/FaviconLoader.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <fcntl.h>
#include <memory>
#include <optional>
#include <string_view>
#include <sys/stat.h>
#include <utility>

#include <glib/gstdio.h>

#include "data/Url.h"

namespace velumo {
namespace {

// A failed address is left alone this long before it is asked for again.
constexpr auto retryAfter = std::chrono::minutes(5);
// A kept icon older than this is fetched anew behind the one shown.
constexpr auto entryLifetime = std::chrono::hours(24 * 7);
constexpr gsize chunkSize = gsize{64} * 1024;
// A larger image is refused before its pixels are decoded.
constexpr int largestSide = 2048;

// The image loader for a raster image, told by its first bytes; none for
// anything else. Naming the loader keeps vector images (SVG, whose drawing
// may take any amount of memory and time) from ever being decoded.
const char* rasterType(std::string_view data) {
    const std::pair<std::string_view, const char*> signatures[] = {
        {"\x89PNG\r\n\x1a\n", "png"},
        {std::string_view("\0\0\1\0", 4), "ico"},
        {std::string_view("\0\0\2\0", 4), "ico"},
        {"GIF8", "gif"},
        {"\xff\xd8\xff", "jpeg"},
        {"BM", "bmp"},
    };
    for (const auto& [signature, type] : signatures) {
        if (data.starts_with(signature)) {
            return type;
        }
    }
    return data.starts_with("RIFF") && data.substr(8, 4) == "WEBP" ? "webp" : nullptr;
}

// Decodes `data` and scales the image to fit `pixelSize` square; null when
// the bytes are no raster image the desktop can read. Runs on worker threads.
GdkPixbuf* decodeIcon(const std::string& data, int pixelSize) {
    const char* type = rasterType(data);
    GdkPixbufLoader* loader =
        type != nullptr ? gdk_pixbuf_loader_new_with_type(type, nullptr) : nullptr;
    if (loader == nullptr) {
        return nullptr;
    }
    g_signal_connect(loader, "size-prepared",
                     G_CALLBACK(+[](GdkPixbufLoader* self, int width, int height, gpointer) {
                         if (width > largestSide || height > largestSide) {
                             // Zero asks the image module to stop before it allocates.
                             gdk_pixbuf_loader_set_size(self, 0, 0);
                         }
                     }),
                     nullptr);
    // A failed write closes the loader itself.
    const bool decoded =
        gdk_pixbuf_loader_write(loader, reinterpret_cast<const guchar*>(data.data()), data.size(),
                                nullptr) != FALSE &&
        gdk_pixbuf_loader_close(loader, nullptr) != FALSE;
    GdkPixbuf* image = decoded ? gdk_pixbuf_loader_get_pixbuf(loader) : nullptr;
    GdkPixbuf* icon = nullptr;
    if (image != nullptr) {
        const int width = gdk_pixbuf_get_width(image);
        const int height = gdk_pixbuf_get_height(image);
        const int longer = std::max(width, height);
        icon = gdk_pixbuf_scale_simple(image, std::max(1, width * pixelSize / longer),
                                       std::max(1, height * pixelSize / longer), GDK_INTERP_HYPER);
    }
    g_object_unref(loader);
    return icon;
}

std::optional<std::string> readSmallFile(const std::filesystem::path& path, GStatBuf& status) {
    if (g_stat(path.c_str(), &status) != 0 || !S_ISREG(status.st_mode)) {
        return std::nullopt;
    }
    gchar* contents = nullptr;
    gsize length = 0;
    if (static_cast<std::size_t>(status.st_size) > FaviconLoader::maximumBodySize ||
        g_file_get_contents(path.c_str(), &contents, &length, nullptr) == FALSE) {
        return std::nullopt;
    }
    std::string bytes(contents, length);
    g_free(contents);
    return bytes;
}

// What a worker thread is given.
struct EntryJob {
    std::filesystem::path path;
    int pixelSize = 0;
    // The downloaded bytes to decode and keep; empty for reading the entry.
    std::string body;
};

struct EntryResult {
    GdkPixbuf* icon = nullptr;
    bool stale = false;
};

void deleteEntryResult(gpointer data) {
    auto* result = static_cast<EntryResult*>(data);
    if (result->icon != nullptr) {
        g_object_unref(result->icon);
    }
    delete result;
}

void readEntryInThread(GTask* task, gpointer, gpointer data, GCancellable*) {
    const auto* job = static_cast<EntryJob*>(data);
    auto* result = new EntryResult;
    GStatBuf status{};
    if (const auto bytes = readSmallFile(job->path, status)) {
        result->icon = decodeIcon(*bytes, job->pixelSize);
        const auto age = std::chrono::system_clock::now() -
                         std::chrono::system_clock::from_time_t(status.st_mtime);
        result->stale = age > entryLifetime;
    }
    if (result->icon != nullptr) {
        // Its last use, which pruning goes by: set here, whatever the
        // file system's own access times do.
        const std::array<timespec, 2> usedNow{timespec{0, UTIME_NOW}, timespec{0, UTIME_OMIT}};
        ::utimensat(AT_FDCWD, job->path.c_str(), usedNow.data(), 0);
    } else {
        // Whatever is there is of no use; the download writes it anew.
        g_remove(job->path.c_str());
    }
    g_task_return_pointer(task, result, deleteEntryResult);
}

void decodeDownloadInThread(GTask* task, gpointer, gpointer data, GCancellable*) {
    const auto* job = static_cast<EntryJob*>(data);
    GdkPixbuf* icon = decodeIcon(job->body, job->pixelSize);
    if (icon != nullptr) {
        // Only this user may read what sites they keep; a failed write only
        // costs the next run a download.
        const std::string folder = job->path.parent_path();
        if (g_mkdir_with_parents(folder.c_str(), 0700) == 0 && g_chmod(folder.c_str(), 0700) == 0) {
            g_file_set_contents_full(job->path.c_str(), job->body.data(),
                                     static_cast<gssize>(job->body.size()),
                                     G_FILE_SET_CONTENTS_CONSISTENT, 0600, nullptr);
        }
    }
    g_task_return_pointer(task, icon, g_object_unref);
}

struct PruneJob {
    std::filesystem::path folder;
    std::unordered_set<std::string> wanted;
    // Entries written since are left alone: their bookmarks may be newer.
    std::filesystem::file_time_type askedAt;
};

void pruneInThread(GTask*, gpointer, gpointer data, GCancellable*) {
    const auto* job = static_cast<PruneJob*>(data);
    const auto now = std::chrono::system_clock::now();
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(job->folder, error)) {
        GStatBuf status{};
        if (g_stat(entry.path().c_str(), &status) != 0 || !S_ISREG(status.st_mode)) {
            continue;
        }
        const bool unused = now - std::chrono::system_clock::from_time_t(status.st_atime) >
                            FaviconLoader::unusedLifetime;
        const bool unwanted = !job->wanted.contains(entry.path().filename().string()) &&
                              entry.last_write_time(error) < job->askedAt;
        if (unused || unwanted) {
            g_remove(entry.path().c_str());
        }
    }
}

void runInThread(EntryJob job, GCancellable* cancellable, GAsyncReadyCallback done, gpointer data,
                 GTaskThreadFunc work) {
    GTask* task = g_task_new(nullptr, cancellable, done, data);
    g_task_set_task_data(task, new EntryJob(std::move(job)),
                         [](gpointer job) { delete static_cast<EntryJob*>(job); });
    g_task_run_in_thread(task, work);
    g_object_unref(task);
}

}  // namespace

// One address on its way, from the kept entry through the download to the
// decoded icon. It owns itself between the steps; each step first asks
// whether the loader is gone before touching it. Its cancellable stops the
// step under way when the loader goes or the deadline passes.
struct FaviconLoader::Fetch {
    Fetch(FaviconLoader& owner, std::string address) : loader(&owner), url(std::move(address)) {}
    Fetch(const Fetch&) = delete;
    Fetch& operator=(const Fetch&) = delete;
    ~Fetch() {
        stopTimers();
        if (stream != nullptr) {
            // Drops the connection instead of reading the rest of the body.
            if (!complete) {
                g_cancellable_cancel(cancellable);
            }
            g_object_unref(stream);
        }
        if (message != nullptr) {
            g_object_unref(message);
        }
        g_object_unref(cancellable);
    }

    // Deletes the fetch when the loader went away meanwhile.
    static Fetch* live(gpointer data) {
        auto* fetch = static_cast<Fetch*>(data);
        if (fetch->loader == nullptr) {
            delete fetch;
            return nullptr;
        }
        return fetch;
    }

    void stopTimers() {
        for (guint* timer : {&patienceTimer, &deadlineTimer}) {
            if (*timer != 0) {
                g_source_remove(*timer);
                *timer = 0;
            }
        }
    }

    // Null once the loader is gone.
    FaviconLoader* loader;
    std::string url;
    // The entry's icon is already shown; a failure changes nothing.
    bool refresh = false;
    GCancellable* cancellable = g_cancellable_new();
    SoupMessage* message = nullptr;
    GInputStream* stream = nullptr;
    bool complete = false;
    std::string body;
    // Counted among the downloads that may run at once.
    bool holdsPlace = false;
    guint patienceTimer = 0;
    guint deadlineTimer = 0;
};

namespace {

// Enough connections that libsoup never queues a download the loader started:
// those holding a place, and those that gave theirs up and run until their
// deadline.
guint connectionLimit(const FaviconLoader::Limits& limits) {
    const auto patience = std::max<std::int64_t>(1, limits.patience.count());
    return static_cast<guint>(limits.places *
                              static_cast<std::size_t>(limits.deadline.count() / patience + 1));
}

}  // namespace

FaviconLoader::FaviconLoader(std::filesystem::path cacheFolder, int pixelSize)
    : FaviconLoader(std::move(cacheFolder), pixelSize, Limits{}) {}

FaviconLoader::FaviconLoader(std::filesystem::path cacheFolder, int pixelSize, Limits limits)
    : folder_(std::move(cacheFolder)),
      pixelSize_(pixelSize),
      limits_(limits),
      session_(soup_session_new_with_options("max-conns", connectionLimit(limits),
                                             "max-conns-per-host", connectionLimit(limits),
                                             nullptr)) {}

FaviconLoader::~FaviconLoader() {
    // Queued ones have no step under way that would delete them.
    for (Fetch* fetch : queue_) {
        fetches_.erase(fetch);
        delete fetch;
    }
    for (Fetch* fetch : fetches_) {
        fetch->stopTimers();
        fetch->loader = nullptr;
        g_cancellable_cancel(fetch->cancellable);
    }
    g_object_unref(session_);
}

FaviconLoader& FaviconLoader::shared() {
    static auto* loader = [] {
        GdkDisplay* display = gdk_display_get_default();
        GdkMonitor* monitor = display != nullptr ? gdk_display_get_monitor(display, 0) : nullptr;
        const int scale = monitor != nullptr ? gdk_monitor_get_scale_factor(monitor) : 1;
        // NOLINTNEXTLINE(cppcoreguidelines-owning-memory): lives as long as the process.
        return new FaviconLoader(
            std::filesystem::path(g_get_user_cache_dir()) / "com.orvantis.velumo" / "favicons",
            iconSide * scale);
    }();
    return *loader;
}

Glib::RefPtr<Gdk::Pixbuf> FaviconLoader::load(const std::string& url, const Ready& ready) {
    if (const auto icon = icons_.find(url); icon != icons_.end()) {
        return icon->second;
    }
    if (!Url::webAddress(url)) {
        return {};
    }
    if (const auto failed = failedAt_.find(url);
        failed != failedAt_.end() &&
        std::chrono::steady_clock::now() - failed->second < retryAfter) {
        return {};
    }
    auto [entry, first] = waiting_.try_emplace(url);
    entry->second.push_back(ready);
    if (first) {
        readEntry(url);
    }
    return {};
}

std::filesystem::path FaviconLoader::entryPath(const std::string& url) const {
    gchar* digest = g_compute_checksum_for_string(G_CHECKSUM_SHA256, url.c_str(),
                                                  static_cast<gssize>(url.size()));
    std::filesystem::path path = folder_ / digest;
    g_free(digest);
    return path;
}

void FaviconLoader::readEntry(const std::string& url) {
    auto* fetch = new Fetch(*this, url);
    fetches_.insert(fetch);
    runInThread(
        {entryPath(url), pixelSize_, {}}, fetch->cancellable,
        [](GObject*, GAsyncResult* result, gpointer data) {
            auto* entry =
                static_cast<EntryResult*>(g_task_propagate_pointer(G_TASK(result), nullptr));
            std::unique_ptr<EntryResult, void (*)(gpointer)> owned(entry, deleteEntryResult);
            Fetch* fetch = Fetch::live(data);
            if (fetch == nullptr) {
                return;
            }
            if (entry == nullptr || entry->icon == nullptr) {
                fetch->loader->enqueue(fetch);
                return;
            }
            fetch->loader->deliver(fetch->url, Glib::wrap(GDK_PIXBUF(g_object_ref(entry->icon))));
            if (entry->stale) {
                fetch->refresh = true;
                fetch->loader->enqueue(fetch);
            } else {
                fetch->loader->end(fetch);
            }
        },
        fetch, readEntryInThread);
}

void FaviconLoader::prune(const std::vector<std::string>& wanted) const {
    auto* job = new PruneJob{folder_, {}, std::filesystem::file_time_type::clock::now()};
    for (const auto& url : wanted) {
        job->wanted.insert(entryPath(url).filename().string());
    }
    GTask* task = g_task_new(nullptr, nullptr, nullptr, nullptr);
    g_task_set_task_data(task, job, [](gpointer job) { delete static_cast<PruneJob*>(job); });
    g_task_run_in_thread(task, pruneInThread);
    g_object_unref(task);
}

void FaviconLoader::enqueue(Fetch* fetch) {
    queue_.push_back(fetch);
    startQueued();
}

void FaviconLoader::startQueued() {
    while (placesTaken_ < limits_.places && !queue_.empty()) {
        Fetch* fetch = queue_.front();
        queue_.pop_front();
        ++placesTaken_;
        fetch->holdsPlace = true;
        download(fetch);
    }
}

void FaviconLoader::releasePlace(Fetch* fetch) {
    if (fetch->holdsPlace) {
        fetch->holdsPlace = false;
        --placesTaken_;
        startQueued();
    }
}

void FaviconLoader::download(Fetch* fetch) {
    const auto address = Url::webAddress(fetch->url);
    fetch->message = address ? soup_message_new("GET", address->text.c_str()) : nullptr;
    if (fetch->message == nullptr) {
        finish(fetch, {});
        return;
    }
    const auto milliseconds = [](std::chrono::milliseconds time) {
        return static_cast<guint>(time.count());
    };
    fetch->patienceTimer = g_timeout_add(
        milliseconds(limits_.patience),
        [](gpointer data) {
            auto* fetch = static_cast<Fetch*>(data);
            fetch->patienceTimer = 0;
            fetch->loader->releasePlace(fetch);
            return G_SOURCE_REMOVE;
        },
        fetch);
    // The step under way then fails, and the fetch with it.
    fetch->deadlineTimer = g_timeout_add(
        milliseconds(limits_.deadline),
        [](gpointer data) {
            auto* fetch = static_cast<Fetch*>(data);
            fetch->deadlineTimer = 0;
            g_cancellable_cancel(fetch->cancellable);
            return G_SOURCE_REMOVE;
        },
        fetch);
    soup_message_headers_replace(soup_message_get_request_headers(fetch->message), "Accept",
                                 "image/*");
    soup_session_send_async(
        session_, fetch->message, G_PRIORITY_LOW, fetch->cancellable,
        [](GObject* session, GAsyncResult* result, gpointer data) {
            auto* fetch = static_cast<Fetch*>(data);
            fetch->stream = soup_session_send_finish(SOUP_SESSION(session), result, nullptr);
            if (Fetch::live(fetch) == nullptr) {
                return;
            }
            const auto* headers = soup_message_get_response_headers(fetch->message);
            const bool acceptable =
                fetch->stream != nullptr &&
                SOUP_STATUS_IS_SUCCESSFUL(soup_message_get_status(fetch->message)) &&
                soup_message_headers_get_content_length(const_cast<SoupMessageHeaders*>(headers)) <=
                    static_cast<goffset>(maximumBodySize);
            if (acceptable) {
                fetch->loader->readNextChunk(fetch);
            } else {
                fetch->loader->finish(fetch, {});
            }
        },
        fetch);
}

void FaviconLoader::readNextChunk(Fetch* fetch) {
    g_input_stream_read_bytes_async(
        fetch->stream, chunkSize, G_PRIORITY_LOW, fetch->cancellable,
        [](GObject* stream, GAsyncResult* result, gpointer data) {
            GBytes* chunk =
                g_input_stream_read_bytes_finish(G_INPUT_STREAM(stream), result, nullptr);
            std::unique_ptr<GBytes, void (*)(GBytes*)> owned(chunk, g_bytes_unref);
            Fetch* fetch = Fetch::live(data);
            if (fetch == nullptr) {
                return;
            }
            if (chunk == nullptr) {
                fetch->loader->finish(fetch, {});
                return;
            }
            gsize size = 0;
            const auto* bytes = static_cast<const char*>(g_bytes_get_data(chunk, &size));
            if (size == 0) {
                // The last byte is in: decoding gives way to other downloads.
                fetch->complete = true;
                fetch->stopTimers();
                fetch->loader->releasePlace(fetch);
                fetch->loader->decodeDownload(fetch);
                return;
            }
            fetch->body.append(bytes, size);
            if (fetch->body.size() > maximumBodySize) {
                fetch->loader->finish(fetch, {});
            } else {
                fetch->loader->readNextChunk(fetch);
            }
        },
        fetch);
}

void FaviconLoader::decodeDownload(Fetch* fetch) {
    runInThread(
        {entryPath(fetch->url), pixelSize_, std::move(fetch->body)}, fetch->cancellable,
        [](GObject*, GAsyncResult* result, gpointer data) {
            auto* icon = static_cast<GdkPixbuf*>(g_task_propagate_pointer(G_TASK(result), nullptr));
            Glib::RefPtr<Gdk::Pixbuf> owned = Glib::wrap(icon);
            if (Fetch* fetch = Fetch::live(data)) {
                fetch->loader->finish(fetch, owned);
            }
        },
        fetch, decodeDownloadInThread);
}

void FaviconLoader::finish(Fetch* fetch, const Glib::RefPtr<Gdk::Pixbuf>& icon) {
    if (icon) {
        deliver(fetch->url, icon);
    } else if (!fetch->refresh) {
        failedAt_[fetch->url] = std::chrono::steady_clock::now();
        waiting_.erase(fetch->url);
    }
    end(fetch);
}

void FaviconLoader::end(Fetch* fetch) {
    fetch->stopTimers();
    releasePlace(fetch);
    fetches_.erase(fetch);
    delete fetch;
}

void FaviconLoader::deliver(const std::string& url, const Glib::RefPtr<Gdk::Pixbuf>& icon) {
    icons_[url] = icon;
    failedAt_.erase(url);
    // Taken out first: a callback may ask for this address again.
    auto node = waiting_.extract(url);
    if (!node.empty()) {
        for (auto& ready : node.mapped()) {
            ready(icon);
        }
    }
}

}  // namespace velumo
