#include "browser/BrowserPage.h"

#include <chrono>
#include <utility>

#include <glibmm/miscutils.h>
#include <gtkmm/entry.h>
#include <gtkmm/filechooserdialog.h>
#include <gtkmm/messagedialog.h>
#include <libsoup/soup.h>

#include "MainQueue.h"
#include "browser/BrowserIdentity.h"
#include "browser/NavigationPolicy.h"
#include "browser/PagePrompts.h"
#include "data/AppDataStore.h"
#include "data/Url.h"

namespace velumo {
namespace {

constexpr auto loadTimeout = std::chrono::seconds(60);
constexpr auto titleGrace = std::chrono::milliseconds(500);

BrowserPage* pageOf(gpointer self) {
    return static_cast<BrowserPage*>(self);
}

std::optional<std::string_view> optionalText(const char* text) {
    if (text == nullptr) {
        return std::nullopt;
    }
    return std::string_view(text);
}

// A permission request kept until it is answered; unanswered (the window
// closed first) it is denied.
class PendingPermission {
  public:
    explicit PendingPermission(WebKitPermissionRequest* request)
        : request_(WEBKIT_PERMISSION_REQUEST(g_object_ref(request))) {}
    PendingPermission(const PendingPermission&) = delete;
    PendingPermission& operator=(const PendingPermission&) = delete;
    ~PendingPermission() {
        if (!answered_) {
            webkit_permission_request_deny(request_);
        }
        g_object_unref(request_);
    }
    void answer(bool allow) {
        answered_ = true;
        if (allow) {
            webkit_permission_request_allow(request_);
        } else {
            webkit_permission_request_deny(request_);
        }
    }

  private:
    WebKitPermissionRequest* request_;
    bool answered_ = false;
};

// A page's alert, confirm or prompt waiting for the person; the page's script
// waits until it is closed, which happens at the latest when it goes.
class PendingScriptDialog {
  public:
    explicit PendingScriptDialog(WebKitScriptDialog* dialog)
        : dialog_(webkit_script_dialog_ref(dialog)) {}
    PendingScriptDialog(const PendingScriptDialog&) = delete;
    PendingScriptDialog& operator=(const PendingScriptDialog&) = delete;
    ~PendingScriptDialog() {
        close();
        webkit_script_dialog_unref(dialog_);
    }
    WebKitScriptDialog* get() const { return dialog_; }
    // Hands the answer set on the dialog back to the script.
    void close() {
        if (!closed_) {
            closed_ = true;
            webkit_script_dialog_close(dialog_);
        }
    }

  private:
    WebKitScriptDialog* dialog_;
    bool closed_ = false;
};

// A download waiting for its destination; without one (the window closed
// first) it is cancelled.
class PendingDownload {
  public:
    explicit PendingDownload(WebKitDownload* download)
        : download_(WEBKIT_DOWNLOAD(g_object_ref(download))) {}
    PendingDownload(const PendingDownload&) = delete;
    PendingDownload& operator=(const PendingDownload&) = delete;
    ~PendingDownload() {
        if (!answered_) {
            webkit_download_cancel(download_);
        }
        g_object_unref(download_);
    }
    void saveTo(const std::string& path) {
        answered_ = true;
        // The chooser has asked before replacing a file.
        webkit_download_set_allow_overwrite(download_, TRUE);
        webkit_download_set_destination(download_, path.c_str());
    }

