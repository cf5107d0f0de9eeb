#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "FakeWindow.h"
#include "shell/StatusMenuRules.h"

namespace velumo {
namespace {

std::vector<std::shared_ptr<FloatingWindow>> windows(std::vector<bool> visibility) {
    std::vector<std::shared_ptr<FloatingWindow>> list;
    for (const bool visible : visibility) {
        list.push_back(std::make_shared<FakeWindow>(visible));
    }
    return list;
}

std::string repeated(const std::string& piece, int times) {
    std::string text;
    while (times-- > 0) {
        text += piece;
    }
    return text;
}

TEST(StatusMenuRules, EntryTitlesAreCutFrom37Characters) {
    using StatusMenuRules::windowEntryTitle;
    const auto window = BrowserWindowMode::window;
    // The prefix "[窗口] " is 5 characters.
    EXPECT_EQ(windowEntryTitle(window, repeated("页", 31)), "[窗口] " + repeated("页", 31));
    EXPECT_EQ(windowEntryTitle(window, repeated("页", 32)), "[窗口] " + repeated("页", 28) + "…");
    EXPECT_EQ(windowEntryTitle(BrowserWindowMode::advertisement, repeated("x", 35)),
              "[广告] " + repeated("x", 28) + "…");

    // Characters are what the reader sees, and a cut never splits one.
    const std::string family = "\U0001F468\u200D\U0001F469\u200D\U0001F467";
    EXPECT_EQ(windowEntryTitle(window, repeated(family, 40)),
              "[窗口] " + repeated(family, 28) + "…");
    // Broken UTF-8 counts byte by byte instead of being cut mid-sequence.
    EXPECT_EQ(windowEntryTitle(window, repeated("\xE9", 40)),
              "[窗口] " + repeated("\xE9", 28) + "…");
}

TEST(StatusMenuRules, TooltipAndIconFollowTheVisibleWindows) {
    using enum MenuBarIconStyle;
    using StatusMenuRules::statusIconSymbol;
    const auto none = windows({});
    const auto allHidden = windows({false, false});
    const auto oneShown = windows({false, true});
    EXPECT_EQ(StatusMenuRules::menuBarStatusText(none), "Velumo · 暂无浮窗");
    EXPECT_EQ(StatusMenuRules::menuBarStatusText(windows({true, false, true})),
              "Velumo · 2/3 个窗口正在显示");

    for (const auto style : {eye, window, pin}) {
        EXPECT_EQ(statusIconSymbol(style, allHidden), "eye.slash.circle.fill");
    }
    EXPECT_EQ(statusIconSymbol(eye, none), "eye.circle");
    EXPECT_EQ(statusIconSymbol(eye, oneShown), "eye.circle.fill");
    EXPECT_EQ(statusIconSymbol(window, none), "macwindow");
    EXPECT_EQ(statusIconSymbol(pin, oneShown), "pin.circle");
    for (const auto& list : {none, allHidden, oneShown}) {
        EXPECT_EQ(statusIconSymbol(hidden, list), std::nullopt);
    }
}

}  // namespace
}  // namespace velumo
