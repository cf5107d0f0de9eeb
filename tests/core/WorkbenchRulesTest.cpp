#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "workbench/BookmarkGridSchedule.h"
#include "workbench/WorkbenchRules.h"

namespace velumo {
namespace {

namespace rules = WorkbenchRules;

Bookmark bookmark(int n, const std::string& url = "") {
    Bookmark made;
    made.id = "b-" + std::to_string(n);
    made.url = url.empty() ? "https://site" + std::to_string(n) + ".example/page?x=1" : url;
    made.title = "站点 " + std::to_string(n);
    made.faviconURL = "https://site" + std::to_string(n) + ".example/favicon.ico";
    return made;
}

std::vector<Bookmark> bookmarks(int count) {
    std::vector<Bookmark> list;
    for (int i = 0; i < count; ++i) {
        list.push_back(bookmark(i));
    }
    return list;
}

TEST(WorkbenchGrid, SlicesThreeToARowAndPadsTheLastRowWithEmptyCells) {
    const struct {
        int count;
        std::size_t rows;
        std::size_t tilesInLastRow;
    } cases[] = {{0, 0, 0}, {1, 1, 1}, {3, 1, 3}, {4, 2, 1}, {5, 2, 2}, {21, 7, 3}};
    for (const auto& c : cases) {
        const auto list = bookmarks(c.count);
        ASSERT_EQ(rules::gridRowCount(list.size()), c.rows) << c.count;
        if (c.rows == 0) {
            continue;
        }
        const auto last = rules::gridRow(list, c.rows - 1);
        for (std::size_t column = 0; column < rules::gridColumns; ++column) {
            EXPECT_EQ(last[column].has_value(), column < c.tilesInLastRow) << c.count << column;
        }
        // Stored order, left to right and top to bottom.
        EXPECT_EQ(last[0]->id, list[(c.rows - 1) * 3].id);
    }
}

TEST(WorkbenchGrid, OnlyRowsMeetingTheVisibleBandAreWanted) {
    using Range = rules::RowRange;
    // Rows are 44 high, 6 apart: row n spans [50n, 50n + 44).
    EXPECT_EQ(rules::rowsMeeting(0, 44, 10), (Range{0, 1}));
    EXPECT_EQ(rules::rowsMeeting(0, 50.5, 10), (Range{0, 2}));
    // A band ending where a row starts does not meet that row.
    EXPECT_EQ(rules::rowsMeeting(0, 50, 10), (Range{0, 1}));
    EXPECT_EQ(rules::rowsMeeting(120, 300, 10), (Range{2, 6}));
    EXPECT_EQ(rules::rowsMeeting(-100, 30, 10), (Range{0, 1}));
    EXPECT_EQ(rules::rowsMeeting(400, 10'000, 10), (Range{8, 10}));
    for (const auto& empty : {rules::rowsMeeting(-200, -10, 10), rules::rowsMeeting(600, 700, 10),
                              rules::rowsMeeting(0, 500, 0), rules::rowsMeeting(30, 30, 10),
                              rules::rowsMeeting(-100, 0, 10)}) {
        EXPECT_EQ(empty.first, empty.end);
    }
    EXPECT_EQ(rules::gridHeight(0), 0);
    EXPECT_EQ(rules::gridHeight(1), 44);
    EXPECT_EQ(rules::gridHeight(334), 334 * 50 - 6);
}

TEST(WorkbenchGrid, TilesShowTheHostOrElseTheWholeAddress) {
    const struct {
        std::string url;
        std::string subtitle;
    } cases[] = {
        {"https://www.bing.com/search?q=velumo", "www.bing.com"},
        {"http://user@127.0.0.1:8080/a", "127.0.0.1"},
        {"not an address", "not an address"},
        {"http:///no-host", "http:///no-host"},
    };
    for (const auto& c : cases) {
        const auto tile = rules::tile(bookmark(1, c.url));
        EXPECT_EQ(tile.subtitle, c.subtitle) << c.url;
        EXPECT_EQ(tile.url, c.url);
        EXPECT_EQ(tile.title, "站点 1");
    }
}

TEST(WorkbenchGrid, OnlyWhatATileShowsOrOpensMakesAListDifferent) {
    const auto shown = bookmarks(4);
    const std::vector<void (*)(std::vector<Bookmark>&)> unseen{
        [](std::vector<Bookmark>& l) { l[1].position = 9; },
        [](std::vector<Bookmark>& l) { l[1].createdAt = 99; },
        [](std::vector<Bookmark>& l) { l[1].categoryID = "c-1"; },
    };
    const std::vector<void (*)(std::vector<Bookmark>&)> seen{
        [](std::vector<Bookmark>& l) { l[1].title = "新标题"; },
        [](std::vector<Bookmark>& l) { l[1].url = "https://other.example/"; },
        [](std::vector<Bookmark>& l) { l[1].faviconURL.reset(); },
        [](std::vector<Bookmark>& l) { l[1].id = "b-other"; },
        [](std::vector<Bookmark>& l) { std::swap(l[0], l[1]); },
        [](std::vector<Bookmark>& l) { l.pop_back(); },
        [](std::vector<Bookmark>& l) { l.push_back(bookmark(7)); },
    };
    for (const auto change : unseen) {
        auto list = shown;
        change(list);
        EXPECT_TRUE(rules::sameGrid(shown, list));
    }
    for (const auto change : seen) {
        auto list = shown;
        change(list);
        EXPECT_FALSE(rules::sameGrid(shown, list));
    }
}

TEST(BookmarkGridSchedule, BuildsOnlyNewListsAndOnlyWhileVisible) {
    BookmarkGridSchedule schedule;
    // The first list is built, even an empty one (its text must appear).
    EXPECT_TRUE(schedule.receive({}, true));
    EXPECT_TRUE(schedule.build().empty());
    EXPECT_FALSE(schedule.receive({}, true));

    EXPECT_TRUE(schedule.receive(bookmarks(2), true));
    EXPECT_EQ(schedule.build().size(), 2U);
    auto moved = bookmarks(2);
    moved[0].position = 5;
    EXPECT_FALSE(schedule.receive(moved, true));
    EXPECT_FALSE(schedule.becameVisible());

    // Hidden, a change waits for the next show; so does one that returns to
    // what the grid shows after a change it never built.
    EXPECT_FALSE(schedule.receive(bookmarks(3), false));
    EXPECT_FALSE(schedule.receive(bookmarks(2), false));
    EXPECT_TRUE(schedule.becameVisible());
    EXPECT_EQ(schedule.build().size(), 2U);
    EXPECT_FALSE(schedule.becameVisible());
}

TEST(WorkbenchActivity, RecentVisitsAreTheFiveNewest) {
    std::vector<HistoryEntry> history;
    EXPECT_TRUE(rules::recentVisits(history).empty());
    for (int i = 0; i < 50; ++i) {
        history.push_back({"h-" + std::to_string(i), "https://a.example/" + std::to_string(i),
                           "访问 " + std::to_string(i), 100U - static_cast<unsigned>(i)});
    }
    const auto recent = rules::recentVisits(history);
    ASSERT_EQ(recent.size(), 5U);
    EXPECT_EQ(recent.front().id, "h-0");
    EXPECT_EQ(recent.back().id, "h-4");
    history.resize(3);
    EXPECT_EQ(rules::recentVisits(history).size(), 3U);
}

TEST(WorkbenchActivity, WindowRowsAndTheThemeButtonOfferTheOpposite) {
    using enum BrowserWindowMode;
    EXPECT_EQ(rules::windowRowTitles(advertisement, true, false),
              (WindowRowTitles{"转窗口", "隐藏", ""}));
    EXPECT_EQ(rules::windowRowTitles(window, false, true),
              (WindowRowTitles{"转广告", "显示", "取消穿透"}));
    EXPECT_EQ(rules::themePreferenceAfterToggle(Appearance::dark), "light");
    EXPECT_EQ(rules::themePreferenceAfterToggle(Appearance::light), "dark");
}

}  // namespace
}  // namespace velumo