  private:
    WebKitDownload* download_;
    bool answered_ = false;
};

bool isAttachment(WebKitURIResponse* response) {
    SoupMessageHeaders* headers = webkit_uri_response_get_http_headers(response);
    char* disposition = nullptr;
    if (headers == nullptr ||
        !soup_message_headers_get_content_disposition(headers, &disposition, nullptr)) {
        return false;
    }
    const bool attachment = g_ascii_strcasecmp(disposition, "attachment") == 0;
    g_free(disposition);
    return attachment;
}

std::string downloadsFolder() {
    const char* folder = g_get_user_special_dir(G_USER_DIRECTORY_DOWNLOAD);
    return folder != nullptr ? folder : g_get_home_dir();
}

std::optional<PermissionKind> permissionKind(WebKitPermissionRequest* request) {
    if (WEBKIT_IS_USER_MEDIA_PERMISSION_REQUEST(request)) {
        auto* media = WEBKIT_USER_MEDIA_PERMISSION_REQUEST(request);
        return PagePrompts::mediaPermissionKind(
            webkit_user_media_permission_is_for_audio_device(media) != FALSE,
            webkit_user_media_permission_is_for_video_device(media) != FALSE);
    }
    if (WEBKIT_IS_GEOLOCATION_PERMISSION_REQUEST(request)) {
        return PermissionKind::location;
    }
    if (WEBKIT_IS_NOTIFICATION_PERMISSION_REQUEST(request)) {
        return PermissionKind::notifications;
    }
    return std::nullopt;
}

}  // namespace

BrowserPage::BrowserPage(AppDataStore& store, DesktopLauncher& launcher,
                         WebSession::Provider session, FloatingPanel& panel,
                         const std::string& initialURL)
    : store_(store),
      launcher_(launcher),
      sessionProvider_(std::move(session)),
      panel_(panel),
      state_(initialURL) {
    // Pausing misses sound outside the document: Audio objects, shadow
    // roots, Web Audio. A hidden window's page makes none.
    panelConnections_.push_back(panel_.signal_hide().connect([this] { setMuted(true); }));
    panelConnections_.push_back(panel_.signal_show().connect([this] { setMuted(false); }));
}

BrowserPage::~BrowserPage() {
    close();
    for (auto& connection : panelConnections_) {
        connection.disconnect();
    }
}

void BrowserPage::changed() const {
    if (onChange_) {
        onChange_();
    }
}

GtkWidget* BrowserPage::createWebView() {
    session_ = &sessionProvider_();
    GtkWidget* view = session_->createWebView(BrowserIdentity::userAgent(state_.identity()));
    webView_ = WEBKIT_WEB_VIEW(g_object_ref_sink(view));
    g_signal_connect(view, "load-changed", G_CALLBACK(loadChanged), this);
    g_signal_connect(view, "load-failed", G_CALLBACK(loadFailed), this);
    g_signal_connect(view, "notify::title", G_CALLBACK(titleChanged), this);
    g_signal_connect(view, "decide-policy", G_CALLBACK(decidePolicy), this);
    g_signal_connect(view, "create", G_CALLBACK(createRequested), this);
    g_signal_connect(view, "web-process-terminated", G_CALLBACK(processTerminated), this);
    g_signal_connect(view, "permission-request", G_CALLBACK(permissionRequested), this);
    g_signal_connect(view, "script-dialog", G_CALLBACK(scriptDialogRequested), this);
    g_signal_connect(view, "notify::is-web-process-responsive", G_CALLBACK(responsivenessChanged),
                     this);
    session_->setDownloadHandler(webView_,
                                 [this](WebKitDownload* download) { downloadStarted(download); });
    setMuted(!panel_.get_visible());
    if (state_.hasManualPageZoom()) {
        webkit_web_view_set_zoom_level(webView_, state_.pageZoom());
    }
    return view;
}

void BrowserPage::close() {
    if (webView_ == nullptr) {
        return;
    }
    // The window may close within the title's grace period.
    if (visitAwaitingTitle_) {
        recordVisit();
    }
    MainQueue::cancel(loadTimeout_);
    session_->setDownloadHandler(webView_, {});
    g_signal_handlers_disconnect_by_data(webView_, this);
    unresponsiveQuestion_ = nullptr;
    webkit_web_view_terminate_web_process(webView_);
    GtkWidget* view = GTK_WIDGET(webView_);
    webView_ = nullptr;
    gtk_widget_destroy(view);
    g_object_unref(view);
    session_->pageClosed();
}

void BrowserPage::load(const std::string& url) {
    if (webView_ == nullptr) {
        return;
    }
    webkit_web_view_load_uri(webView_, url.c_str());
    MainQueue::cancel(loadTimeout_);
    loadTimeout_ = MainQueue::asyncAfter(loadTimeout, [weak = Weak(weak_from_this()), url] {
        auto self = weak.lock();
        if (self && self->webView_ != nullptr) {
            self->loadTimeout_ = 0;
            // The error page takes the place of the load that never answered.
            self->showErrorPage(PagePrompts::loadFailedPage(url, LoadFailureReason::timedOut, {}),
                                url);
        }
    });
}

bool BrowserPage::canGoBack() const {
    return webView_ != nullptr && webkit_web_view_can_go_back(webView_);
}

bool BrowserPage::canGoForward() const {
    return webView_ != nullptr && webkit_web_view_can_go_forward(webView_);
}

void BrowserPage::goBack() {
    if (webView_ != nullptr) {
        webkit_web_view_go_back(webView_);
    }
}

void BrowserPage::goForward() {
    if (webView_ != nullptr) {
        webkit_web_view_go_forward(webView_);
    }
}

void BrowserPage::reload() {
    if (webView_ != nullptr) {
        webkit_web_view_reload(webView_);
    }
}

void BrowserPage::setManualZoom(double zoom) {
    const double applied = state_.setManualZoom(zoom);
    if (webView_ != nullptr) {
        webkit_web_view_set_zoom_level(webView_, applied);
    }
}

void BrowserPage::setIdentity(BrowserIdentityMode mode) {
    if (!state_.setIdentity(mode) || webView_ == nullptr) {
        return;
    }
    webkit_settings_set_user_agent(webkit_web_view_get_settings(webView_),
                                   std::string(BrowserIdentity::userAgent(mode)).c_str());
    webkit_web_view_reload_bypass_cache(webView_);
}

void BrowserPage::presetDisplay(std::optional<double> zoom, BrowserIdentityMode identity) {
    state_.presetZoom(zoom);
    state_.setIdentity(identity);
}

void BrowserPage::resetDisplay() {
    state_.presetZoom(std::nullopt);
    if (webView_ == nullptr) {
        state_.setIdentity(BrowserIdentityMode::desktop);
        return;
    }
    webkit_web_view_set_zoom_level(webView_, state_.pageZoom());
    if (state_.identity() != BrowserIdentityMode::desktop) {
        // The reload fits the page again when it has loaded.
        setIdentity(BrowserIdentityMode::desktop);
    } else {
        fitPageToViewport();
    }
}

void BrowserPage::pauseMedia() {
    if (webView_ != nullptr) {
        session_->pauseMedia(webView_);
    }
}

void BrowserPage::setMuted(bool muted) {
    if (webView_ != nullptr) {
        webkit_web_view_set_is_muted(webView_, muted ? TRUE : FALSE);
    }
}

void BrowserPage::ask(std::unique_ptr<Gtk::Dialog> dialog,
                      std::function<void(BrowserPage&, int)> answered) {
    panel_.showSheet(std::move(dialog),
                     [weak = Weak(weak_from_this()), answered = std::move(answered)](int response) {
                         if (auto self = weak.lock()) {
                             answered(*self, response);
                         }
                     });
}

void BrowserPage::fitPageToViewport() {
    session_->runScript(
        webView_, std::string(PageState::fitToViewportScript),
        [weak = Weak(weak_from_this()), view = webView_](const std::optional<std::string>& answer) {
            auto self = weak.lock();
            if (!self || !answer || self->webView_ != view) {
                return;
            }
            if (const auto zoom = self->state_.fitMeasured(*answer)) {
                webkit_web_view_set_zoom_level(self->webView_, *zoom);
            }
        });
}

void BrowserPage::showErrorPage(const std::string& html, const std::string& url) {
    errorPageRequested_ = true;
    // Under the failed address, so that back, forward and reload treat the
    // error page as that address.
    webkit_web_view_load_alternate_html(webView_, html.c_str(), url.c_str(), nullptr);
}

void BrowserPage::loadChanged(WebKitWebView* view, WebKitLoadEvent event, gpointer self) {
    auto* page = pageOf(self);
    switch (event) {
        case WEBKIT_LOAD_STARTED:
            page->loadStarted();
            break;
        case WEBKIT_LOAD_COMMITTED:
            MainQueue::cancel(page->loadTimeout_);
            page->state_.arrived(optionalText(webkit_web_view_get_uri(view)),
                                 optionalText(webkit_web_view_get_title(view)));
            page->changed();
            break;
        case WEBKIT_LOAD_FINISHED:
            page->loadFinished(optionalText(webkit_web_view_get_uri(view)),
                               optionalText(webkit_web_view_get_title(view)));
            break;
        case WEBKIT_LOAD_REDIRECTED:
            break;
    }
}

void BrowserPage::loadStarted() {
    // A page still waiting for its title is recorded as it was shown before
    // the next one takes its place.
    if (visitAwaitingTitle_) {
        recordVisit();
    }
    loading_ = errorPageRequested_ ? Loading::errorPage : Loading::page;
    errorPageRequested_ = false;
}

void BrowserPage::loadFinished(std::optional<std::string_view> url,
                               std::optional<std::string_view> title) {
    // WebKit also finishes failed loads; only pages that arrived count.
    if (loading_ == Loading::failed) {
        return;
    }
    state_.arrived(url, title);
    fitPageToViewport();
    changed();
    if (loading_ == Loading::page) {
        recordVisitWithNextTitle();
    }
    if (!shown_) {
        shown_ = true;
        session_->pageShown();
        announceWhenDrawn();
    }
}

// The page counts as on screen once the view has drawn after it arrived: what
// the launch waits for before it makes the workbench.
void BrowserPage::announceWhenDrawn() {
    firstDraw_ = g_signal_connect_after(
        webView_, "draw", G_CALLBACK(+[](GtkWidget* view, cairo_t*, gpointer self) {
            auto* page = pageOf(self);
            g_signal_handler_disconnect(view, std::exchange(page->firstDraw_, 0));
            // Told after the drawing, which must not change the widgets.
            MainQueue::async([weak = Weak(page->weak_from_this())] {
                if (auto page = weak.lock()) {
                    page->drawn_ = true;
                    page->changed();
                }
            });
            return FALSE;
        }),
        this);
}

gboolean BrowserPage::loadFailed(WebKitWebView*, WebKitLoadEvent event, gchar* uri, GError* error,
                                 gpointer self) {
    auto* page = pageOf(self);
    page->loading_ = Loading::failed;
    MainQueue::cancel(page->loadTimeout_);
    if (const auto reason =
            LoadFailure::reason({error->domain, error->code, event == WEBKIT_LOAD_COMMITTED})) {
        const std::string url = uri != nullptr ? uri : page->state_.currentURL();
        page->showErrorPage(PagePrompts::loadFailedPage(url, *reason, error->message), url);
    }
    // Handled either way: a cancelled load shows nothing, not even WebKit's own page.
    return TRUE;
}

void BrowserPage::titleChanged(WebKitWebView* view, GParamSpec*, gpointer self) {
    auto* page = pageOf(self);
    const bool named = page->state_.titleChanged(optionalText(webkit_web_view_get_title(view)));
    page->changed();
    if (named && page->visitAwaitingTitle_) {
        page->recordVisit();
    }
}

// WebKit reports a title after the page has finished: the title, or the
// rest of it when the page brought it in parts (a long one over the network,
// one a script completes), whose first part is what shows at the finish.
// The visit waits briefly for that title, so the history keeps the name the
// bar ends up showing, not a part of it.
void BrowserPage::recordVisitWithNextTitle() {
    ++finishedLoads_;
    visitAwaitingTitle_ = true;
    MainQueue::asyncAfter(titleGrace, [weak = Weak(weak_from_this()), load = finishedLoads_] {
        auto self = weak.lock();
        if (self && self->visitAwaitingTitle_ && self->finishedLoads_ == load) {
            self->recordVisit();
        }
    });
}

void BrowserPage::recordVisit() {
    visitAwaitingTitle_ = false;
    // A refused address (the store's own rules) is simply not recorded.
    [[maybe_unused]] const auto recorded =
        store_.recordVisitThrowing(state_.currentURL(), state_.displayTitle());
}

gboolean BrowserPage::decidePolicy(WebKitWebView*, WebKitPolicyDecision* decision,
                                   WebKitPolicyDecisionType type, gpointer self) {
    if (type == WEBKIT_POLICY_DECISION_TYPE_RESPONSE) {
        return pageOf(self)->decideResponse(WEBKIT_RESPONSE_POLICY_DECISION(decision)) ? TRUE
                                                                                       : FALSE;
    }
    WebKitNavigationAction* action = webkit_navigation_policy_decision_get_navigation_action(
        WEBKIT_NAVIGATION_POLICY_DECISION(decision));
    pageOf(self)->navigationAction(action, type == WEBKIT_POLICY_DECISION_TYPE_NAVIGATION_ACTION,
                                   decision);
    return TRUE;
}

void BrowserPage::navigationAction(WebKitNavigationAction* action, bool targetsFrame,
                                   WebKitPolicyDecision* decision) {
    WebKitURIRequest* request = webkit_navigation_action_get_request(action);
    const char* uri = request != nullptr ? webkit_uri_request_get_uri(request) : nullptr;
    const NavigationAction facts{
        .url = uri != nullptr ? uri : "",
        .targetsFrame = targetsFrame,
        .userGesture = webkit_navigation_action_is_user_gesture(action) ||
                       webkit_navigation_action_get_mouse_button(action) != 0,
    };
    const auto verdict = NavigationPolicy::decide(facts, [this](const std::string& scheme) {
        return launcher_.applicationForScheme(scheme).has_value();
    });
    if (decision != nullptr) {
        if (verdict == NavigationDecision::allow) {
            webkit_policy_decision_use(decision);
        } else {
            webkit_policy_decision_ignore(decision);
        }
    }
    if (facts.userGesture &&
        (verdict == NavigationDecision::allow || verdict == NavigationDecision::loadInThisView)) {
        clickedAddress_ = facts.url;
    }
    if (verdict == NavigationDecision::loadInThisView) {
        webkit_web_view_load_request(webView_, request);
    } else if (verdict == NavigationDecision::handToDesktop) {
        launcher_.launch(facts.url);
    } else if (verdict == NavigationDecision::askThenHandToDesktop) {
        askToOpenElsewhere(facts.url);
    }
}

bool BrowserPage::decideResponse(WebKitResponsePolicyDecision* decision) {
    const char* uri =
        webkit_uri_request_get_uri(webkit_response_policy_decision_get_request(decision));
    const bool clicked = uri != nullptr && !clickedAddress_.empty() && clickedAddress_ == uri;
    const NavigationResponse response{
        .showable = webkit_response_policy_decision_is_mime_type_supported(decision) != FALSE,
        .attachment = isAttachment(webkit_response_policy_decision_get_response(decision)),
        .clicked = clicked,
    };
    switch (NavigationPolicy::decide(response)) {
        case ResponseDecision::show:
            webkit_policy_decision_use(WEBKIT_POLICY_DECISION(decision));
            break;
        case ResponseDecision::download:
            // The click's permission passes to the download it starts.
            webkit_policy_decision_download(WEBKIT_POLICY_DECISION(decision));
            return true;
        case ResponseDecision::ignore:
            webkit_policy_decision_ignore(WEBKIT_POLICY_DECISION(decision));
            break;
    }
    if (clicked) {
        clickedAddress_.clear();
    }
    return true;
}

void BrowserPage::askToOpenElsewhere(const std::string& url) {
    const auto application = launcher_.applicationForScheme(Url::scheme(url));
    if (!application) {
        return;
    }
    auto dialog = std::make_unique<Gtk::MessageDialog>(
        panel_, PagePrompts::externalApplicationQuestion(*application), false,
        Gtk::MESSAGE_QUESTION, Gtk::BUTTONS_NONE, true);
    dialog->set_secondary_text(PagePrompts::excerpt(url));
    dialog->add_button(std::string(PagePrompts::externalApplicationCancel), Gtk::RESPONSE_CANCEL);
    dialog->add_button(std::string(PagePrompts::externalApplicationOpen), Gtk::RESPONSE_ACCEPT);
    dialog->set_default_response(Gtk::RESPONSE_CANCEL);
    ask(std::move(dialog), [url](BrowserPage& page, int response) {
        if (response == Gtk::RESPONSE_ACCEPT) {
            page.launcher_.launch(url);
        }
    });
}

void BrowserPage::downloadStarted(WebKitDownload* download) {
    const char* uri = webkit_uri_request_get_uri(webkit_download_get_request(download));
    if (uri == nullptr || clickedAddress_.empty() || clickedAddress_ != uri) {
        webkit_download_cancel(download);
        return;
    }
    clickedAddress_.clear();
    g_signal_connect_data(
        download, "decide-destination",
        G_CALLBACK(+[](WebKitDownload* started, gchar* suggestedName, gpointer data) -> gboolean {
            if (auto page = static_cast<Weak*>(data)->lock()) {
                page->chooseDownloadDestination(started,
                                                suggestedName != nullptr ? suggestedName : "");
            } else {
                webkit_download_cancel(started);
            }
            return TRUE;
        }),
        new Weak(weak_from_this()),
        [](gpointer data, GClosure*) { delete static_cast<Weak*>(data); }, GConnectFlags{});
}

void BrowserPage::chooseDownloadDestination(WebKitDownload* download,
                                            const std::string& suggestedName) {
    auto pending = std::make_shared<PendingDownload>(download);
    auto chooser = std::make_unique<Gtk::FileChooserDialog>(
        panel_, std::string(PagePrompts::downloadChooserTitle), Gtk::FILE_CHOOSER_ACTION_SAVE);
    chooser->add_button(std::string(PagePrompts::downloadChooserCancel), Gtk::RESPONSE_CANCEL);
    chooser->add_button(std::string(PagePrompts::downloadChooserSave), Gtk::RESPONSE_ACCEPT);
    chooser->set_default_response(Gtk::RESPONSE_ACCEPT);
    // The chooser sizes itself from the desktop's settings as it maps.
    chooser->signal_map().connect(
        [panel = &panel_, shown = chooser.get()] {
            panel->placeSheet(
                *shown, {PagePrompts::downloadChooserWidth, PagePrompts::downloadChooserHeight});
        },
        true);
    chooser->set_do_overwrite_confirmation(true);
    chooser->set_current_folder(downloadsFolder());
    // Only a name: the server does not choose the folder.
    const std::string name = Glib::path_get_basename(suggestedName);
    if (name != "." && name != G_DIR_SEPARATOR_S) {
        chooser->set_current_name(name);
    }
    Gtk::FileChooserDialog* shown = chooser.get();
    panel_.showSheet(std::move(chooser), [pending, shown](int response) {
        if (response == Gtk::RESPONSE_ACCEPT && !shown->get_filename().empty()) {
            pending->saveTo(shown->get_filename());
        }
    });
}

GtkWidget* BrowserPage::createRequested(WebKitWebView*, WebKitNavigationAction* action,
                                        gpointer self) {
    // Never a second view: a window the page opens becomes a load in this one,
    // under the same rules as any new-window request.
    pageOf(self)->navigationAction(action, false, nullptr);
    return nullptr;
}

void BrowserPage::processTerminated(WebKitWebView*, WebKitWebProcessTerminationReason reason,
                                    gpointer self) {
    auto* page = pageOf(self);
    if (reason == WEBKIT_WEB_PROCESS_TERMINATED_BY_API && !page->endRequested_) {
        return;
    }
    const std::string url = page->state_.currentURL();
    page->showErrorPage(PagePrompts::processEndedPage(url, page->endRequested_), url);
    page->endRequested_ = false;
}

gboolean BrowserPage::permissionRequested(WebKitWebView*, WebKitPermissionRequest* request,
                                          gpointer self) {
    return pageOf(self)->askPermission(request) ? TRUE : FALSE;
}

bool BrowserPage::askPermission(WebKitPermissionRequest* request) {
    const auto kind = permissionKind(request);
    if (!kind) {
        // WebKit's own answer (a refusal) for everything else.
        return false;
    }
    if (!panel_.get_visible()) {
        webkit_permission_request_deny(request);
        return true;
    }
    auto pending = std::make_shared<PendingPermission>(request);
    auto dialog = std::make_unique<Gtk::MessageDialog>(
        panel_, PagePrompts::permissionQuestion(*kind, Url::hostOrText(state_.currentURL())), false,
        Gtk::MESSAGE_QUESTION, Gtk::BUTTONS_NONE, true);
    dialog->add_button(std::string(PagePrompts::permissionDeny), Gtk::RESPONSE_REJECT);
    dialog->add_button(std::string(PagePrompts::permissionAllow), Gtk::RESPONSE_ACCEPT);
    dialog->set_default_response(Gtk::RESPONSE_REJECT);
    panel_.showSheet(std::move(dialog), [pending](int response) {
        pending->answer(response == Gtk::RESPONSE_ACCEPT);
    });
    return true;
}

void BrowserPage::responsivenessChanged(WebKitWebView* view, GParamSpec*, gpointer self) {
    auto* page = pageOf(self);
    if (webkit_web_view_get_is_web_process_responsive(view) == FALSE) {
        page->askToEndUnresponsivePage();
    } else if (page->unresponsiveQuestion_ != nullptr) {
        // Waiting paid off.
        page->unresponsiveQuestion_->response(Gtk::RESPONSE_CANCEL);
    }
}

void BrowserPage::askToEndUnresponsivePage() {
    if (unresponsiveQuestion_ != nullptr) {
        return;
    }
    auto dialog =
        std::make_unique<Gtk::MessageDialog>(panel_, std::string(PagePrompts::unresponsiveMessage),
                                             false, Gtk::MESSAGE_WARNING, Gtk::BUTTONS_NONE, true);
    dialog->set_secondary_text(
        PagePrompts::unresponsiveDetail(Url::hostOrText(state_.currentURL())));
    dialog->add_button(std::string(PagePrompts::unresponsiveWait), Gtk::RESPONSE_CANCEL);
    dialog->add_button(std::string(PagePrompts::unresponsiveEnd), Gtk::RESPONSE_ACCEPT);
    dialog->set_default_response(Gtk::RESPONSE_CANCEL);
    unresponsiveQuestion_ = dialog.get();
    ask(std::move(dialog), [](BrowserPage& page, int response) {
        page.unresponsiveQuestion_ = nullptr;
        if (response == Gtk::RESPONSE_ACCEPT && page.webView_ != nullptr) {
            page.endRequested_ = true;
            webkit_web_view_terminate_web_process(page.webView_);
        }
    });
}

gboolean BrowserPage::scriptDialogRequested(WebKitWebView*, WebKitScriptDialog* dialog,
                                            gpointer self) {
    pageOf(self)->showScriptDialog(dialog);
    return TRUE;
}

void BrowserPage::showScriptDialog(WebKitScriptDialog* request) {
    const auto type = webkit_script_dialog_get_dialog_type(request);
    auto pending = std::make_shared<PendingScriptDialog>(request);
    std::unique_ptr<Gtk::MessageDialog> dialog;
    if (type == WEBKIT_SCRIPT_DIALOG_BEFORE_UNLOAD_CONFIRM) {
        // Browsers show their own words here, never the page's.
        dialog = std::make_unique<Gtk::MessageDialog>(
            panel_, std::string(PagePrompts::leavePageQuestion), false, Gtk::MESSAGE_QUESTION,
            Gtk::BUTTONS_NONE, true);
        dialog->set_secondary_text(std::string(PagePrompts::leavePageDetail));
        dialog->add_button(std::string(PagePrompts::scriptDialogCancel), Gtk::RESPONSE_CANCEL);
        dialog->add_button(std::string(PagePrompts::leavePageLeave), Gtk::RESPONSE_ACCEPT);
    } else {
        dialog = std::make_unique<Gtk::MessageDialog>(
            panel_, PagePrompts::scriptDialogHeading(Url::hostOrText(state_.currentURL())), false,
            type == WEBKIT_SCRIPT_DIALOG_ALERT ? Gtk::MESSAGE_INFO : Gtk::MESSAGE_QUESTION,
            Gtk::BUTTONS_NONE, true);
        dialog->set_secondary_text(PagePrompts::excerpt(webkit_script_dialog_get_message(request)));
        if (type != WEBKIT_SCRIPT_DIALOG_ALERT) {
            dialog->add_button(std::string(PagePrompts::scriptDialogCancel), Gtk::RESPONSE_CANCEL);
        }
        dialog->add_button(std::string(PagePrompts::scriptDialogOK), Gtk::RESPONSE_ACCEPT);
    }
    dialog->set_default_response(Gtk::RESPONSE_ACCEPT);
    Gtk::Entry* field = nullptr;
    if (type == WEBKIT_SCRIPT_DIALOG_PROMPT) {
        field = Gtk::manage(new Gtk::Entry());
        field->set_text(webkit_script_dialog_prompt_get_default_text(request));
        field->set_activates_default(true);
        dialog->get_message_area()->pack_start(*field, Gtk::PACK_SHRINK);
        field->show();
    }
    panel_.showSheet(std::move(dialog), [pending, type, field](int response) {
        const bool accepted = response == Gtk::RESPONSE_ACCEPT;
        if (type == WEBKIT_SCRIPT_DIALOG_PROMPT && accepted) {
            webkit_script_dialog_prompt_set_text(pending->get(), field->get_text().c_str());
        } else if (type == WEBKIT_SCRIPT_DIALOG_CONFIRM ||
                   type == WEBKIT_SCRIPT_DIALOG_BEFORE_UNLOAD_CONFIRM) {
            webkit_script_dialog_confirm_set_confirmed(pending->get(), accepted ? TRUE : FALSE);
        }
        pending->close();
    });
}

}  // namespace velumo
