#include "browser/BrowserWindowController.h"

#include <chrono>

#include <gdk/gdkkeysyms.h>
#include <gtkmm/clipboard.h>
#include <gtkmm/entry.h>

#include "MainQueue.h"
#include "NotificationCenter.h"
#include "browser/BrowserIdentity.h"
#include "browser/FloatingWindowRules.h"
#include "browser/NavigationPolicy.h"
#include "browser/PagePrompts.h"
#include "data/AddressResolver.h"
#include "data/AppDataStore.h"
#include "data/Url.h"
#include "shell/ActivationTime.h"

namespace velumo {
namespace {

using Weak = std::weak_ptr<BrowserWindowController>;

constexpr auto loadTimeout = std::chrono::seconds(60);
constexpr auto titleGrace = std::chrono::milliseconds(500);

BrowserWindowController* controllerOf(gpointer self) {
    return static_cast<BrowserWindowController*>(self);
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

FloatingWindowFactory BrowserWindowController::factory(AppDataStore& store,
                                                       DesktopLauncher& launcher,
                                                       const WebSession& session,
                                                       ScreenLayoutProvider screens) {
    return [&store, &launcher, &session, screens = std::move(screens)](
               BrowserWindowManager& manager, const std::string& url,
               BrowserWindowMode mode) -> std::shared_ptr<FloatingWindow> {
        return std::make_shared<BrowserWindowController>(
            Services{manager, store, launcher, session, screens}, url, mode);
    };
}

BrowserWindowController::BrowserWindowController(Services services, const std::string& initialURL,
                                                 BrowserWindowMode mode)
    : services_(std::move(services)), page_(initialURL), rootView_(panel_), mode_(mode) {
    const AppSettings settings = services_.store.snapshot().settings;
    toolbarAutoHide_ = settings.autoHideToolbar;
    alwaysOnTop_ = settings.defaultAlwaysOnTop.value_or(true);

    panel_.setMinimumSize(WindowGeometry::minimumWindowModeSize);
    panel_.set_keep_above(alwaysOnTop_);
    // On every workspace, like a note stuck to the screen.
    panel_.stick();
    opacity_ = settings.defaultOpacity;
    panel_.set_opacity(opacity_);
    const ScreenLayout layout = services_.screens(panel_);
    if (layout.primary) {
        const Size size = WindowGeometry::initialPanelSize;
        panel_.setFrame(WindowGeometry::centredOn({0, 0, size.width, size.height},
                                                  layout.screens[*layout.primary].workArea));
    }

    panel_.setContent(rootView_);
    toolbar_.setDelegate(this);
    toolbar_.set_valign(Gtk::ALIGN_START);
    rootView_.add_overlay(toolbar_);
    rootView_.setOnMouseExit([this] { mouseExited(); });
    toolbar_.setOpacity(opacity_);
    toolbar_.update(page_.displayTitle(), false, false);
    toolbar_.setPinned(alwaysOnTop_);
    toolbar_.setAdvertisementMode(mode_ == BrowserWindowMode::advertisement);
    isToolbarCollapsed_ = toolbarAutoHide_ && mode_ == BrowserWindowMode::window;
    toolbar_.setCollapsed(isToolbarCollapsed_);
    rootView_.show_all();
    // After show_all, which shows the controls of every mode.
    layOutToolbar();
    panel_.set_title(page_.displayTitle());

    // GTK hands a toplevel's opacity to the window system only once it is
    // realized; set before that, it would be lost.
    connections_.push_back(panel_.signal_realize().connect(
        [this] { gdk_window_set_opacity(panel_.get_window()->gobj(), opacity_); }, true));
    connections_.push_back(panel_.signal_delete_event().connect([this](GdkEventAny*) {
        closePermanently();
        return true;
    }));
    connections_.push_back(panel_.property_is_active().signal_changed().connect([this] {
        if (panel_.is_active() && !isClosing_) {
            services_.manager.markActive(*this);
        }
    }));
    connections_.push_back(panel_.signal_key_press_event().connect(
        sigc::mem_fun(*this, &BrowserWindowController::keyPressed), false));
    if (toolbarAutoHide_) {
        // In the capture phase the panel sees the pointer before any of its
        // widgets, the page included, and passes every event on.
        pointerTracking_ = gtk_event_controller_motion_new(GTK_WIDGET(panel_.gobj()));
        gtk_event_controller_set_propagation_phase(pointerTracking_, GTK_PHASE_CAPTURE);
        // A pointer jumping into one of the panel's parts arrives as a
        // crossing, not as a motion.
        for (const char* signal : {"motion", "enter"}) {
            g_signal_connect(pointerTracking_, signal,
                             G_CALLBACK(+[](GtkEventControllerMotion*, double, double,
                                            gpointer self) { controllerOf(self)->pointerMoved(); }),
                             this);
        }
    }

    if (mode_ == BrowserWindowMode::advertisement) {
        normalFrame_ = panel_.frame();
        panel_.setMinimumSize(WindowGeometry::minimumAdvertisementSize);
        positionAdvertisement();
    }
}

BrowserWindowController::~BrowserWindowController() {
    // Handlers go before the widgets that would call them.
    stopPointerTracking();
    for (auto& connection : connections_) {
        connection.disconnect();
    }
    toolbar_.setDelegate(nullptr);
    moreMenu_.reset();
    sheets_.clear();
    dropWebView();
}

void BrowserWindowController::announce() const {
    NotificationCenter::defaultCenter().post(browserWindowsDidChange, asWindow());
}

// MARK: Showing, hiding, closing

void BrowserWindowController::showWindow() {
    panel_.show();
    makeKey();
    if (webView_ == nullptr) {
        MainQueue::async([weak = Weak(weak_from_this())] {
            if (auto self = weak.lock()) {
                self->createWebViewAndNavigate();
            }
        });
    }
}

void BrowserWindowController::hideWindow() {
    pauseMedia();
    panel_.hide();
    announce();
}

void BrowserWindowController::toggleVisibility() {
    if (panel_.get_visible()) {
        hideWindow();
        return;
    }
    orderFrontRegardless();
    makeKey();
    announce();
}

void BrowserWindowController::orderFrontRegardless() {
    panel_.show();
    if (const auto window = panel_.get_window()) {
        window->raise();
    }
}

void BrowserWindowController::makeKey() {
    panel_.present(ActivationTime::now());
}

bool BrowserWindowController::isVisible() const {
    return panel_.get_visible();
}

void BrowserWindowController::closePermanently() {
    if (isClosing_) {
        return;
    }
    isClosing_ = true;
    pauseMedia();
    windowWillClose();
}

void BrowserWindowController::windowWillClose() {
    stopPointerTracking();
    moreMenu_.reset();
    sheets_.clear();
    dropWebView();
    panel_.hide();
    // The manager lets go of this controller; it must outlive this call and
    // the GTK handler that may have led here, so it goes on a later turn.
    auto self = shared_from_this();
    services_.manager.remove(*this);
    MainQueue::async([self] {});
}

// MARK: Screens and geometry

bool BrowserWindowController::moveToMouseScreenIfNeeded() {
    const ScreenLayout layout = services_.screens(panel_);
    const auto target =
        WindowGeometry::screenUnderPointer(layout.screens, ScreenLayout::pointer(), layout.primary);
    if (!target || layout.panelScreen == target) {
        return false;
    }
    panel_.setFrame(WindowGeometry::centredOn(panel_.frame(), layout.screens[*target].workArea));
    return true;
}

std::optional<Rect> BrowserWindowController::workAreaOfPanelScreen() const {
    const ScreenLayout layout = services_.screens(panel_);
    if (const auto index = layout.panelScreen ? layout.panelScreen : layout.primary) {
        return layout.screens[*index].workArea;
    }
    return std::nullopt;
}

void BrowserWindowController::positionAdvertisement() {
    panel_.setFrame(WindowGeometry::advertisementFrame(workAreaOfPanelScreen().value_or(Rect{})));
}

Rect BrowserWindowController::constrained(Rect frame) const {
    if (const auto workArea = workAreaOfPanelScreen()) {
        return WindowGeometry::constrained(frame, *workArea);
    }
    return frame;
}

void BrowserWindowController::toggleAdvertisementMode() {
    if (isClosing_) {
        return;
    }
    if (mode_ == BrowserWindowMode::window) {
        normalFrame_ = panel_.frame();
        mode_ = BrowserWindowMode::advertisement;
        panel_.setMinimumSize(WindowGeometry::minimumAdvertisementSize);
        // The corner bar never folds; the window's own folded state waits.
        toolbar_.setCollapsed(false);
        toolbar_.setAdvertisementMode(true);
        layOutToolbar();
        positionAdvertisement();
    } else {
        mode_ = BrowserWindowMode::window;
        panel_.setMinimumSize(WindowGeometry::minimumWindowModeSize);
        toolbar_.setAdvertisementMode(false);
        if (toolbarAutoHide_) {
            setToolbarCollapsed(true);
        } else {
            layOutToolbar();
        }
        if (normalFrame_) {
            panel_.setFrame(constrained(*normalFrame_));
        }
    }
    announce();
}

// MARK: Control bar

void BrowserWindowController::layOutToolbar() {
    toolbar_.set_size_request(
        -1, static_cast<int>(WindowGeometry::controlBarHeight(mode_, toolbar_.collapsed())));
    toolbar_.updateVisibility();
    if (webView_ != nullptr) {
        gtk_widget_set_margin_top(GTK_WIDGET(webView_), static_cast<int>(WindowGeometry::webViewTop(
                                                            mode_, toolbarAutoHide_)));
    }
}

void BrowserWindowController::setToolbarCollapsed(bool collapsed) {
    isToolbarCollapsed_ = collapsed;
    toolbar_.setCollapsed(collapsed);
    layOutToolbar();
}

void BrowserWindowController::updateToolbar() {
    const bool back = webView_ != nullptr && webkit_web_view_can_go_back(webView_);
    const bool forward = webView_ != nullptr && webkit_web_view_can_go_forward(webView_);
    toolbar_.update(page_.displayTitle(), back, forward);
    panel_.set_title(page_.displayTitle());
    announce();
}

void BrowserWindowController::stopPointerTracking() {
    if (pointerTracking_ != nullptr) {
        g_signal_handlers_disconnect_by_data(pointerTracking_, this);
        g_object_unref(pointerTracking_);
        pointerTracking_ = nullptr;
    }
}

void BrowserWindowController::pointerMoved() {
    const auto window = panel_.get_window();
    GdkEvent* event = gtk_get_current_event();
    double rootX = 0;
    double rootY = 0;
    const bool located = event != nullptr && gdk_event_get_root_coords(event, &rootX, &rootY);
    if (event != nullptr) {
        gdk_event_free(event);
    }
    if (!located || !window || isClosing_) {
        return;
    }
    int originX = 0;
    int originY = 0;
    window->get_origin(originX, originY);
    const auto collapse = FloatingWindowRules::toolbarCollapsedAfterPointerMove(
        toolbarAutoHide_, mode_, isToolbarCollapsed_, {rootX - originX, rootY - originY},
        rootView_.get_allocated_width());
    if (collapse) {
        setToolbarCollapsed(*collapse);
    }
}

bool BrowserWindowController::suppressAutoHide() const {
    return (moreMenu_ && moreMenu_->get_visible()) ||
           std::ranges::any_of(sheets_, [](const auto& sheet) { return sheet->get_visible(); });
}

void BrowserWindowController::mouseExited() {
    GdkModifierType state{};
    gdk_device_get_state(
        gdk_seat_get_pointer(gdk_display_get_default_seat(gdk_display_get_default())),
        gdk_get_default_root_window(), nullptr, &state);
    constexpr unsigned buttons = GDK_BUTTON1_MASK | GDK_BUTTON2_MASK | GDK_BUTTON3_MASK |
                                 GDK_BUTTON4_MASK | GDK_BUTTON5_MASK;
    bool modalOpen = false;
    for (Gtk::Window* window : Gtk::Window::list_toplevels()) {
        modalOpen = modalOpen || (window->get_modal() && window->get_visible());
    }
    const PointerExit exit{
        .autoHide = autoHide_,
        .suppressAutoHide = suppressAutoHide(),
        .buttonPressed = (state & buttons) != 0,
        .liveResize = panel_.inLiveResize(),
        .modalWindowOpen = modalOpen,
        .pointerInsideFrame = panel_.frame().contains(ScreenLayout::pointer()),
    };
    if (FloatingWindowRules::hidesOnPointerExit(exit)) {
        hideWindow();
    }
}

bool BrowserWindowController::keyPressed(GdkEventKey* event) {
    constexpr unsigned others = GDK_MOD1_MASK | GDK_SUPER_MASK | GDK_SHIFT_MASK;
    if ((event->state & GDK_CONTROL_MASK) == 0 || (event->state & others) != 0) {
        return false;
    }
    const auto action =
        moreMenuActionForKey(gdk_keyval_to_unicode(gdk_keyval_to_lower(event->keyval)));
    if (!action) {
        return false;
    }
    performMenuAction(*action);
    return true;
}

// MARK: Toolbar and menu commands

void BrowserWindowController::toolbarGoBack() {
    if (webView_ != nullptr) {
        webkit_web_view_go_back(webView_);
    }
}

void BrowserWindowController::toolbarGoForward() {
    if (webView_ != nullptr) {
        webkit_web_view_go_forward(webView_);
    }
}

void BrowserWindowController::toolbarReload() {
    if (webView_ != nullptr) {
        webkit_web_view_reload(webView_);
    }
}

void BrowserWindowController::setOpacity(double value) {
    opacity_ = value;
    panel_.set_opacity(value);
    toolbar_.setOpacity(value);
}

void BrowserWindowController::toolbarSetOpacity(double value) {
    setOpacity(WindowGeometry::opacityFromSlider(value));
}

void BrowserWindowController::setOpacityFromMenu(int tag) {
    setOpacity(WindowGeometry::opacityFromMenuTag(tag));
}

void BrowserWindowController::toolbarToggleAutoHide() {
    autoHide_ = !autoHide_;
    toolbar_.setAutoHide(autoHide_);
}

void BrowserWindowController::toolbarToggleAlwaysOnTop() {
    alwaysOnTop_ = !alwaysOnTop_;
    panel_.set_keep_above(alwaysOnTop_);
    toolbar_.setPinned(alwaysOnTop_);
    // The store keeps no default for this, so new windows still start on top;
    // the hand-over only matters once it does.
    AppSettings settings = services_.store.snapshot().settings;
    settings.defaultAlwaysOnTop = alwaysOnTop_;
    [[maybe_unused]] const auto handedOver = services_.store.updateSettings(settings);
    announce();
}

void BrowserWindowController::toolbarToggleMode() {
    toggleAdvertisementMode();
}

void BrowserWindowController::toolbarRestoreWindowMode() {
    if (mode_ == BrowserWindowMode::advertisement) {
        toggleAdvertisementMode();
    }
}

void BrowserWindowController::toolbarClose() {
    if (mode_ == BrowserWindowMode::window) {
        closePermanently();
    } else {
        hideWindow();
    }
}

void BrowserWindowController::toolbarShowMore(Gtk::Widget& button) {
    if (isClosing_) {
        return;
    }
    const BrowserMoreMenu::Content content{
        .state = {.mode = mode_,
                  .canGoBack = webView_ != nullptr && webkit_web_view_can_go_back(webView_),
                  .canGoForward = webView_ != nullptr && webkit_web_view_can_go_forward(webView_),
                  .autoHide = autoHide_,
                  .alwaysOnTop = alwaysOnTop_},
        .opacity = opacity_,
        .pageZoom = page_.pageZoom(),
        .identity = page_.identity(),
    };
    BrowserMoreMenu::Handlers handlers{
        .activate = [this](MoreMenuAction action) { performMenuAction(action); },
        .setOpacity = [this](int tag) { setOpacityFromMenu(tag); },
        .displayControls = this,
    };
    moreMenu_ = std::make_unique<BrowserMoreMenu>(button, content, std::move(handlers));
    BrowserMoreMenu* menu = moreMenu_.get();
    menu->signalClosed().connect([this, menu] {
        // The menu is still inside its own closing call; it goes on a later turn.
        MainQueue::async([weak = Weak(weak_from_this()), menu] {
            if (auto self = weak.lock(); self && self->moreMenu_.get() == menu) {
                self->moreMenu_.reset();
            }
        });
    });
    moreMenu_->popup();
}

void BrowserWindowController::performMenuAction(MoreMenuAction action) {
    switch (action) {
        case MoreMenuAction::navigateBack:
            toolbarGoBack();
            break;
        case MoreMenuAction::navigateForward:
            toolbarGoForward();
            break;
        case MoreMenuAction::reload:
            toolbarReload();
            break;
        case MoreMenuAction::toggleAutoHide:
            toolbarToggleAutoHide();
            break;
        case MoreMenuAction::toggleAlwaysOnTop:
            toolbarToggleAlwaysOnTop();
            break;
        case MoreMenuAction::restoreWindowMode:
            toolbarRestoreWindowMode();
            break;
        case MoreMenuAction::editAddress:
            showAddressEditor();
            break;
        case MoreMenuAction::bookmark:
            bookmarkCurrentPage();
            break;
        case MoreMenuAction::copyURL:
            copyURL();
            break;
        case MoreMenuAction::openExternally:
            openExternally();
            break;
        case MoreMenuAction::newWindow:
            services_.manager.createWindow(std::nullopt, BrowserWindowMode::window);
            break;
        case MoreMenuAction::opacitySubmenu:
        case MoreMenuAction::pageDisplayControls:
        case MoreMenuAction::separator:
            break;
    }
}

void BrowserWindowController::displayControlsSetPageZoom(double zoom) {
    const double applied = page_.setManualZoom(zoom);
    if (webView_ != nullptr) {
        webkit_web_view_set_zoom_level(webView_, applied);
    }
}

void BrowserWindowController::displayControlsSetBrowserMode(BrowserIdentityMode mode) {
    if (!page_.setIdentity(mode) || webView_ == nullptr) {
        return;
    }
    webkit_settings_set_user_agent(webkit_web_view_get_settings(webView_),
                                   std::string(BrowserIdentity::userAgent(mode)).c_str());
    webkit_web_view_reload_bypass_cache(webView_);
}

// MARK: Dialogs attached to the panel

void BrowserWindowController::showSheet(std::unique_ptr<Gtk::MessageDialog> dialog,
                                        std::function<void(int response)> completion) {
    if (isClosing_) {
        return;
    }
    // Modal within the panel's own window group: other floating windows stay usable.
    panel_.windowGroup()->add_window(*dialog);
    dialog->set_transient_for(panel_);
    dialog->set_modal(true);
    dialog->set_position(Gtk::WIN_POS_CENTER_ON_PARENT);
    dialog->set_keep_above(alwaysOnTop_);
    Gtk::MessageDialog* shown = dialog.get();
    shown->signal_response().connect(
        [this, shown, completion = std::move(completion)](int response) {
            shown->hide();
            completion(response);
            MainQueue::async([weak = Weak(weak_from_this()), shown] {
                if (auto self = weak.lock()) {
                    std::erase_if(self->sheets_,
                                  [shown](const auto& sheet) { return sheet.get() == shown; });
                }
            });
        });
    sheets_.push_back(std::move(dialog));
    shown->show();
}

void BrowserWindowController::showAddressEditor() {
    auto dialog =
        std::make_unique<Gtk::MessageDialog>(panel_, std::string(PagePrompts::addressEditorMessage),
                                             false, Gtk::MESSAGE_QUESTION, Gtk::BUTTONS_NONE, true);
    dialog->add_button(std::string(PagePrompts::addressEditorCancel), Gtk::RESPONSE_CANCEL);
    dialog->add_button(std::string(PagePrompts::addressEditorOpen), Gtk::RESPONSE_ACCEPT);
    dialog->set_default_response(Gtk::RESPONSE_ACCEPT);
    auto* field = Gtk::manage(new Gtk::Entry());
    field->set_text(page_.currentURL());
    field->set_size_request(PagePrompts::addressFieldWidth, PagePrompts::addressFieldHeight);
    field->set_activates_default(true);
    dialog->get_message_area()->pack_start(*field, Gtk::PACK_SHRINK);
    field->show();
    showSheet(std::move(dialog), [this, field](int response) {
        if (response != Gtk::RESPONSE_ACCEPT || webView_ == nullptr) {
            return;
        }
        const SearchEngine engine = services_.store.snapshot().settings.searchEngine;
        load(AddressResolver::resolve(field->get_text().raw(), engine));
    });
}

void BrowserWindowController::bookmarkCurrentPage() {
    auto result = services_.store.addBookmarkThrowing(page_.currentURL(), page_.displayTitle());
    if (result) {
        return;
    }
    auto dialog = std::make_unique<Gtk::MessageDialog>(
        panel_, result.error().description(), false, Gtk::MESSAGE_WARNING, Gtk::BUTTONS_NONE, true);
    dialog->add_button("好", Gtk::RESPONSE_OK);
    showSheet(std::move(dialog), [](int) {});
}

void BrowserWindowController::copyURL() {
    Gtk::Clipboard::get(GDK_SELECTION_CLIPBOARD)->set_text(page_.currentURL());
}

void BrowserWindowController::openExternally() {
    services_.launcher.launch(page_.currentURL());
}

// MARK: The page

void BrowserWindowController::createWebViewAndNavigate() {
    if (webView_ != nullptr || isClosing_) {
        return;
    }
    GtkWidget* view = services_.session.createWebView(BrowserIdentity::userAgent(page_.identity()));
    webView_ = WEBKIT_WEB_VIEW(g_object_ref_sink(view));
    g_signal_connect(view, "load-changed", G_CALLBACK(loadChanged), this);
    g_signal_connect(view, "load-failed", G_CALLBACK(loadFailed), this);
    g_signal_connect(view, "notify::title", G_CALLBACK(titleChanged), this);
    g_signal_connect(view, "decide-policy", G_CALLBACK(decidePolicy), this);
    g_signal_connect(view, "create", G_CALLBACK(createRequested), this);
    g_signal_connect(view, "web-process-terminated", G_CALLBACK(processTerminated), this);
    g_signal_connect(view, "permission-request", G_CALLBACK(permissionRequested), this);
    // The main child of the overlay lies under the control bar.
    gtk_container_add(GTK_CONTAINER(rootView_.gobj()), view);
    gtk_widget_show(view);
    layOutToolbar();
    load(page_.initialURL());
}

void BrowserWindowController::dropWebView() {
    if (webView_ == nullptr) {
        return;
    }
    g_signal_handlers_disconnect_by_data(webView_, this);
    GtkWidget* view = GTK_WIDGET(webView_);
    webView_ = nullptr;
    gtk_widget_destroy(view);
    g_object_unref(view);
}

void BrowserWindowController::load(const std::string& url) {
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

void BrowserWindowController::pauseMedia() {
    if (webView_ != nullptr) {
        services_.session.pauseMedia(webView_, {});
    }
}

void BrowserWindowController::fitPageToViewport() {
    struct Measure {
        Weak controller;
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
            auto self = measure->controller.lock();
            if (!self || !viewport || !content || self->webView_ != measure->view) {
                return;
            }
            if (const auto zoom = self->page_.fit(*viewport, *content)) {
                webkit_web_view_set_zoom_level(self->webView_, *zoom);
            }
        },
        new Measure{weak_from_this(), webView_});
}

void BrowserWindowController::showErrorPage(const std::string& html, const std::string& url) {
    errorPageRequested_ = true;
    // Under the failed address, so that back, forward and reload treat the
    // error page as that address.
    webkit_web_view_load_alternate_html(webView_, html.c_str(), url.c_str(), nullptr);
}

void BrowserWindowController::loadChanged(WebKitWebView* view, WebKitLoadEvent event,
                                          gpointer self) {
    auto* controller = controllerOf(self);
    switch (event) {
        case WEBKIT_LOAD_STARTED:
            controller->loadStarted();
            break;
        case WEBKIT_LOAD_COMMITTED:
            ++controller->loadProgress_;
            controller->page_.commit(optionalText(webkit_web_view_get_uri(view)),
                                     optionalText(webkit_web_view_get_title(view)));
            controller->updateToolbar();
            break;
        case WEBKIT_LOAD_FINISHED:
            controller->loadFinished(optionalText(webkit_web_view_get_uri(view)),
                                     optionalText(webkit_web_view_get_title(view)));
            break;
        case WEBKIT_LOAD_REDIRECTED:
            break;
    }
}

void BrowserWindowController::loadStarted() {
    // A page still waiting for its title is recorded as it was shown before
    // the next one takes its place.
    if (visitAwaitingTitle_) {
        recordVisit();
    }
    loading_ = errorPageRequested_ ? Loading::errorPage : Loading::page;
    errorPageRequested_ = false;
}

void BrowserWindowController::loadFinished(std::optional<std::string_view> url,
                                           std::optional<std::string_view> title) {
    // WebKit also finishes failed loads; only pages that arrived count.
    if (loading_ == Loading::failed) {
        return;
    }
    const bool named = page_.finish(url, title);
    fitPageToViewport();
    updateToolbar();
    if (loading_ == Loading::page) {
        recordVisitOnceNamed(named);
    }
}

gboolean BrowserWindowController::loadFailed(WebKitWebView*, WebKitLoadEvent, gchar* uri,
                                             GError* error, gpointer self) {
    auto* controller = controllerOf(self);
    controller->loading_ = Loading::failed;
    ++controller->loadProgress_;
    if (const auto reason = LoadFailure::reason({error->domain, error->code})) {
        const std::string url = uri != nullptr ? uri : controller->page_.currentURL();
        controller->showErrorPage(PagePrompts::loadFailedPage(url, *reason, error->message), url);
    }
    // Handled either way: a cancelled load shows nothing, not even WebKit's own page.
    return TRUE;
}

void BrowserWindowController::titleChanged(WebKitWebView* view, GParamSpec*, gpointer self) {
    auto* controller = controllerOf(self);
    const bool named =
        controller->page_.titleChanged(optionalText(webkit_web_view_get_title(view)));
    controller->updateToolbar();
    if (named && controller->visitAwaitingTitle_) {
        controller->recordVisit();
    }
}

void BrowserWindowController::recordVisitOnceNamed(bool named) {
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

void BrowserWindowController::recordVisit() {
    visitAwaitingTitle_ = false;
    // A refused address (the store's own rules) is simply not recorded.
    [[maybe_unused]] const auto recorded =
        services_.store.recordVisitThrowing(page_.currentURL(), page_.displayTitle());
}

gboolean BrowserWindowController::decidePolicy(WebKitWebView*, WebKitPolicyDecision* decision,
                                               WebKitPolicyDecisionType type, gpointer self) {
    if (type == WEBKIT_POLICY_DECISION_TYPE_RESPONSE) {
        return FALSE;
    }
    WebKitNavigationAction* action = webkit_navigation_policy_decision_get_navigation_action(
        WEBKIT_NAVIGATION_POLICY_DECISION(decision));
    controllerOf(self)->navigationAction(
        action, type == WEBKIT_POLICY_DECISION_TYPE_NAVIGATION_ACTION, decision);
    return TRUE;
}

void BrowserWindowController::navigationAction(WebKitNavigationAction* action, bool targetsFrame,
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
        return services_.launcher.hasHandlerForScheme(scheme);
    });
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
        services_.launcher.launch(facts.url);
    }
}

GtkWidget* BrowserWindowController::createRequested(WebKitWebView*, WebKitNavigationAction* action,
                                                    gpointer self) {
    // Never a second view: a window the page opens becomes a load in this one,
    // under the same rules as any new-window request.
    controllerOf(self)->navigationAction(action, false, nullptr);
    return nullptr;
}

void BrowserWindowController::processTerminated(WebKitWebView*,
                                                WebKitWebProcessTerminationReason reason,
                                                gpointer self) {
    if (reason == WEBKIT_WEB_PROCESS_TERMINATED_BY_API) {
        return;
    }
    auto* controller = controllerOf(self);
    const std::string url = controller->page_.currentURL();
    controller->showErrorPage(PagePrompts::processEndedPage(url), url);
}

gboolean BrowserWindowController::permissionRequested(WebKitWebView*,
                                                      WebKitPermissionRequest* request,
                                                      gpointer self) {
    return controllerOf(self)->askPermission(request) ? TRUE : FALSE;
}

bool BrowserWindowController::askPermission(WebKitPermissionRequest* request) {
    const auto kind = permissionKind(request);
    if (!kind) {
        // WebKit's own answer (a refusal) for everything else.
        return false;
    }
    if (!panel_.get_visible() || isClosing_) {
        webkit_permission_request_deny(request);
        return true;
    }
    auto pending = std::make_shared<PendingPermission>(request);
    auto dialog = std::make_unique<Gtk::MessageDialog>(
        panel_, PagePrompts::permissionQuestion(*kind, Url::hostOrText(page_.currentURL())), false,
        Gtk::MESSAGE_QUESTION, Gtk::BUTTONS_NONE, true);
    dialog->add_button(std::string(PagePrompts::permissionDeny), Gtk::RESPONSE_REJECT);
    dialog->add_button(std::string(PagePrompts::permissionAllow), Gtk::RESPONSE_ACCEPT);
    dialog->set_default_response(Gtk::RESPONSE_REJECT);
    showSheet(std::move(dialog),
              [pending](int response) { pending->answer(response == Gtk::RESPONSE_ACCEPT); });
    return true;
}

}  // namespace velumo
