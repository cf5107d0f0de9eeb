#include <set>
#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "data/AppDataSanitizer.h"
#include "data/AppDataStore.h"
#include "data/DefaultBookmarks.h"
#include "data/Url.h"

namespace velumo {
namespace {

using ::testing::ElementsAreArray;

// Counts up from 1000, so every read of the clock is told apart.
AppDataStore::Clock countingClock() {
    return [next = std::uint64_t{1000}]() mutable { return next++; };
}

Bookmark bookmark(std::string id, std::string url, std::uint32_t position,
                  std::optional<std::string> category = std::nullopt) {
    Bookmark b;
    b.id = id;
    b.url = std::move(url);
    b.title = std::move(id);
    b.position = position;
    b.categoryID = std::move(category);
    return b;
}

TEST(DefaultBookmarks, TableHoldsTwentyOneDistinctHttpsHomePages) {
    const auto table = defaultBookmarks();
    ASSERT_EQ(table.size(), 21U);
    std::set<std::string> keys;
    for (const auto& site : table) {
        SCOPED_TRACE(site.title);
        // Already in the form the address check returns, so nothing is lost or
        // rewritten when it is seeded.
        EXPECT_EQ(AppDataSanitizer::webURL(site.url), site.url);
        EXPECT_EQ(AppDataSanitizer::text(site.title, 512), site.title);
        const auto parts = Url::parse(site.url);
        ASSERT_TRUE(parts);
        EXPECT_EQ(parts->scheme, "https");
        EXPECT_EQ(parts->path, site.title == "宝玩" ? "/zh/" : "/");
        EXPECT_FALSE(parts->port || parts->query || parts->fragment || parts->userInfo);
        keys.insert(AppDataStore::normalizedURLKey(site.url).value());
    }
    EXPECT_EQ(keys.size(), 21U);
    EXPECT_EQ(table.front().title, "抖音");
    EXPECT_EQ(table[7].title, "宝玩");
    EXPECT_EQ(table[7].url, "https://poki.com/zh/");
    EXPECT_EQ(table.back().title, "文件传输助手");
}

TEST(DefaultBookmarks, EmptyDocumentGetsEverySiteInTableOrder) {
    AppDataSnapshot document;
    seedDefaultBookmarks(document, countingClock());

    EXPECT_EQ(document.defaultBookmarksSeedVersion, 1);
    ASSERT_EQ(document.bookmarks.size(), 21U);
    std::vector<std::string> titles;
    std::set<std::string> ids;
    for (std::size_t i = 0; i < document.bookmarks.size(); ++i) {
        const auto& seeded = document.bookmarks[i];
        SCOPED_TRACE(seeded.title);
        titles.emplace_back(seeded.title);
        ids.insert(seeded.id);
        EXPECT_EQ(seeded.url, defaultBookmarks()[i].url);
        EXPECT_EQ(seeded.position, i);
        EXPECT_EQ(seeded.createdAt, 1000U);
        EXPECT_FALSE(seeded.categoryID);
        EXPECT_TRUE(AppDataSanitizer::validID(seeded.id));
        EXPECT_EQ(seeded.id.substr(0, 2), "b-");
        auto root = Url::parse(seeded.url).value();
        root.path = "/favicon.ico";
        EXPECT_EQ(seeded.faviconURL, Url::assemble(root));
    }
    std::vector<std::string> expected;
    for (const auto& site : defaultBookmarks()) {
        expected.emplace_back(site.title);
    }
    EXPECT_THAT(titles, ElementsAreArray(expected));
    EXPECT_EQ(ids.size(), 21U);
    EXPECT_EQ(document.bookmarks[7].faviconURL, "https://poki.com/favicon.ico");
    EXPECT_TRUE(document.bookmarkCategories.empty());
}

TEST(DefaultBookmarks, SitesBookmarkedUnderAnotherSpellingAreNotAddedAgain) {
    AppDataSnapshot document;
    const auto mine = bookmark("mine", "https://WWW.ZHIHU.COM:443/", 0);
    document.bookmarks = {mine};
    seedDefaultBookmarks(document, countingClock());

    ASSERT_EQ(document.bookmarks.size(), 21U);
    EXPECT_EQ(document.bookmarks.front(), mine);
    EXPECT_EQ(std::ranges::count(document.bookmarks, std::string("知乎"), &Bookmark::title), 0);
}

TEST(DefaultBookmarks, SeededSitesFollowTheUncategorizedBookmarks) {
    AppDataSnapshot document;
    document.bookmarkCategories = {BookmarkCategory{"work", "Work", 0, 1}};
    document.bookmarks = {
        bookmark("a", "https://a.example/", 1),
        bookmark("filed", "https://filed.example/", 0, "work"),
        bookmark("b", "https://b.example/", 0),
    };
    seedDefaultBookmarks(document, countingClock());

    ASSERT_EQ(document.bookmarks.size(), 24U);
    EXPECT_EQ(document.bookmarks[2].id, "b");
    EXPECT_EQ(document.bookmarks[3].title, "抖音");
    EXPECT_EQ(document.bookmarks[3].position, 2U);
    EXPECT_EQ(document.bookmarks.back().position, 22U);
}

TEST(DefaultBookmarks, OnlyADocumentThatWasNeverSeededIsSeeded) {
    for (const std::int64_t version : {1, 7}) {
        AppDataSnapshot document;
        document.defaultBookmarksSeedVersion = version;
        seedDefaultBookmarks(document, countingClock());
        EXPECT_TRUE(document.bookmarks.empty());
        EXPECT_EQ(document.defaultBookmarksSeedVersion, version);
    }
    AppDataSnapshot negative;
    negative.defaultBookmarksSeedVersion = -1;
    seedDefaultBookmarks(negative, countingClock());
    EXPECT_EQ(negative.bookmarks.size(), 21U);
    EXPECT_EQ(negative.defaultBookmarksSeedVersion, 1);
}

}  // namespace
}  // namespace velumo
