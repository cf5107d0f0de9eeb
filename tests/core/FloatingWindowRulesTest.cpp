#include <gtest/gtest.h>

#include "browser/FloatingWindowRules.h"

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

}  // namespace
}  // namespace velumo
