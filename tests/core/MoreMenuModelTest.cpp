#include <cmath>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "browser/MoreMenuModel.h"

namespace velumo {
namespace {

// One line per item: title, key hint and flags, so a whole menu reads as a list.
std::vector<std::string> describe(const std::vector<MoreMenuItem>& items) {
    std::vector<std::string> lines;
    for (const auto& item : items) {
        if (item.action == MoreMenuAction::separator) {
            lines.emplace_back("---");
            continue;
        }
        std::string line =
            item.action == MoreMenuAction::pageDisplayControls ? "[display controls]" : item.title;
        if (!item.keyHint.empty()) {
            line += " " + item.keyHint;
        }
        if (!item.enabled) {
            line += " (disabled)";
        }
        if (item.checked) {
            line += *item.checked ? " (on)" : " (off)";
        }
        lines.push_back(line);
    }
    return lines;
}

const std::vector<std::string> commonItems = {
    "编辑地址… Ctrl+L",
    "收藏当前页 Ctrl+D",
    "---",
    "复制网址",
    "在默认浏览器中打开",
    "---",
    "[display controls]",
    "---",
    "新建浮窗 Ctrl+N",
};

TEST(MoreMenuModel, WindowModeStartsWithTheAddressEditorAndHasNoSwitches) {
    MoreMenuState state;
    state.canGoBack = true;
    state.autoHide = true;
    EXPECT_EQ(describe(moreMenuItems(state)), commonItems);
}

TEST(MoreMenuModel, AdvertisementModeLeadsWithNavigationAndTheWindowSwitches) {
    MoreMenuState state;
    state.mode = BrowserWindowMode::advertisement;
    // The first page of a window; each flag differs from its neighbour's, so
    // crossed wires show.
    state.canGoBack = false;
    state.canGoForward = true;
    state.autoHide = true;
    state.alwaysOnTop = false;

    std::vector<std::string> expected = {
        "后退 Ctrl+[ (disabled)", "前进 Ctrl+]",    "刷新 Ctrl+R",  "---", "透明度",
        "鼠标离开自动隐藏 (on)",  "始终置顶 (off)", "恢复窗口模式", "---",
    };
    expected.insert(expected.end(), commonItems.begin(), commonItems.end());
    EXPECT_EQ(describe(moreMenuItems(state)), expected);
}

std::vector<int> checkedTags(double opacity) {
    std::vector<int> tags;
    for (const auto& item : opacityMenuItems(opacity)) {
        if (item.checked) {
            tags.push_back(item.tag);
        }
    }
    return tags;
}

TEST(MoreMenuModel, KeysReachTheirCommandsInEitherCase) {
    EXPECT_EQ(moreMenuActionForKey(U'l'), MoreMenuAction::editAddress);
    EXPECT_EQ(moreMenuActionForKey(U'D'), MoreMenuAction::bookmark);
    EXPECT_EQ(moreMenuActionForKey(U'['), MoreMenuAction::navigateBack);
    EXPECT_EQ(moreMenuActionForKey(U'r'), MoreMenuAction::reload);
    EXPECT_EQ(moreMenuActionForKey(U'x'), std::nullopt);
    EXPECT_EQ(moreMenuActionForKey(U'\0'), std::nullopt);
    // A character whose low byte is "l".
    EXPECT_EQ(moreMenuActionForKey(U'\u016c'), std::nullopt);
}

TEST(MoreMenuModel, OpacityItemsRunFromFullToTenPercent) {
    const auto items = opacityMenuItems(1.0);
    std::vector<std::string> titles;
    std::vector<int> tags;
    for (const auto& item : items) {
        titles.push_back(item.title);
        tags.push_back(item.tag);
    }
    EXPECT_EQ(titles, (std::vector<std::string>{"100%", "90%", "80%", "70%", "60%", "50%", "40%",
                                                "30%", "20%", "10%"}));
    EXPECT_EQ(tags, (std::vector<int>{100, 90, 80, 70, 60, 50, 40, 30, 20, 10}));
}

TEST(MoreMenuModel, AnOpacityItemIsCheckedOnlyWithinAHundredthOfIt) {
    EXPECT_EQ(checkedTags(1.0), std::vector<int>{100});
    EXPECT_EQ(checkedTags(0.1), std::vector<int>{10});
    EXPECT_EQ(checkedTags(0.7), std::vector<int>{70});
    // Slider steps between the items check nothing.
    EXPECT_TRUE(checkedTags(0.35).empty());
    EXPECT_TRUE(checkedTags(0.05).empty());
    EXPECT_EQ(checkedTags(0.305), std::vector<int>{30});
    EXPECT_TRUE(checkedTags(0.32).empty());
    EXPECT_TRUE(checkedTags(std::nan("")).empty());
}

}  // namespace
}  // namespace velumo
