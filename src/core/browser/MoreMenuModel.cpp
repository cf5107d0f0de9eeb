#include "browser/MoreMenuModel.h"

#include <cctype>
#include <cmath>

namespace velumo {

namespace {

MoreMenuItem item(MoreMenuAction action, std::string title, std::string keyHint = {},
                  bool enabled = true, std::optional<bool> checked = std::nullopt) {
    return {action, std::move(title), std::move(keyHint), enabled, checked};
}

MoreMenuItem separator() {
    return {};
}

}  // namespace

std::vector<MoreMenuItem> moreMenuItems(const MoreMenuState& state) {
    std::vector<MoreMenuItem> items;
    // The advertisement row has no navigation or opacity controls, so the
    // menu carries them in that mode.
    if (state.mode == BrowserWindowMode::advertisement) {
        items.push_back(item(MoreMenuAction::navigateBack, "后退", "Ctrl+[", state.canGoBack));
        items.push_back(
            item(MoreMenuAction::navigateForward, "前进", "Ctrl+]", state.canGoForward));
        items.push_back(item(MoreMenuAction::reload, "刷新", "Ctrl+R"));
        items.push_back(separator());
        items.push_back(item(MoreMenuAction::opacitySubmenu, "透明度"));
        items.push_back(
            item(MoreMenuAction::toggleAutoHide, "鼠标离开自动隐藏", {}, true, state.autoHide));
        items.push_back(
            item(MoreMenuAction::toggleAlwaysOnTop, "始终置顶", {}, true, state.alwaysOnTop));
        items.push_back(item(MoreMenuAction::restoreWindowMode, "恢复窗口模式"));
        items.push_back(separator());
    }
    items.push_back(item(MoreMenuAction::editAddress, "编辑地址…", "Ctrl+L"));
    items.push_back(item(MoreMenuAction::bookmark, "收藏当前页", "Ctrl+D"));
    items.push_back(separator());
    items.push_back(item(MoreMenuAction::copyURL, "复制网址"));
    items.push_back(item(MoreMenuAction::openExternally, "在默认浏览器中打开"));
    items.push_back(separator());
    items.push_back(item(MoreMenuAction::pageDisplayControls, {}));
    items.push_back(item(MoreMenuAction::forgetSite, "恢复默认", {}, state.siteRemembered));
    items.push_back(separator());
    // A ghost cannot be clicked: the ways back are outside the window.
    items.push_back(item(MoreMenuAction::ghostMode, "穿透模式"));
    items.push_back(item(MoreMenuAction::newWindow, "新建浮窗", "Ctrl+N"));
    return items;
}

std::optional<MoreMenuAction> moreMenuActionForKey(char32_t key, BrowserWindowMode mode) {
    if (key == 0 || key > 0x7f) {
        return std::nullopt;
    }
    const std::string hint =
        "Ctrl+" + std::string(1, static_cast<char>(std::toupper(static_cast<unsigned char>(key))));
    // Reloading is every browser's key; in window mode the bar has the button
    // and the menu no item for it.
    if (hint == "Ctrl+R") {
        return MoreMenuAction::reload;
    }
    for (const MoreMenuItem& item : moreMenuItems({.mode = mode})) {
        if (item.keyHint == hint) {
            return item.action;
        }
    }
    return std::nullopt;
}

std::vector<OpacityMenuItem> opacityMenuItems(double opacity) {
    std::vector<OpacityMenuItem> items;
    for (int tag = 100; tag >= 10; tag -= 10) {
        items.push_back({tag, std::to_string(tag) + "%", std::abs(opacity - tag / 100.0) < 0.01});
    }
    return items;
}

}  // namespace velumo
