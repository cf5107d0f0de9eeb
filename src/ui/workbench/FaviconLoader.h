#pragma once

#include <chrono>
#include <cstddef>
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
// Decoded icons stay in memory for the loader's life. The bytes of every
// icon that decoded are kept in a private folder, so the next run shows them
// at once and without the network; an entry older than a week is still shown
// and fetched anew behind it.
class FaviconLoader {
  public:
    using Ready = sigc::slot<void(const Glib::RefPtr<Gdk::Pixbuf>&)>;

    // A body larger than this is no icon; it leaves the globe.
    static constexpr std::size_t maximumBodySize = std::size_t{256} * 1024;
    // The side of a tile's icon in logical pixels.
    static constexpr int iconSide = 24;

    // Icons are scaled to fit `pixelSize` pixels square.
    FaviconLoader(std::filesystem::path cacheFolder, int pixelSize);
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

    // Addresses on their way; for tests and measurements that wait for quiet.
    std::size_t pending() const { return waiting_.size(); }

  private:
    struct Fetch;

    std::filesystem::path entryPath(const std::string& url) const;
    void readEntry(const std::string& url);
    void download(Fetch* fetch);
    void readNextChunk(Fetch* fetch);
    void decodeDownload(Fetch* fetch);
    // A null icon is a failure.
    void finish(Fetch* fetch, const Glib::RefPtr<Gdk::Pixbuf>& icon);
    void end(Fetch* fetch);
    void deliver(const std::string& url, const Glib::RefPtr<Gdk::Pixbuf>& icon);

    std::filesystem::path folder_;
    int pixelSize_;
    SoupSession* session_ = nullptr;
    // Each is cancelled when the loader goes.
    std::unordered_set<Fetch*> fetches_;
    std::unordered_map<std::string, Glib::RefPtr<Gdk::Pixbuf>> icons_;
    std::unordered_map<std::string, std::vector<Ready>> waiting_;
    std::unordered_map<std::string, std::chrono::steady_clock::time_point> failedAt_;
};

}  // namespace velumo
