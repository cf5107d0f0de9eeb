#include <algorithm>
#include <string>

#include <gtest/gtest.h>

#include "DocumentInvariants.h"
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
    for (std::size_t i = 0; i < document.bookmarks.size(); ++i) {
        EXPECT_EQ(document.bookmarks[i].url, defaultBookmarks()[i].url);
        EXPECT_EQ(document.bookmarks[i].title, defaultBookmarks()[i].title);
        EXPECT_TRUE(document.bookmarks[i].url.starts_with("https://"));
    }
    // Addresses already in stored form, distinct sites, fresh ids, dense positions.
    EXPECT_TRUE(DocumentInvariants::violations(document).empty());
    EXPECT_EQ(document.bookmarks[7].faviconURL, "https://poki.com/favicon.ico");
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
