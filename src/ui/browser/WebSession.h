#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

#include <webkit2/webkit2.h>

namespace velumo {

// The one web session of all floating windows: cookies, logins and site data
// shared between windows and kept across runs, in Velumo's own data and cache
// folders (never WebKit's default context). Also holds the script, present in
// every frame of every page, that pauses media.
class WebSession {
  public:
    WebSession(const std::filesystem::path& dataDirectory,
               const std::filesystem::path& cacheDirectory);
    ~WebSession();
    WebSession(const WebSession&) = delete;
    WebSession& operator=(const WebSession&) = delete;

    // $XDG_DATA_HOME/com.orvantis.velumo/web and $XDG_CACHE_HOME/com.orvantis.velumo/web.
    static WebSession& shared();

    WebKitWebContext* context() const { return context_; }
    WebKitWebsiteDataManager* dataManager() const { return dataManager_; }

    // A new web view in this session with a settings object of its own, so
    // its user agent is its own. The caller owns the returned (floating) widget.
    GtkWidget* createWebView(std::string_view userAgent) const;

    // Pauses every audio and video element in every frame of the page, also
    // frames of other origins; `done` runs once the page has been asked.
    void pauseMedia(WebKitWebView* view, std::function<void()> done) const;

  private:
    WebKitWebsiteDataManager* dataManager_ = nullptr;
    WebKitWebContext* context_ = nullptr;
    WebKitUserContentManager* content_ = nullptr;
    std::string pauseCall_;
};

}  // namespace velumo
