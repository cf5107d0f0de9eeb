#include <gtest/gtest.h>

#include "browser/FloatingWindowRules.h"
#include "browser/PagePrompts.h"

namespace velumo {
namespace {

namespace rules = FloatingWindowRules;

TEST(FloatingWindowToolbar, FoldsBelowTheBarAndUnfoldsAtTheTopCentre) {
    const auto window = BrowserWindowMode::window;
    // Folded: only the strip around the handle opens it.
    EXPECT_EQ(rules::toolbarCollapsedAfterPointerMove(true, window, true, {380, 10}, 760), false);
    EXPECT_EQ(rules::toolbarCollapsedAfterPointerMove(true, window, true, {344, 0}, 760), false);
    EXPECT_EQ(rules::toolbarCollapsedAfterPointerMove(true, window, true, {343, 0}, 760),
              std::nullopt);
    EXPECT_EQ(rules::toolbarCollapsedAfterPointerMove(true, window, true, {380, 11}, 760),
              std::nullopt);
    // Open: it stays open over the bar and folds once the pointer is below it.
    EXPECT_EQ(rules::toolbarCollapsedAfterPointerMove(true, window, false, {10, 42}, 760),
              std::nullopt);
    EXPECT_EQ(rules::toolbarCollapsedAfterPointerMove(true, window, false, {10, 43}, 760), true);
}

TEST(FloatingWindowToolbar, NeverFoldsInAdvertisementModeOrWithoutTheSetting) {
    EXPECT_EQ(rules::toolbarCollapsedAfterPointerMove(true, BrowserWindowMode::advertisement, false,
                                                      {10, 300}, 480),
              std::nullopt);
    EXPECT_EQ(rules::toolbarCollapsedAfterPointerMove(false, BrowserWindowMode::window, false,
                                                      {10, 300}, 760),
              std::nullopt);
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
