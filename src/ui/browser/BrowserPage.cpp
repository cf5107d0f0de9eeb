#include "browser/BrowserPage.h"

#include <chrono>

#include <gtkmm/messagedialog.h>

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

std::optional<PermissionKind> permissionKind(WebKitPermissionRequest* request) {
    if (WEBKIT_IS_USER_MEDIA_PERMISSION_REQUEST(request)) {
        auto* media = WEBKIT_USER_MEDIA_PERMISSION_REQUEST(request);
        const bool audio = webkit_user_media_permission_is_for_audio_device(media);
        const bool video = webkit_user_media_permission_is_for_video_device(media);
        if (audio && video) {
            return PermissionKind::cameraAndMicrophone;
        }
        if (video) {
            return PermissionKind::camera;
        }
        if (audio) {
            return PermissionKind::microphone;
        }
        return std::nullopt;
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

BrowserPage::BrowserPage(AppDataStore& store, DesktopLauncher& launcher, const WebSession& session,
                         FloatingPanel& panel, const std::string& initialURL)
    : store_(store), launcher_(launcher), session_(session), panel_(panel), state_(initialURL) {}

BrowserPage::~BrowserPage() {
    close();
}

void BrowserPage::changed() const {
    if (onChange_) {
        onChange_();
    }
}

GtkWidget* BrowserPage::createWebView() {
    GtkWidget* view = session_.createWebView(BrowserIdentity::userAgent(state_.identity()));
    webView_ = WEBKIT_WEB_VIEW(g_object_ref_sink(view));
    g_signal_connect(view, "load-changed", G_CALLBACK(loadChanged), this);
    g_signal_connect(view, "load-failed", G_CALLBACK(loadFailed), this);
    g_signal_connect(view, "notify::title", G_CALLBACK(titleChanged), this);
    g_signal_connect(view, "decide-policy", G_CALLBACK(decidePolicy), this);
    g_signal_connect(view, "create", G_CALLBACK(createRequested), this);
    g_signal_connect(view, "web-process-terminated", G_CALLBACK(processTerminated), this);
    g_signal_connect(view, "permission-request", G_CALLBACK(permissionRequested), this);
    return view;
}

void BrowserPage::close() {
    if (webView_ == nullptr) {
        return;
    }
    g_signal_handlers_disconnect_by_data(webView_, this);
    GtkWidget* view = GTK_WIDGET(webView_);
    webView_ = nullptr;
    gtk_widget_destroy(view);
    g_object_unref(view);
}

void BrowserPage::load(const std::string& url) {
    if (webView_ == nullptr) {
        return;
    }
    webkit_web_view_load_uri(webView_, url.c_str());
    const unsigned progress = ++loadProgress_;
    MainQueue::asyncAfter(loadTimeout, [weak = Weak(weak_from_this()), progress, url] {
        auto self = weak.lock();
        if (self && self->webView_ != nullptr && self->loadProgress_ == progress) {
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

void BrowserPage::pauseMedia() {
    if (webView_ != nullptr) {
        session_.pauseMedia(webView_, {});
    }
}

void BrowserPage::fitPageToViewport() {
    struct Measure {
        Weak page;
        WebKitWebView* view;
    };
    webkit_web_view_evaluate_javascript(
        webView_, PageState::fitToViewportScript.data(),
        static_cast<gssize>(PageState::fitToViewportScript.size()), nullptr, nullptr, nullptr,
        [](GObject* source, GAsyncResult* result, gpointer data) {
            std::unique_ptr<Measure> measure(static_cast<Measure*>(data));
            GError* error = nullptr;
            JSCValue* value =
                webkit_web_view_evaluate_javascript_finish(WEBKIT_WEB_VIEW(source), result, &error);
            if (value == nullptr) {
                g_error_free(error);
                return;
            }
            std::optional<double> viewport;
            std::optional<double> content;
            if (jsc_value_is_object(value)) {
                auto number = [value](const char* name) -> std::optional<double> {
                    JSCValue* property = jsc_value_object_get_property(value, name);
                    std::optional<double> found;
                    if (jsc_value_is_number(property)) {
                        found = jsc_value_to_double(property);
                    }
                    g_object_unref(property);
                    return found;
                };
                viewport = number("viewport");
                content = number("content");
            }
            g_object_unref(value);
            auto self = measure->page.lock();
            if (!self || !viewport || !content || self->webView_ != measure->view) {
                return;
            }
            if (const auto zoom = self->state_.fit(*viewport, *content)) {
                webkit_web_view_set_zoom_level(self->webView_, *zoom);
            }
        },
        new Measure{weak_from_this(), webView_});
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
            ++page->loadProgress_;
            page->state_.commit(optionalText(webkit_web_view_get_uri(view)),
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
    const bool named = state_.finish(url, title);
    fitPageToViewport();
    changed();
    if (loading_ == Loading::page) {
        recordVisitOnceNamed(named);
    }
}

gboolean BrowserPage::loadFailed(WebKitWebView*, WebKitLoadEvent, gchar* uri, GError* error,
                                 gpointer self) {
    auto* page = pageOf(self);
    page->loading_ = Loading::failed;
    ++page->loadProgress_;
    if (const auto reason = LoadFailure::reason({error->domain, error->code})) {
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

void BrowserPage::recordVisitOnceNamed(bool named) {
    ++finishedLoads_;
    if (named) {
        recordVisit();
        return;
    }
    // WebKit may report the title just after the page finished; the visit
    // waits for it briefly, so the history shows the page's name.
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
        return FALSE;
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
    const auto verdict = NavigationPolicy::decide(
        facts, [this](const std::string& scheme) { return launcher_.hasHandlerForScheme(scheme); });
    if (decision != nullptr) {
        if (verdict == NavigationDecision::allow) {
            webkit_policy_decision_use(decision);
        } else {
            webkit_policy_decision_ignore(decision);
        }
    }
    if (verdict == NavigationDecision::loadInThisView) {
        webkit_web_view_load_request(webView_, request);
    } else if (verdict == NavigationDecision::handToDesktop) {
        launcher_.launch(facts.url);
    }
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
    if (reason == WEBKIT_WEB_PROCESS_TERMINATED_BY_API) {
        return;
    }
    auto* page = pageOf(self);
    const std::string url = page->state_.currentURL();
    page->showErrorPage(PagePrompts::processEndedPage(url), url);
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

}  // namespace velumo
