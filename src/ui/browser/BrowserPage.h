#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <gtkmm/dialog.h>
#include <webkit2/webkit2.h>

#include "MainQueue.h"
#include "browser/DesktopLauncher.h"
#include "browser/FloatingPanel.h"
#include "browser/PageState.h"
#include "browser/WebSession.h"

namespace velumo {

class AppDataStore;

// The page of a floating window: its web view and all that the web engine
// asks of it (loading and failed loads, error and crash pages, the navigation
// policy, downloads, permissions, the page's own dialogs, a page that stops
// responding, titles and the visits they record, zoom, identity and media).
// The window's controller places the view, sends the person's commands and
// hears of every change; the page's questions go to the panel. The page is
// muted while its panel is hidden.
// Held by its controller through a shared pointer, so deferred steps can hold
// it weakly.
class BrowserPage : public std::enable_shared_from_this<BrowserPage> {
  public:
    BrowserPage(AppDataStore& store, DesktopLauncher& launcher, WebSession::Provider session,
                FloatingPanel& panel, const std::string& initialURL);
    ~BrowserPage();
    BrowserPage(const BrowserPage&) = delete;
    BrowserPage& operator=(const BrowserPage&) = delete;

    // Runs whenever the address, the title or the history changed.
    void setOnChange(std::function<void()> onChange) { onChange_ = std::move(onChange); }

    const PageState& state() const { return state_; }
    // Absent until created and after the page closed.
    WebKitWebView* webView() const { return webView_; }

    // Creates the web view, once; the page owns it and the caller places it.
    GtkWidget* createWebView();
    // Loads `url` with the load time-out; nothing without a web view.
    void load(const std::string& url);
    // The first page, or the error page in its place, arrived and the view
    // has drawn it.
    bool arrived() const { return drawn_; }
    bool canGoBack() const;
    bool canGoForward() const;
    void goBack();
    void goForward();
    void reload();
    // The person's zoom: automatic fitting stops for good.
    void setManualZoom(double zoom);
    // Reloads from the origin with the new identity, unless it is unchanged.
    void setIdentity(BrowserIdentityMode mode);
    // The zoom (none: fitted) and identity the page starts with, before its
    // web view exists.
    void presetDisplay(std::optional<double> zoom, BrowserIdentityMode identity);
    // Back to a fitted zoom and the desktop identity.
    void resetDisplay();
    void pauseMedia();
    // Records a visit still waiting for its title, ends the web process at
    // once (a runaway script would keep it busy long after) and drops the
    // web view for good.
    void close();

  private:
    using Weak = std::weak_ptr<BrowserPage>;

    void changed() const;
    void fitPageToViewport();
    // Loads `html` in place of the page at `url`, which could not be shown.
    void showErrorPage(const std::string& html, const std::string& url);
    void loadStarted();
    void loadFinished(std::optional<std::string_view> url, std::optional<std::string_view> title);
    void recordVisitWithNextTitle();
    void announceWhenDrawn();
    void recordVisit();
    void setMuted(bool muted);
    // Shows a question about the page over the panel; `answered` runs with
    // the response while this page still exists.
    void ask(std::unique_ptr<Gtk::Dialog> dialog, std::function<void(BrowserPage&, int)> answered);

    static void loadChanged(WebKitWebView* view, WebKitLoadEvent event, gpointer self);
    static gboolean loadFailed(WebKitWebView* view, WebKitLoadEvent event, gchar* uri,
                               GError* error, gpointer self);
    static void titleChanged(WebKitWebView* view, GParamSpec* property, gpointer self);
    static gboolean decidePolicy(WebKitWebView* view, WebKitPolicyDecision* decision,
                                 WebKitPolicyDecisionType type, gpointer self);
    static GtkWidget* createRequested(WebKitWebView* view, WebKitNavigationAction* action,
                                      gpointer self);
    static void processTerminated(WebKitWebView* view, WebKitWebProcessTerminationReason reason,
                                  gpointer self);
    static gboolean permissionRequested(WebKitWebView* view, WebKitPermissionRequest* request,
                                        gpointer self);
    static gboolean scriptDialogRequested(WebKitWebView* view, WebKitScriptDialog* dialog,
                                          gpointer self);
    static void responsivenessChanged(WebKitWebView* view, GParamSpec* property, gpointer self);

    // Decides `decision` (none for a page's request of a new window).
    void navigationAction(WebKitNavigationAction* action, bool targetsFrame,
                          WebKitPolicyDecision* decision);
    bool decideResponse(WebKitResponsePolicyDecision* decision);
    bool askPermission(WebKitPermissionRequest* request);
    void askToOpenElsewhere(const std::string& url);
    void showScriptDialog(WebKitScriptDialog* request);
    void askToEndUnresponsivePage();
    void downloadStarted(WebKitDownload* download);
    void chooseDownloadDestination(WebKitDownload* download, const std::string& suggestedName);

    AppDataStore& store_;
    DesktopLauncher& launcher_;
    WebSession::Provider sessionProvider_;
    // The session of the web view, from its creation on.
    WebSession* session_ = nullptr;
    FloatingPanel& panel_;
    std::function<void()> onChange_;
    PageState state_;
    WebKitWebView* webView_ = nullptr;

    // The time-out of the load this page started, until the load commits or
    // fails (any load's answer ends it); then it puts an error page in its place.
    MainQueue::Ticket loadTimeout_ = 0;
    // What the load under way brings, as far as its end matters: a page is
    // fitted and recorded, an error page only fitted, a failure neither.
    enum class Loading { page, errorPage, failed };
    Loading loading_ = Loading::page;
    bool errorPageRequested_ = false;
    unsigned finishedLoads_ = 0;
    // The first page (or error page) arrived.
    bool shown_ = false;
    bool drawn_ = false;
    gulong firstDraw_ = 0;
    bool visitAwaitingTitle_ = false;

    // The address of the latest navigation the person clicked for; only it
    // may become a download, and the download only once.
    std::string clickedAddress_;
    // The open question about a page that stopped responding, if any.
    Gtk::Dialog* unresponsiveQuestion_ = nullptr;
    // The person chose to end the web process; its end shows the crash page.
    bool endRequested_ = false;
    std::vector<sigc::connection> panelConnections_;
};

}  // namespace velumo
