#include "browser/BrowserWindowController.h"

#include <gdk/gdkkeysyms.h>
#include <gtkmm/clipboard.h>
#include <gtkmm/entry.h>
#include <gtkmm/label.h>
#include <gtkmm/messagedialog.h>

#include "MainQueue.h"
#include "NotificationCenter.h"
#include "browser/FloatingWindowRules.h"
#include "browser/PagePrompts.h"
#include "browser/StateStore.h"
#include "data/AddressResolver.h"
#include "data/AppDataSanitizer.h"
#include "data/AppDataStore.h"
#include "design/SymbolIcons.h"
#include "shell/ActivationTime.h"

namespace velumo {
namespace {

using Weak = std::weak_ptr<BrowserWindowController>;

BrowserWindowController* controllerOf(gpointer self) {
    return static_cast<BrowserWindowController*>(self);
}

}  // namespace

FloatingWindowFactory BrowserWindowController::factory(AppDataStore& store,
                                                       DesktopLauncher& launcher,
                                                       WebSession::Provider session,
                                                       ScreenLayoutProvider screens) {
    return [&store, &launcher, session = std::move(session), screens = std::move(screens)](
               BrowserWindowManager& manager, const std::string& url,
               BrowserWindowMode mode) -> std::shared_ptr<FloatingWindow> {
        return std::make_shared<BrowserWindowController>(
            Services{manager, store, launcher, session, screens}, url, mode);
    };
}

BrowserWindowController::BrowserWindowController(Services services, const std::string& initialURL,
                                                 BrowserWindowMode mode)
    : services_(std::move(services)),
      rootView_(panel_),
      page_(std::make_shared<BrowserPage>(services_.store, services_.launcher, services_.session,
                                          panel_, initialURL)),
      mode_(mode) {
    const AppSettings settings = services_.store.snapshot().settings;
    toolbarAutoHide_ = settings.autoHideToolbar;
    alwaysOnTop_ = settings.defaultAlwaysOnTop.value_or(true);

    panel_.setMinimumSize(WindowGeometry::minimumWindowModeSize);
    panel_.setAlwaysOnTop(alwaysOnTop_);
    // On every workspace, like a note stuck to the screen.
    panel_.stick();
    opacity_ = settings.defaultOpacity;
    if (StateStore* state = services_.manager.stateStore()) {
        std::optional<SitePreferences> site;
        state->change([&](SavedState& saved) { site = saved.sites.recall(initialURL); });
        if (site) {
            opacity_ = site->opacity.value_or(opacity_);
            page_->presetDisplay(site->zoom, site->identity.value_or(BrowserIdentityMode::desktop));
        }
    }
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
    ghostMark_.get_style_context()->add_class("velumo-ghost-mark");
    ghostMark_.pack_start(*SymbolIcons::makeImage("ghost", 14), Gtk::PACK_SHRINK);
    ghostMark_.pack_start(*Gtk::make_managed<Gtk::Label>("穿透中"), Gtk::PACK_SHRINK);
    ghostMark_.set_halign(Gtk::ALIGN_END);
    ghostMark_.set_valign(Gtk::ALIGN_END);
    ghostMark_.property_margin() = 12;
    ghostMark_.show_all();
    ghostMark_.set_no_show_all(true);
    ghostMark_.hide();
    rootView_.add_overlay(ghostMark_);
    rootView_.setOnMouseExit([this] { mouseExited(); });
    page_->setOnChange([this] { updateToolbar(); });
    toolbar_.setOpacity(opacity_);
    toolbar_.update(displayTitle(), false, false);
    toolbar_.setPinned(alwaysOnTop_);
    toolbar_.setAdvertisementMode(mode_ == BrowserWindowMode::advertisement);
    isToolbarCollapsed_ = toolbarAutoHide_ && mode_ == BrowserWindowMode::window;
    toolbar_.setCollapsed(isToolbarCollapsed_);
    rootView_.show_all();
    // After show_all, which shows the controls of every mode.
    layOutToolbar();
    panel_.set_title(displayTitle());

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
    // Moves, resizes, showing and hiding: what the next start brings back.
    const auto stateChanged = [this] {
        if (!isClosing_) {
            services_.manager.windowStateChanged();
        }
    };
    // Before GTK's own handler, which ends the signal.
    connections_.push_back(panel_.signal_configure_event().connect(
        [stateChanged](GdkEventConfigure*) {
            stateChanged();
            return false;
        },
        false));
    connections_.push_back(panel_.signal_map().connect(stateChanged, true));
    connections_.push_back(panel_.signal_unmap().connect(stateChanged, true));
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
    makePageWhenShown();
}

BrowserWindowController::~BrowserWindowController() {
    // Handlers go before the widgets that would call them.
    firstShow_.disconnect();
    stopPointerTracking();
    for (auto& connection : connections_) {
        connection.disconnect();
    }
    toolbar_.setDelegate(nullptr);
    moreMenu_.reset();
    panel_.closeSheets();
    page_->close();
}

void BrowserWindowController::announce() const {
    NotificationCenter::defaultCenter().post(browserWindowsDidChange, asWindow());
}

// MARK: Showing, hiding, closing

void BrowserWindowController::showWindow() {
    panel_.show();
    makeKey();
}

// The page is made as the panel is about to show for the first time, before
// GTK realizes and maps it: its web process then starts while the panel is
// laid out and drawn. Made after the panel's first frame, the page's first
// paint waited for that frame, and for the web session the first page makes
// (a tenth of a second or more). A window that comes back hidden makes no
// web process before it shows.
void BrowserWindowController::makePageWhenShown() {
    firstShow_ = panel_.signalWillShow().connect([this] {
        firstShow_.disconnect();
        createWebViewAndNavigate();
    });
}

void BrowserWindowController::hideWindow() {
    page_->pauseMedia();
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
    page_->pauseMedia();
    windowWillClose();
}

void BrowserWindowController::windowWillClose() {
    stopPointerTracking();
    moreMenu_.reset();
    panel_.closeSheets();
    page_->close();
    panel_.hide();
    // The manager lets go of this controller; it must outlive this call and
    // the GTK handler that may have led here, so it goes on a later turn.
    auto self = shared_from_this();
    services_.manager.remove(*this);
    MainQueue::async([self] {});
}

// MARK: What the next start brings back

SavedWindow BrowserWindowController::savedState() const {
    const PageState& page = page_->state();
    // An address the page could not show, or one of its own, is no place to
    // come back to; where the window started is.
    const bool webPage = AppDataSanitizer::webURL(page.currentURL()).has_value();
    return {.url = webPage ? page.currentURL() : page.initialURL(),
            .mode = mode_,
            .frame = panel_.frame(),
            .normalFrame = normalFrame_,
            .opacity = opacity_,
            .zoom = page.hasManualPageZoom() ? std::optional(page.pageZoom()) : std::nullopt,
            .identity = page.identity(),
            .alwaysOnTop = alwaysOnTop_,
            .hideOnPointerExit = autoHide_,
            .ghost = ghost_,
            .hidden = !isVisible()};
}

void BrowserWindowController::restore(const SavedWindow& saved) {
    const ScreenLayout layout = services_.screens(panel_);
    panel_.setFrame(WindowGeometry::restoredFrame(saved.frame, layout.screens, layout.primary));
    if (saved.normalFrame) {
        normalFrame_ =
            WindowGeometry::restoredFrame(*saved.normalFrame, layout.screens, layout.primary);
    }
    setOpacity(saved.opacity);
    autoHide_ = saved.hideOnPointerExit;
    toolbar_.setAutoHide(autoHide_);
    alwaysOnTop_ = saved.alwaysOnTop;
    panel_.setAlwaysOnTop(alwaysOnTop_);
    toolbar_.setPinned(alwaysOnTop_);
    page_->presetDisplay(saved.zoom, saved.identity);
    setGhost(saved.ghost);
}

void BrowserWindowController::rememberForSite(const SitePreferences& choice) {
    services_.manager.windowStateChanged();
    if (StateStore* state = services_.manager.stateStore()) {
        state->change([&](SavedState& saved) { saved.sites.remember(currentURL(), choice); });
    }
}

void BrowserWindowController::forgetSite() {
    if (StateStore* state = services_.manager.stateStore()) {
        state->change([&](SavedState& saved) { saved.sites.forget(currentURL()); });
    }
    setOpacity(services_.store.snapshot().settings.defaultOpacity);
    page_->resetDisplay();
    services_.manager.windowStateChanged();
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
    if (WebKitWebView* view = page_->webView()) {
        gtk_widget_set_margin_top(GTK_WIDGET(view), static_cast<int>(WindowGeometry::webViewTop(
                                                        mode_, toolbarAutoHide_)));
    }
}

void BrowserWindowController::setToolbarCollapsed(bool collapsed) {
    isToolbarCollapsed_ = collapsed;
    toolbar_.setCollapsed(collapsed);
    layOutToolbar();
}

void BrowserWindowController::updateToolbar() {
    toolbar_.update(displayTitle(), page_->canGoBack(), page_->canGoForward());
    panel_.set_title(displayTitle());
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
    return (moreMenu_ && moreMenu_->get_visible()) || panel_.hasVisibleSheet();
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
        .ghost = ghost_,
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
        moreMenuActionForKey(gdk_keyval_to_unicode(gdk_keyval_to_lower(event->keyval)), mode_);
    if (!action) {
        return false;
    }
    performMenuAction(*action);
    return true;
}

// MARK: Toolbar and menu commands

void BrowserWindowController::toolbarGoBack() {
    page_->goBack();
}

void BrowserWindowController::toolbarGoForward() {
    page_->goForward();
}

void BrowserWindowController::toolbarReload() {
    page_->reload();
}

void BrowserWindowController::setOpacity(double value) {
    opacity_ = value;
    panel_.set_opacity(value);
    toolbar_.setOpacity(value);
}

void BrowserWindowController::toolbarSetOpacity(double value) {
    setOpacity(WindowGeometry::opacityFromSlider(value));
    rememberForSite({.opacity = opacity_});
}

void BrowserWindowController::setOpacityFromMenu(int tag) {
    setOpacity(WindowGeometry::opacityFromMenuTag(tag));
    rememberForSite({.opacity = opacity_});
}

void BrowserWindowController::toolbarToggleAutoHide() {
    autoHide_ = !autoHide_;
    toolbar_.setAutoHide(autoHide_);
    services_.manager.windowStateChanged();
}

void BrowserWindowController::toolbarToggleAlwaysOnTop() {
    alwaysOnTop_ = !alwaysOnTop_;
    panel_.setAlwaysOnTop(alwaysOnTop_);
    toolbar_.setPinned(alwaysOnTop_);
    // The store keeps no default for this, so new windows still start on top;
    // the hand-over only matters once it does.
    AppSettings settings = services_.store.snapshot().settings;
    settings.defaultAlwaysOnTop = alwaysOnTop_;
    [[maybe_unused]] const auto handedOver = services_.store.updateSettings(settings);
    announce();
}

void BrowserWindowController::setGhost(bool ghost) {
    if (ghost == ghost_ || isClosing_) {
        return;
    }
    ghost_ = ghost;
    // With an empty input shape the window system hands every pointer event
    // to the windows beneath. GTK keeps the shape for a panel realized anew.
    cairo_region_t* nothing = ghost ? cairo_region_create() : nullptr;
    gtk_widget_input_shape_combine_region(GTK_WIDGET(panel_.gobj()), nothing);
    if (nothing != nullptr) {
        cairo_region_destroy(nothing);
    }
    // The bar's controls look as out of reach as they are.
    toolbar_.set_sensitive(!ghost);
    ghostMark_.set_visible(ghost);
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
    StateStore* state = services_.manager.stateStore();
    const bool remembered = state != nullptr && state->snapshot().sites.remembers(currentURL());
    const BrowserMoreMenu::Content content{
        .state = {.mode = mode_,
                  .canGoBack = page_->canGoBack(),
                  .canGoForward = page_->canGoForward(),
                  .autoHide = autoHide_,
                  .alwaysOnTop = alwaysOnTop_,
                  .siteRemembered = remembered},
        .opacity = opacity_,
        .pageZoom = page_->state().pageZoom(),
        .identity = page_->state().identity(),
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
        case MoreMenuAction::ghostMode:
            setGhost(true);
            break;
        case MoreMenuAction::newWindow:
            services_.manager.createWindow(std::nullopt, BrowserWindowMode::window);
            break;
        case MoreMenuAction::forgetSite:
            forgetSite();
            break;
        case MoreMenuAction::opacitySubmenu:
        case MoreMenuAction::pageDisplayControls:
        case MoreMenuAction::separator:
            break;
    }
}

void BrowserWindowController::displayControlsSetPageZoom(double zoom) {
    page_->setManualZoom(zoom);
    rememberForSite({.zoom = page_->state().pageZoom()});
}

void BrowserWindowController::displayControlsSetBrowserMode(BrowserIdentityMode mode) {
    page_->setIdentity(mode);
    rememberForSite({.identity = mode});
}

// MARK: Dialogs attached to the panel

void BrowserWindowController::showAddressEditor() {
    auto dialog =
        std::make_unique<Gtk::MessageDialog>(panel_, std::string(PagePrompts::addressEditorMessage),
                                             false, Gtk::MESSAGE_QUESTION, Gtk::BUTTONS_NONE, true);
    dialog->add_button(std::string(PagePrompts::addressEditorCancel), Gtk::RESPONSE_CANCEL);
    dialog->add_button(std::string(PagePrompts::addressEditorOpen), Gtk::RESPONSE_ACCEPT);
    dialog->set_default_response(Gtk::RESPONSE_ACCEPT);
    auto* field = Gtk::manage(new Gtk::Entry());
    field->set_text(currentURL());
    field->set_size_request(PagePrompts::addressFieldWidth, PagePrompts::addressFieldHeight);
    field->set_activates_default(true);
    dialog->get_message_area()->pack_start(*field, Gtk::PACK_SHRINK);
    field->show();
    panel_.showSheet(std::move(dialog), [this, field](int response) {
        if (response != Gtk::RESPONSE_ACCEPT) {
            return;
        }
        const SearchEngine engine = services_.store.snapshot().settings.searchEngine;
        page_->load(AddressResolver::resolve(field->get_text().raw(), engine));
    });
}

void BrowserWindowController::bookmarkCurrentPage() {
    auto result = services_.store.addBookmarkThrowing(currentURL(), displayTitle());
    if (result) {
        return;
    }
    auto dialog = std::make_unique<Gtk::MessageDialog>(
        panel_, result.error().description(), false, Gtk::MESSAGE_WARNING, Gtk::BUTTONS_NONE, true);
    dialog->add_button("好", Gtk::RESPONSE_OK);
    panel_.showSheet(std::move(dialog), [](int) {});
}

void BrowserWindowController::copyURL() {
    Gtk::Clipboard::get(GDK_SELECTION_CLIPBOARD)->set_text(currentURL());
}

void BrowserWindowController::openExternally() {
    services_.launcher.launch(currentURL());
}

// MARK: The page

void BrowserWindowController::createWebViewAndNavigate() {
    if (page_->webView() != nullptr || isClosing_) {
        return;
    }
    // The main child of the overlay lies under the control bar.
    GtkWidget* view = page_->createWebView();
    gtk_container_add(GTK_CONTAINER(rootView_.gobj()), view);
    gtk_widget_show(view);
    layOutToolbar();
    page_->load(page_->state().initialURL());
}

}  // namespace velumo
