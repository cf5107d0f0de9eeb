#include <string>

#include <gtest/gtest.h>

#include "browser/SiteMemory.h"

namespace velumo {
namespace {

std::string address(int site) {
    return "https://site" + std::to_string(site) + ".example/page";
}

TEST(SiteMemory, ASiteIsItsHostInLowerCaseAndOnlyWebAddressesHaveOne) {
    EXPECT_EQ(SiteMemory::siteOf("https://Docs.Example.COM:8443/a?b#c"), "docs.example.com");
    EXPECT_EQ(SiteMemory::siteOf("http://127.0.0.1:8080/"), "127.0.0.1");
    EXPECT_EQ(SiteMemory::siteOf("http://[::1]/x"), "[::1]");
    for (const char* none : {"file:///etc/passwd", "about:blank", "data:text/html,x", "", "x"}) {
        EXPECT_EQ(SiteMemory::siteOf(none), std::nullopt) << none;
    }
}

TEST(SiteMemory, ChoicesAddUpPerSiteOnTheWindowsStepsAndAreForgottenTogether) {
    SiteMemory memory;
    EXPECT_TRUE(memory.remember("https://a.example/one", {.zoom = 1.5}));
    EXPECT_TRUE(
        memory.remember("https://A.example/two", {.identity = BrowserIdentityMode::mobile}));
    EXPECT_TRUE(memory.remember("https://a.example/", {.opacity = 0.42}));
    EXPECT_EQ(memory.recall("https://a.example/elsewhere"),
              (SitePreferences{1.5, BrowserIdentityMode::mobile, 0.4}));
    EXPECT_FALSE(memory.remembers("https://b.example/"));
    EXPECT_FALSE(memory.remember("file:///tmp/x", {.zoom = 2}));
    EXPECT_FALSE(memory.remember("https://b.example/", {}));
    EXPECT_TRUE(memory.remember("https://c.example/", {.zoom = 99}));
    EXPECT_EQ(memory.recall("https://c.example/")->zoom, 3.0);

    EXPECT_TRUE(memory.forget("https://a.example/x"));
    EXPECT_FALSE(memory.remembers("https://a.example/"));
    EXPECT_FALSE(memory.forget("https://a.example/x"));
}

TEST(SiteMemory, KeepsTheFiveHundredMostRecentlyUsedSites) {
    SiteMemory memory;
    for (int site = 0; site < 500; ++site) {
        memory.remember(address(site), {.zoom = 1.2});
    }
    // Opening the oldest site makes it the most recent; the next new site
    // pushes out the one after it.
    ASSERT_TRUE(memory.recall(address(0)));
    memory.remember(address(500), {.zoom = 1.2});
    EXPECT_EQ(memory.sites().size(), SiteMemory::siteLimit);
    EXPECT_TRUE(memory.remembers(address(0)));
    EXPECT_FALSE(memory.remembers(address(1)));
    EXPECT_EQ(memory.sites().front().host, "site500.example");
    EXPECT_EQ(memory.sites().back().host, "site2.example");
}

TEST(SiteMemory, StoredRecordsKeepTheirOrderWithoutBadOrRepeatedSites) {
    std::vector<RememberedSite> stored{
        {"b.example", {.zoom = 2.0}},
        {"B.EXAMPLE", {.zoom = 1.1}},
        {"b.example", {.zoom = 0.5}},
        {"a.example/path", {.zoom = 1.1}},
        {"", {.zoom = 1.1}},
        {"c.example", {}},
        {"d.example", {.opacity = -4}},
    };
    for (int site = 0; site < 600; ++site) {
        stored.push_back({"site" + std::to_string(site) + ".example", {.opacity = 0.5}});
    }
    const SiteMemory memory(stored);
    ASSERT_EQ(memory.sites().size(), SiteMemory::siteLimit);
    EXPECT_EQ(memory.sites()[0], (RememberedSite{"b.example", {.zoom = 2.0}}));
    EXPECT_EQ(memory.sites()[1], (RememberedSite{"d.example", {.opacity = 0.1}}));
    EXPECT_EQ(memory.sites()[2].host, "site0.example");
}

}  // namespace
}  // namespace velumo
