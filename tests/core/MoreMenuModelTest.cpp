#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "browser/MoreMenuModel.h"

namespace velumo {
namespace {

using Lines = std::vector<std::string>;

// One line per item: title, key hint and flags, so a whole menu reads as a list.
Lines describe(const MoreMenuState& state) {
    Lines lines;
    for (const auto& item : moreMenuItems(state)) {
        std::string line = item.action == MoreMenuAction::separator ? "---"
                           : item.action == MoreMenuAction::pageDisplayControls
                               ? "[display controls]"
                               : item.title;
        line += item.keyHint.empty() ? "" : " " + item.keyHint;
        line += item.enabled ? "" : " (disabled)";
        line += item.checked ? (*item.checked ? " (on)" : " (off)") : "";
        lines.push_back(line);
    }
    return lines;
}

TEST(MoreMenuModel, AdvertisementModeAddsNavigationAndTheWindowSwitchesBeforeTheCommonItems) {
    const Lines common = {"编辑地址… Ctrl+L",
                          "收藏当前页 Ctrl+D",
                          "---",
                          "复制网址",
                          "在默认浏览器中打开",
                          "---",
                          "[display controls]",
                          "---",
                          "新建浮窗 Ctrl+N"};
    // Each flag differs from its neighbour's, so crossed wires show.
    MoreMenuState state{BrowserWindowMode::window, false, true, true, false};
    EXPECT_EQ(describe(state), common);

    state.mode = BrowserWindowMode::advertisement;
    Lines expected = {"后退 Ctrl+[ (disabled)", "前进 Ctrl+]",    "刷新 Ctrl+R",  "---", "透明度",
                      "鼠标离开自动隐藏 (on)",  "始终置顶 (off)", "恢复窗口模式", "---"};
    expected.insert(expected.end(), common.begin(), common.end());
    EXPECT_EQ(describe(state), expected);
}

TEST(MoreMenuModel, OpacityItemsRunFromFullToTenPercentAndCheckOnlyWithinAHundredth) {
    const auto checked = [](double opacity) {
        Lines lines;
        for (const auto& item : opacityMenuItems(opacity)) {
            lines.push_back(item.title + (item.checked ? "*" : ""));
            EXPECT_EQ(std::to_string(item.tag) + "%", item.title);
        }
        return lines;
    };
    EXPECT_EQ(checked(0.305),
              (Lines{"100%", "90%", "80%", "70%", "60%", "50%", "40%", "30%*", "20%", "10%"}));
    EXPECT_EQ(checked(1.0).front(), "100%*");
    EXPECT_EQ(checked(0.1).back(), "10%*");
    // Slider steps between the items check nothing.
    for (const double between : {0.35, 0.05, 0.32, std::nan("")}) {
        const auto lines = checked(between);
        EXPECT_EQ(std::ranges::count_if(lines, [](const auto& l) { return l.ends_with('*'); }), 0)
            << between;
    }
}

}  // namespace
}  // namespace velumo
