#pragma once

#include <chrono>
#include <cstddef>
#include <deque>
#include <filesystem>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include <gdkmm/pixbuf.h>
#include <libsoup/soup.h>
#include <sigc++/functors/slot.h>

namespace velumo {

// Site icons for the workbench's bookmark tiles. Downloads run on the main
// loop without ever waiting on it (libsoup, asynchronously), and decoding
// runs on a worker thread; only finished icons come back to the main loop.
// Only raster images are decoded: a vector image may cost any amount of work
// to draw. Decoded icons stay in memory for the loader's life. The bytes of
// every icon that decoded are kept in a private folder, so the next run shows
// them at once and without the network; an entry older than a week is still
// shown and fetched anew behind it.
class FaviconLoader {
  public:
    using Ready = sigc::slot<void(const Glib::RefPtr<Gdk::Pixbuf>&)>;

    // How downloads share the network. A few run at once; one still running
    // after `patience` gives its place to the next, so slow servers never
    // hold the others back, and each ends `deadline` after it was sent,
    // however its server trickles the bytes.
    struct Limits {
        std::size_t places = 6;
        std::chrono::milliseconds patience{3000};
        std::chrono::milliseconds deadline{15000};
    };

    // A body larger than this is no icon; it leaves the globe.
    static constexpr std::size_t maximumBodySize = std::size_t{256} * 1024;
    // The side of a tile's icon in logical pixels.
    static constexpr int iconSide = 24;
    // A kept icon not shown for this long is removed.
    static constexpr std::chrono::hours unusedLifetime{24 * 30};

    // Icons are scaled to fit `pixelSize` pixels square.
    FaviconLoader(std::filesystem::path cacheFolder, int pixelSize);
    FaviconLoader(std::filesystem::path cacheFolder, int pixelSize, Limits limits);
    // Cancels what is under way; no callback runs afterwards.
    ~FaviconLoader();
    FaviconLoader(const FaviconLoader&) = delete;
    FaviconLoader& operator=(const FaviconLoader&) = delete;

    // $XDG_CACHE_HOME/com.orvantis.velumo/favicons, at the display's scale;
    // created on first use and never destroyed.
    static FaviconLoader& shared();

    // The icon of `url` when it is in memory. Otherwise null, and `ready`
    // runs on the main loop once the icon arrived, unless the object it is
    // bound to is gone by then. Only http and https addresses are fetched; a
    // failure calls nothing, and the same address is not asked for again
    // for a few minutes.
    Glib::RefPtr<Gdk::Pixbuf> load(const std::string& url, const Ready& ready);

    // Removes, off the main loop, the kept icons of addresses not in `wanted`
    // (the bookmarks' icons) and those not shown for `unusedLifetime`.
    void prune(const std::vector<std::string>& wanted) const;

    // Addresses on their way; for tests and measurements that wait for quiet.
    std::size_t pending() const { return waiting_.size(); }

  private:
    struct Fetch;

    std::filesystem::path entryPath(const std::string& url) const;
    void readEntry(const std::string& url);
    void enqueue(Fetch* fetch);
    void startQueued();
    void releasePlace(Fetch* fetch);
    void download(Fetch* fetch);
    void readNextChunk(Fetch* fetch);
    void decodeDownload(Fetch* fetch);
    // A null icon is a failure.
    void finish(Fetch* fetch, const Glib::RefPtr<Gdk::Pixbuf>& icon);
    void end(Fetch* fetch);
    void deliver(const std::string& url, const Glib::RefPtr<Gdk::Pixbuf>& icon);

    std::filesystem::path folder_;
    int pixelSize_;
    Limits limits_;
    SoupSession* session_ = nullptr;
    // Each is cancelled when the loader goes.
    std::unordered_set<Fetch*> fetches_;
    // Waiting for a place, in the order they were asked for.
    std::deque<Fetch*> queue_;
    std::size_t placesTaken_ = 0;
    std::unordered_map<std::string, Glib::RefPtr<Gdk::Pixbuf>> icons_;
    std::unordered_map<std::string, std::vector<Ready>> waiting_;
    std::unordered_map<std::string, std::chrono::steady_clock::time_point> failedAt_;
};

}  // namespace velumo
