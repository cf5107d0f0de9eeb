#include <gtest/gtest.h>

#include "browser/FloatingWindowRules.h"
#include "browser/PagePrompts.h"

namespace velumo {
namespace {

namespace rules = FloatingWindowRules;

TEST(FloatingWindowToolbar, OnlyAWindowModeBarThatFoldsAwayChangesAndOnlyInItsZone) {
    using enum BrowserWindowMode;
    const auto after = [](bool autoHide, BrowserWindowMode mode, bool collapsed, Point pointer) {
        return rules::toolbarCollapsedAfterPointerMove(autoHide, mode, collapsed, pointer, 760);
    };
    // Folded, it opens only at the handle; open, it folds only below the bar.
    EXPECT_EQ(after(true, window, true, {380, 10}), false);
    EXPECT_EQ(after(true, window, true, {380, 50}), std::nullopt);
    EXPECT_EQ(after(true, window, false, {380, 10}), std::nullopt);
    EXPECT_EQ(after(true, window, false, {10, 43}), true);
    EXPECT_EQ(after(true, advertisement, false, {10, 300}), std::nullopt);
    EXPECT_EQ(after(false, window, false, {10, 300}), std::nullopt);
}

TEST(PagePrompts, QuestionsNameTheSiteAndTheCrashPageEscapesTheAddress) {
    EXPECT_EQ(PagePrompts::permissionQuestion(PermissionKind::cameraAndMicrophone, "meet.example"),
              "“meet.example”想要使用你的摄像头和麦克风。");
    EXPECT_EQ(PagePrompts::permissionQuestion(PermissionKind::location, "map.example"),
              "“map.example”想要获取你的位置。");

    const std::string page =
        PagePrompts::processEndedPage("https://x.example/?a=1&b=\"><script>alert(1)</script>");
    EXPECT_NE(page.find("href=\"https://x.example/?a=1&amp;b=&quot;&gt;&lt;script&gt;"),
              std::string::npos);
    EXPECT_EQ(page.find("<script>"), std::string::npos);
    EXPECT_NE(page.find("重新载入"), std::string::npos);
}

}  // namespace
}  // namespace velumo
