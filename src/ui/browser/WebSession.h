#pragma once

#include <chrono>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>

#include <webkit2/webkit2.h>

#include "browser/SparePagePlan.h"

namespace velumo {

// The one web session of all floating windows: cookies, logins and site data
// shared between windows and kept across runs, in Velumo's own data and cache
// folders (never WebKit's default context). Also holds the script, present in
// every frame of every page, that pauses media, and hands each download to
// the page it came from. Keeps a web view prepared for the next window
// (SparePagePlan), whose web process has started but loaded nothing.
class WebSession {
  public:
    WebSession(const std::filesystem::path& dataDirectory,
               const std::filesystem::path& cacheDirectory,
               std::chrono::milliseconds spareIdleTime = SparePagePlan::defaultIdleTime,
               std::chrono::milliseconds sparePrepareDelay = SparePagePlan::defaultPrepareDelay);
    ~WebSession();
    WebSession(const WebSession&) = delete;
    WebSession& operator=(const WebSession&) = delete;

    // $XDG_DATA_HOME/com.orvantis.velumo/web and $XDG_CACHE_HOME/com.orvantis.velumo/web.
    static WebSession& shared();

    // The session, asked for when a page first needs it: WebKit starts a
    // process and threads of its own with a session, which an application
    // showing no page has no use for.
    using Provider = std::function<WebSession&()>;

    WebKitWebContext* context() const { return context_; }
    WebKitWebsiteDataManager* dataManager() const { return dataManager_; }

    // A web view in this session with a settings object of its own, so its
    // user agent is its own: the prepared one if there is one, else a new
    // one. The caller owns the returned (floating) widget, and tells of the
    // page's first arrival and of its end.
    GtkWidget* createWebView(std::string_view userAgent);
    void pageShown();
    void pageClosed();
    // The prepared view that waits for the next window, if any.
    WebKitWebView* spareView() const {
        return spare_ != nullptr ? WEBKIT_WEB_VIEW(spare_) : nullptr;
    }

    // Runs `script` in the main frame of the view's page, in the world of
    // Velumo's scripts, and hands `answer` the JSON text of its result:
    // nothing when it threw, gave no value, or the page had gone.
    using ScriptAnswer = std::function<void(std::optional<std::string> json)>;
    void runScript(WebKitWebView* view, const std::string& script, ScriptAnswer answer) const;

    // Pauses every audio and video element in every frame of the page, also
    // frames of other origins.
    void pauseMedia(WebKitWebView* view) const;

    // Downloads of `view` go to `handler` (none removes it). WebKit would
    // save any other download unasked; it is cancelled.
    using DownloadHandler = std::function<void(WebKitDownload* download)>;
    void setDownloadHandler(WebKitWebView* view, DownloadHandler handler);

  private:
    static void downloadStarted(WebKitWebContext* context, WebKitDownload* download, gpointer self);
    GtkWidget* newWebView(std::string_view userAgent) const;
    void prepareSpareView();
    void dropSpareView();

    WebKitWebsiteDataManager* dataManager_ = nullptr;
    WebKitWebContext* context_ = nullptr;
    WebKitUserContentManager* content_ = nullptr;
    std::string pauseCall_;
    std::map<WebKitWebView*, DownloadHandler> downloadHandlers_;
    std::size_t openPages_ = 0;
    GtkWidget* spare_ = nullptr;
    GMemoryMonitor* memoryMonitor_ = nullptr;
    SparePagePlan sparePlan_;
};

}  // namespace velumo
