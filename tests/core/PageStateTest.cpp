#include <limits>

#include <gtest/gtest.h>

#include "browser/BrowserIdentity.h"
#include "browser/PageState.h"

namespace velumo {
namespace {

TEST(PageStateTitle, StartsWithTheHostOrTheWholeAddress) {
    EXPECT_EQ(PageState("https://news.example.com/a?b").displayTitle(), "news.example.com");
    EXPECT_EQ(PageState("about:blank").displayTitle(), "about:blank");
}

TEST(PageStateTitle, CommitTakesAReportedTitleAsItIsButFinishTrimsAndFallsBack) {
    PageState page("https://start.example/");

    page.commit("https://next.example/p", "  ");
    EXPECT_EQ(page.currentURL(), "https://next.example/p");
    EXPECT_EQ(page.displayTitle(), "  ");
    page.commit(std::nullopt, std::nullopt);
    EXPECT_EQ(page.currentURL(), "https://next.example/p");
    EXPECT_EQ(page.displayTitle(), "next.example");

    // Each answers whether the page named itself (its visit waits for a name).
    EXPECT_TRUE(page.finish("https://final.example/", "\n\t 新闻\u3000 \n"));
    EXPECT_EQ(page.displayTitle(), "新闻");
    EXPECT_FALSE(page.finish(std::nullopt, " \u3000\u0085\r\n"));
    EXPECT_EQ(page.displayTitle(), "final.example");
    EXPECT_FALSE(page.finish("data:text/html,x", ""));
    EXPECT_EQ(page.displayTitle(), "data:text/html,x");

    EXPECT_TRUE(page.titleChanged("  Inner  Spaces Stay "));
    EXPECT_EQ(page.displayTitle(), "Inner  Spaces Stay");
    EXPECT_FALSE(page.titleChanged(std::nullopt));
    EXPECT_EQ(page.displayTitle(), "data:text/html,x");
    EXPECT_EQ(page.initialURL(), "https://start.example/");
}

TEST(PageStateZoom, FitIsAppliedAsANewZoomUntilTheUserZooms) {
    PageState page("https://example.com/");
    EXPECT_EQ(page.fit(760, 1520), 0.5);
    EXPECT_EQ(page.pageZoom(), 0.5);
    // Measured at 50 %, a page that fits gets 100 %, not 50 % of anything.
    EXPECT_EQ(page.fit(1520, 1520), 1.0);
    EXPECT_EQ(page.fit(760, 3800), 0.3);
    EXPECT_EQ(page.fit(760, 100), 1.0);
    EXPECT_EQ(page.fit(0, 100), std::nullopt);
    EXPECT_EQ(page.fit(760, -1), std::nullopt);
    EXPECT_EQ(page.pageZoom(), 1.0);
    EXPECT_EQ(page.fit(std::numeric_limits<double>::infinity(), 10), 1.0);

    EXPECT_EQ(page.setManualZoom(1.24), 1.2);
    EXPECT_TRUE(page.hasManualPageZoom());
    EXPECT_EQ(page.fit(760, 1520), std::nullopt);
    EXPECT_EQ(page.pageZoom(), 1.2);
    EXPECT_EQ(page.setManualZoom(std::numeric_limits<double>::quiet_NaN()), 1.0);
    EXPECT_EQ(page.setManualZoom(9), 3.0);
}

TEST(PageStateIdentity, StartsDesktopAndReportsOnlyRealChanges) {
    PageState page("https://example.com/");
    EXPECT_EQ(page.identity(), BrowserIdentityMode::desktop);
    EXPECT_FALSE(page.setIdentity(BrowserIdentityMode::desktop));
    EXPECT_TRUE(page.setIdentity(BrowserIdentityMode::mobile));
    EXPECT_FALSE(page.setIdentity(BrowserIdentityMode::mobile));
    EXPECT_EQ(BrowserIdentity::userAgent(page.identity()), BrowserIdentity::mobileUserAgent);
    EXPECT_TRUE(page.setIdentity(BrowserIdentityMode::desktop));
    EXPECT_EQ(BrowserIdentity::userAgent(page.identity()), BrowserIdentity::desktopUserAgent);
}

}  // namespace
}  // namespace velumo
