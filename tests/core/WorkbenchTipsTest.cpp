#include <string>

#include <gtest/gtest.h>

#include "workbench/TipCarousel.h"
#include "workbench/WorkbenchTips.h"

namespace velumo {
namespace {

TEST(WorkbenchTips, ShowTheShortcutsAndFoldingAsSet) {
    AppSettings settings;
    settings.previousWindowShortcut = "Control+[";
    settings.nextWindowShortcut = "Control+]";
    auto tips = WorkbenchTips::tips(settings);
    EXPECT_EQ(tips[4].detail, "上一个：Control+[\n下一个：Control+]");
    EXPECT_EQ(tips[6].detail, "默认关闭；开启后只保留窗口顶部的小横条。");

    settings.autoHideToolbar = true;
    tips = WorkbenchTips::tips(settings);
    EXPECT_EQ(tips[6].detail, "当前已开启；鼠标移到窗口顶部小横条时展开。");
}

TEST(TipCarousel, WrapsBothWaysAndStaysOnTheFirstBeforeItsFirstRebuild) {
    const AppSettings settings;
    TipCarousel carousel;
    carousel.showPrevious();
    carousel.showNext();
    carousel.showNext();
    auto card = carousel.rebuild(settings);
    EXPECT_EQ(card.pageLabel, "1 / 7");
    EXPECT_EQ(card.tip.title, "离开即隐藏");

    carousel.showPrevious();
    card = carousel.rebuild(settings);
    EXPECT_EQ(card.pageLabel, "7 / 7");
    EXPECT_EQ(card.tip.title, "自动隐藏控制栏");

    carousel.showNext();
    EXPECT_EQ(carousel.rebuild(settings).pageLabel, "1 / 7");
    for (int i = 0; i < 9; ++i) {
        carousel.showNext();
    }
    AppSettings changed;
    changed.shortcut = "Shift+B";
    card = carousel.rebuild(changed);
    EXPECT_EQ(card.pageLabel, "3 / 7");
    EXPECT_EQ(card.tip.detail, "Shift+B");
}

}  // namespace
}  // namespace velumo
