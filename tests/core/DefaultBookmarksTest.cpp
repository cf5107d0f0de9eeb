#include <algorithm>
#include <set>
#include <string>

#include <gtest/gtest.h>

#include "data/AppDataSanitizer.h"
#include "data/AppDataStore.h"
#include "data/DefaultBookmarks.h"

namespace velumo {
namespace {

// Counts up from 1000, so every read of the clock is told apart.
AppDataStore::Clock countingClock() {
    return [next = std::uint64_t{1000}]() mutable { return next++; };
}

Bookmark bookmark(std::string id, std::string url, std::uint32_t position,
                  std::optional<std::string> category = std::nullopt) {
    return {std::move(id), std::move(url), "T", std::nullopt, 1, std::move(category), position};
}

TEST(DefaultBookmarks, EmptyDocumentGetsTwentyOneDistinctSitesInTableOrder) {
    AppDataSnapshot document;
    seedDefaultBookmarks(document, countingClock());
    EXPECT_EQ(document.defaultBookmarksSeedVersion, 1);
    ASSERT_EQ(document.bookmarks.size(), 21U);
    std::set<std::string> ids;
    for (std::size_t i = 0; i < document.bookmarks.size(); ++i) {
        const auto& seeded = document.bookmarks[i];
        const auto& site = defaultBookmarks()[i];
        // Already in the form the checks return, so nothing is rewritten on a later read.
        EXPECT_EQ(seeded.url, site.url);
        EXPECT_EQ(AppDataSanitizer::webURL(site.url), site.url);
        EXPECT_TRUE(site.url.starts_with("https://")) << site.url;
        EXPECT_EQ(seeded.title, site.title);
        EXPECT_EQ(AppDataSanitizer::text(site.title, 512), site.title);
        EXPECT_EQ(seeded.position, i);
        EXPECT_EQ(seeded.createdAt, 1000U);
        EXPECT_TRUE(AppDataSanitizer::validID(seeded.id) && ids.insert(seeded.id).second);
    }
    EXPECT_EQ(document.bookmarks.front().title, "抖音");
    EXPECT_EQ(document.bookmarks[7].url, "https://poki.com/zh/");
    EXPECT_EQ(document.bookmarks[7].faviconURL, "https://poki.com/favicon.ico");
    EXPECT_EQ(document.bookmarks.back().title, "文件传输助手");
}

TEST(DefaultBookmarks, SitesFollowTheUncategorizedBookmarksUnlessAlreadyThere) {
    AppDataSnapshot document;
    document.bookmarkCategories = {BookmarkCategory{"work", "Work", 0, 1}};
    document.bookmarks = {
        bookmark("zhihu", "https://WWW.ZHIHU.COM:443/", 1),
        bookmark("filed", "https://filed.example/", 0, "work"),
        bookmark("b", "https://b.example/", 0),
    };
    seedDefaultBookmarks(document, countingClock());

    ASSERT_EQ(document.bookmarks.size(), 23U);
    EXPECT_EQ(std::ranges::count(document.bookmarks, std::string("知乎"), &Bookmark::title), 0);
    EXPECT_EQ(document.bookmarks[3].title, "抖音");
    EXPECT_EQ(document.bookmarks[3].position, 2U);
    EXPECT_EQ(document.bookmarks.back().position, 21U);
}

TEST(DefaultBookmarks, OnlyADocumentThatWasNeverSeededIsSeeded) {
    for (const std::int64_t version : {1, 7, -1}) {
        AppDataSnapshot document;
        document.defaultBookmarksSeedVersion = version;
        seedDefaultBookmarks(document, countingClock());
        EXPECT_EQ(document.bookmarks.size(), version < 0 ? 21U : 0U);
        EXPECT_EQ(document.defaultBookmarksSeedVersion, version < 0 ? 1 : version);
    }
}

}  // namespace
}  // namespace velumo
