#pragma once

#include <optional>
#include <string>
#include <vector>

#include "data/Models.h"

namespace velumo {

enum class MoreMenuAction {
    navigateBack,
    navigateForward,
    reload,
    opacitySubmenu,
    toggleAutoHide,
    toggleAlwaysOnTop,
    restoreWindowMode,
    editAddress,
    bookmark,
    copyURL,
    openExternally,
    pageDisplayControls,
    forgetSite,
    ghostMode,
    newWindow,
    separator,
};

// What the more-menu shows depends on this state of the window.
struct MoreMenuState {
    BrowserWindowMode mode = BrowserWindowMode::window;
    bool canGoBack = false;
    bool canGoForward = false;
    bool autoHide = false;
    bool alwaysOnTop = true;
    // Zoom, identity or opacity were chosen by hand for the page's site.
    bool siteRemembered = false;
};

struct MoreMenuItem {
    MoreMenuAction action = MoreMenuAction::separator;
    std::string title;
    // The keyboard hint shown beside the title, e.g. "Ctrl+L"; empty for none.
    std::string keyHint;
    bool enabled = true;
    // Present for items with an on/off state.
    std::optional<bool> checked;

    bool operator==(const MoreMenuItem&) const = default;
};

struct OpacityMenuItem {
    int tag = 100;
    std::string title;
    bool checked = false;

    bool operator==(const OpacityMenuItem&) const = default;
};

// The more-menu's items, top to bottom, rebuilt each time it opens.
std::vector<MoreMenuItem> moreMenuItems(const MoreMenuState& state);

// The command of Ctrl + `key` (a character, either case) in a window of
// `mode`: the keys its more-menu shows, and Ctrl+R in either mode. Other keys
// (none) belong to the page, such as Ctrl+[ and Ctrl+] in window mode, where
// web editors indent and outdent with them.
std::optional<MoreMenuAction> moreMenuActionForKey(char32_t key, BrowserWindowMode mode);

// The ten opacity items 100% ... 10%; an item is checked when the window's
// opacity is within 0.01 of it.
std::vector<OpacityMenuItem> opacityMenuItems(double opacity);

}  // namespace velumo
