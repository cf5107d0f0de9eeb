#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <gtkmm/box.h>
#include <webkit2/webkit2.h>

#include "browser/BrowserMoreMenu.h"
#include "browser/BrowserPage.h"
#include "browser/BrowserRootView.h"
#include "browser/BrowserToolbarDelegate.h"
#include "browser/BrowserToolbarView.h"
#include "browser/BrowserWindowManager.h"
#include "browser/DesktopLauncher.h"
#include "browser/FloatingPanel.h"
#include "browser/FloatingWindow.h"
#include "browser/MoreMenuModel.h"
#include "browser/PageDisplayControlsDelegate.h"
#include "browser/ScreenLayout.h"
#include "browser/WebSession.h"

namespace velumo {

class AppDataStore;

// Drives one floating window: its panel, control bar and commands around the
// page (BrowserPage). Owned by the window manager from creation until the
// panel closes.
class BrowserWindowController final : public FloatingWindow,
                                      public BrowserToolbarDelegate,
                                      public PageDisplayControlsDelegate,
                                      public std::enable_shared_from_this<BrowserWindowController> {
  public:
    // What a controller works with; none of it is owned.
    struct Services {
        BrowserWindowManager& manager;
        AppDataStore& store;
        DesktopLauncher& launcher;
        WebSession::Provider session;
        ScreenLayoutProvider screens;
    };

    // Makes the windows of a manager with these services.
    static FloatingWindowFactory factory(AppDataStore& store, DesktopLauncher& launcher,
                                         WebSession::Provider session,
                                         ScreenLayoutProvider screens);

    BrowserWindowController(Services services, const std::string& initialURL,
                            BrowserWindowMode mode);
    ~BrowserWindowController() override;
    BrowserWindowController(const BrowserWindowController&) = delete;
    BrowserWindowController& operator=(const BrowserWindowController&) = delete;

    // FloatingWindow
    void showWindow() override;
    void hideWindow() override;
    void toggleVisibility() override;
    bool moveToMouseScreenIfNeeded() override;
    void orderFrontRegardless() override;
    void makeKey() override;
    bool isVisible() const override;
    void closePermanently() override;
    bool isClosing() const override { return isClosing_; }
    std::string displayTitle() const override { return page_->state().displayTitle(); }
    std::string currentURL() const override { return page_->state().currentURL(); }
    BrowserWindowMode mode() const override { return mode_; }
    // The workbench's window list switches modes here.
    void toggleModeFromUI() override { toggleAdvertisementMode(); }
    bool isGhost() const override { return ghost_; }
    void setGhost(bool ghost) override;
    bool pageArrived() const override { return page_->arrived(); }
    SavedWindow savedState() const override;
    void restore(const SavedWindow& saved) override;

    // BrowserToolbarDelegate
    void toolbarGoBack() override;
    void toolbarGoForward() override;
    void toolbarReload() override;
    void toolbarSetOpacity(double value) override;
    void toolbarToggleAutoHide() override;
    void toolbarToggleAlwaysOnTop() override;
    void toolbarToggleMode() override;
    void toolbarShowMore(Gtk::Widget& button) override;
    void toolbarClose() override;
    void toolbarRestoreWindowMode() override;

    // PageDisplayControlsDelegate
    void displayControlsSetPageZoom(double zoom) override;
    void displayControlsSetBrowserMode(BrowserIdentityMode mode) override;

    // A command of the more-menu (or its key).
    void performMenuAction(MoreMenuAction action);
    // An item of the opacity submenu (10, 20, ..., 100).
    void setOpacityFromMenu(int tag);

    bool alwaysOnTop() const { return alwaysOnTop_; }
    bool autoHide() const { return autoHide_; }
    double opacity() const { return opacity_; }
    bool isToolbarCollapsed() const { return isToolbarCollapsed_; }
    const std::optional<Rect>& normalFrame() const { return normalFrame_; }
    FloatingPanel& panel() { return panel_; }
    BrowserToolbarView& toolbar() { return toolbar_; }
    // The mark in the corner that shows while the window is a ghost.
    Gtk::Widget& ghostMark() { return ghostMark_; }
    WebKitWebView* webView() const { return page_->webView(); }
    // The open more-menu, if any.
    BrowserMoreMenu* moreMenu() const { return moreMenu_.get(); }

  private:
    const FloatingWindow* asWindow() const { return this; }
    void announce() const;
    void updateToolbar();
    void setOpacity(double value);
    // The bar's height and controls and the page's top follow the mode and
    // whether the bar is folded.
    void layOutToolbar();
    void setToolbarCollapsed(bool collapsed);
    void toggleAdvertisementMode();
    void positionAdvertisement();
    Rect constrained(Rect frame) const;
    std::optional<Rect> workAreaOfPanelScreen() const;

    // The page is made as the panel first shows.
    void makePageWhenShown();
    void createWebViewAndNavigate();
    void windowWillClose();
    // Remembers a choice made by hand for the page's site.
    void rememberForSite(const SitePreferences& choice);
    // "恢复默认": forgets the site, and the window takes the defaults again.
    void forgetSite();

    // Auto-hide waits while the more-menu or a dialog of the panel is open.
    bool suppressAutoHide() const;
    void mouseExited();
    void pointerMoved();
    void stopPointerTracking();
    bool keyPressed(GdkEventKey* event);

    void showAddressEditor();
    void bookmarkCurrentPage();
    void copyURL();
    void openExternally();

    Services services_;
    FloatingPanel panel_;
    BrowserRootView rootView_;
    BrowserToolbarView toolbar_;
    Gtk::Box ghostMark_{Gtk::ORIENTATION_HORIZONTAL, 5};
    std::shared_ptr<BrowserPage> page_;

    // The window system keeps only 8 bits of it.
    double opacity_ = 1.0;
    bool autoHide_ = false;
    bool alwaysOnTop_ = true;
    bool ghost_ = false;
    BrowserWindowMode mode_;
    std::optional<Rect> normalFrame_;
    bool isClosing_ = false;
    bool isToolbarCollapsed_ = false;
    bool toolbarAutoHide_ = false;

    std::unique_ptr<BrowserMoreMenu> moreMenu_;
    std::vector<sigc::connection> connections_;
    // Until the panel first shows, when the page is made.
    sigc::connection firstShow_;
    GtkEventController* pointerTracking_ = nullptr;
};

}  // namespace velumo
