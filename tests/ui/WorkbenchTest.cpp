// The workbench on a real display: opening addresses from the hero card,
// the tips, the bookmark grid, recent visits, the window list, site icons
// from a loopback server and the theme button.
#include <array>
#include <atkmm/object.h>
#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>

#include <gdk/gdkkeysyms.h>
#include <gtkmm/label.h>
#include <gtkmm/scrolledwindow.h>

#include "FakeApplication.h"
#include "FloatingWindowFixture.h"
#include "TestSettingsPortal.h"
#include "WidgetQueries.h"
#include "data/AddressResolver.h"
#include "design/NativeDesignSystem.h"
#include "design/NativeTheme.h"
#include "workbench/SiteButton.h"
#include "workbench/WorkbenchWindowController.h"

namespace velumo::uitest {
namespace {

// A square image of `side` pixels in the file format `type`; noise does not
// compress, so a large one stays large.
std::string imageBytes(int side, bool noise = false, const char* type = "png") {
    GdkPixbuf* pixbuf = gdk_pixbuf_new(GDK_COLORSPACE_RGB, FALSE, 8, side, side);
    gdk_pixbuf_fill(pixbuf, 0x3d7be0ff);
    if (noise) {
        guchar* pixels = gdk_pixbuf_get_pixels(pixbuf);
        const auto length = static_cast<std::size_t>(gdk_pixbuf_get_rowstride(pixbuf)) *
                            static_cast<std::size_t>(side);
        for (std::size_t i = 0; i < length; ++i) {
            pixels[i] = static_cast<guchar>(g_random_int());
        }
    }
    gchar* buffer = nullptr;
    gsize size = 0;
    gdk_pixbuf_save_to_buffer(pixbuf, &buffer, &size, type, nullptr, nullptr);
    std::string bytes(buffer, size);
    g_free(buffer);
    g_object_unref(pixbuf);
    return bytes;
}

// The icons kept in `folder`.
std::size_t keptIcons(const std::filesystem::path& folder) {
    std::error_code error;
    return static_cast<std::size_t>(std::distance(
        std::filesystem::directory_iterator(folder, error), std::filesystem::directory_iterator()));
}

// Makes every kept icon look last shown a month ago.
void ageKeptIcons(const std::filesystem::path& folder) {
    const std::array<timespec, 2> monthAgo{timespec{std::time(nullptr) - (31 * 24 * 3600), 0},
                                           timespec{0, UTIME_OMIT}};
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        ASSERT_EQ(::utimensat(AT_FDCWD, entry.path().c_str(), monthAgo.data(), 0), 0);
    }
}

template <typename T>
std::vector<T*> all(Gtk::Widget& root) {
    std::vector<T*> found;
    for (auto* widget : descendants(root)) {
        if (auto* match = dynamic_cast<T*>(widget)) {
            found.push_back(match);
        }
    }
    return found;
}

// Scrolls the workbench's page until `widget` is in view and laid out, so a
// click can reach it.
bool reveal(Gtk::Widget& widget) {
    if (!runUntil([&] { return widget.get_allocated_height() > 1; })) {
        return false;
    }
    auto* scroller = dynamic_cast<Gtk::ScrolledWindow*>(
        Glib::wrap(gtk_widget_get_ancestor(widget.gobj(), GTK_TYPE_SCROLLED_WINDOW)));
    int x = 0;
    int y = 0;
    widget.translate_coordinates(*scroller->get_child(), 0, 0, x, y);
    scroller->get_vadjustment()->clamp_page(y, y + widget.get_allocated_height());
    drainMainLoop();
    return true;
}

std::vector<std::string> buttonNames(Gtk::Widget& root) {
    std::vector<std::string> names;
    for (auto* button : all<Gtk::Button>(root)) {
        names.push_back(button->get_accessible()->get_name());
    }
    return names;
}

// The workbench window over the fixture's store and window manager, shown,
// with the default bookmarks taken away.
class Workbench : public FloatingWindowTest {
  protected:
    Workbench()
        : favicons_(folder_ / "favicons", FaviconLoader::iconSide),
          workbench_({store_, manager_, launcher_, favicons_, [this] { ++settingsShown_; }}) {
        manager_.setApplicationPort(&application_);
        for (const auto& bookmark : store_.snapshot().bookmarks) {
            EXPECT_TRUE(store_.removeBookmark(bookmark.id).has_value());
        }
    }

    void SetUp() override {
        workbench_.showWindow();
        ASSERT_TRUE(runUntil([&] { return workbench_.window().is_active(); }));
    }

    WorkbenchViewController& view() { return workbench_.workbenchViewController(); }

    void addBookmarks(std::initializer_list<std::pair<std::string, std::string>> bookmarks) {
        for (const auto& [title, url] : bookmarks) {
            ASSERT_TRUE(store_.addBookmarkThrowing(url, title).has_value()) << url;
        }
    }

    std::vector<Gtk::Widget*> gridRows() { return view().bookmarkGrid().get_children(); }
    std::vector<SiteButton*> tiles() { return all<SiteButton>(view().bookmarkGrid()); }

    FakeWindow::Log alerts_;
    FakeApplication application_{alerts_};
    FaviconLoader favicons_;
    WorkbenchWindowController workbench_;
    int settingsShown_ = 0;
};

TEST_F(Workbench, ReturnOpensTheAddressInTheChosenModeAndAlwaysClearsTheField) {
    auto& field = view().addressField();
    field.grab_focus();
    tapKey(GDK_KEY_Return);
    ASSERT_TRUE(runUntil([&] { return manager_.windows().size() == 1; }));
    EXPECT_EQ(manager_.windows()[0]->currentURL(), homeURL(SearchEngine::bing));
    EXPECT_EQ(manager_.windows()[0]->mode(), BrowserWindowMode::window);
    EXPECT_EQ(field.get_text(), "");

    // The floating window lies over the hero card; it goes first.
    manager_.windows()[0]->closePermanently();
    ASSERT_TRUE(presentAndWait(workbench_.window()));
    clickOn(firstOf<Gtk::Label>(view().modeControl(),
                                [](Gtk::Label& label) { return label.get_text() == "广告模式"; }));
    ASSERT_TRUE(runUntil(
        [&] { return view().modeControl().selectedMode() == BrowserWindowMode::advertisement; }));
    server_.page("/corner", "<title>角落</title>");
    field.set_text(server_.url("/corner"));
    field.grab_focus();
    tapKey(GDK_KEY_Return);
    ASSERT_TRUE(runUntil([&] { return manager_.windows().size() == 1; }));
    auto corner = std::dynamic_pointer_cast<BrowserWindowController>(manager_.windows()[0]);
    EXPECT_EQ(corner->mode(), BrowserWindowMode::advertisement);
    const Rect workArea = ScreenLayout::ofDisplay(corner->panel()).screens.at(0).workArea;
    EXPECT_TRUE(waitForFrame(*corner, WindowGeometry::advertisementFrame(workArea)));
    EXPECT_EQ(field.get_text(), "");

    while (manager_.windows().size() < BrowserWindowManager::windowLimit) {
        view().open(server_.url("/corner"));
    }
    field.set_text("第六个窗口");
    view().openButton().clicked();
    EXPECT_EQ(alerts_, FakeWindow::Log{"alert:最多同时打开 5 个浮窗|请先关闭一个不再使用的窗口。"});
    EXPECT_EQ(manager_.windows().size(), BrowserWindowManager::windowLimit);
    EXPECT_EQ(field.get_text(), "");
}

TEST_F(Workbench, HeaderButtonsOpenTheWebsiteOutsideAndAskForTheSettings) {
    clickOn(buttonNamed(view().view(), "官网"));
    ASSERT_TRUE(runUntil([&] { return !launcher_.launched.empty(); }));
    EXPECT_EQ(launcher_.launched, std::vector<std::string>{"https://velumo.orvantis.com/"});
    EXPECT_TRUE(manager_.windows().empty());
    clickOn(buttonNamed(view().view(), "设置"));
    EXPECT_TRUE(runUntil([&] { return settingsShown_ == 1; }));
}

TEST_F(Workbench, TipsWrapBothWaysFollowTheSettingsAndMatchTheHeroCardsHeight) {
    const auto tipTexts = [&] { return labelTexts(view().tipContentStack()); };
    const auto sameHeight = [&] {
        return view().tipCard().get_allocated_height() == view().heroCard().get_allocated_height();
    };
    const auto pageIs = [&](const std::string& text) {
        return runUntil([&] { return view().tipPageLabel().get_text() == text; });
    };
    EXPECT_EQ(view().tipPageLabel().get_text(), "1 / 7");
    EXPECT_EQ(view().tipCard().get_allocated_width(), 280);
    EXPECT_TRUE(sameHeight());

    clickOn(buttonNamed(view().view(), "上一个使用提示"));
    ASSERT_TRUE(pageIs("7 / 7"));
    EXPECT_EQ(tipTexts(), (std::vector<std::string>{"自动隐藏控制栏",
                                                    "默认关闭；开启后只保留窗口顶部的小横条。"}));
    AppSettings settings = store_.snapshot().settings;
    settings.autoHideToolbar = true;
    settings.shortcut = "Control+Shift+K";
    ASSERT_TRUE(store_.updateSettings(settings).has_value());
    EXPECT_EQ(tipTexts().at(1), "当前已开启；鼠标移到窗口顶部小横条时展开。");

    clickOn(buttonNamed(view().view(), "下一个使用提示"));
    ASSERT_TRUE(pageIs("1 / 7"));
    view().showNextTip();
    view().showNextTip();
    EXPECT_EQ(view().tipPageLabel().get_text(), "3 / 7");
    EXPECT_EQ(tipTexts(), (std::vector<std::string>{"当前老板键", "Control+Shift+K"}));
    // The longest tip text still leaves both cards equally tall.
    view().showNextTip();
    view().showNextTip();
    EXPECT_TRUE(runUntil(sameHeight));
}

TEST_F(Workbench, GridHasThreeEqualColumnsAndRemovesWithoutAsking) {
    EXPECT_EQ(labelTexts(view().bookmarkGrid()),
              std::vector<std::string>{"暂无收藏，可在悬浮窗的更多菜单中添加"});
    server_.page("/", "<title>本地</title>");
    addBookmarks(
        {{"Bing", "https://www.bing.com/"},
         {"很长很长的书签标题，一直写到单元格放不下为止还要再长一些", "https://long.example/"},
         {"本地", server_.url("/")},
         {"Kimi", "https://www.kimi.com/chat"}});
    ASSERT_TRUE(runUntil([&] { return gridRows().size() == 2; }));
    const auto first = dynamic_cast<Gtk::Box*>(gridRows()[0])->get_children();
    const auto last = dynamic_cast<Gtk::Box*>(gridRows()[1])->get_children();
    ASSERT_EQ(first.size(), 3U);
    ASSERT_EQ(last.size(), 3U);
    EXPECT_EQ(tiles().size(), 4U);
    EXPECT_TRUE(descendants(*last[1]).empty());
    EXPECT_TRUE(descendants(*last[2]).empty());
    ASSERT_TRUE(runUntil([&] { return tiles()[0]->get_allocated_height() == SiteButton::height; }));
    // A width that does not divide by three leaves a pixel to the left cells.
    for (auto* cell : {first[1], first[2], last[0], last[1], last[2]}) {
        EXPECT_NEAR(cell->get_allocated_width(), first[0]->get_allocated_width(), 1);
    }
    EXPECT_EQ(last[1]->get_allocated_width(), last[2]->get_allocated_width());
    // Newest first; the long title is cut short instead of widening its column.
    EXPECT_EQ(labelTexts(*tiles()[0]), (std::vector<std::string>{"Kimi", "www.kimi.com"}));
    EXPECT_EQ(tiles()[0]->get_tooltip_text(), "https://www.kimi.com/chat");

    auto& remove = buttonNamed(view().bookmarkGrid(), "删除 Bing");
    ASSERT_TRUE(reveal(remove));
    clickOn(remove);
    EXPECT_TRUE(runUntil([&] { return tiles().size() == 3 && gridRows().size() == 1; }));
    EXPECT_EQ(store_.snapshot().bookmarks.size(), 3U);
    EXPECT_EQ(buttonNames(view().bookmarkGrid()),
              (std::vector<std::string>{
                  "Kimi", "删除 Kimi", "本地", "删除 本地",
                  "很长很长的书签标题，一直写到单元格放不下为止还要再长一些",
                  "删除 很长很长的书签标题，一直写到单元格放不下为止还要再长一些"}));

    auto& local = buttonNamed(view().bookmarkGrid(), "本地");
    ASSERT_TRUE(reveal(local));
    clickOn(local);
    ASSERT_TRUE(runUntil([&] { return manager_.windows().size() == 1; }));
    EXPECT_EQ(manager_.windows()[0]->currentURL(), server_.url("/"));
}

TEST_F(Workbench, TheGridIsLeftAloneWhenUnchangedAndBuiltOnlyWhileShown) {
    addBookmarks({{"Bing", "https://www.bing.com/"}});
    ASSERT_EQ(tiles().size(), 1U);
    SiteButton* tile = tiles()[0];
    ASSERT_TRUE(store_.recordVisitThrowing("https://www.bing.com/", "Bing").has_value());
    EXPECT_EQ(tiles(), std::vector<SiteButton*>{tile});

    workbench_.window().close();
    ASSERT_TRUE(runUntil([&] { return !workbench_.window().get_visible(); }));
    addBookmarks({{"Kimi", "https://www.kimi.com/"}});
    EXPECT_EQ(tiles(), std::vector<SiteButton*>{tile});
    workbench_.showWindow();
    EXPECT_EQ(tiles().size(), 2U);
    EXPECT_EQ(labelTexts(view().historyStack()), std::vector<std::string>{"Bing"});
}

TEST_F(Workbench, AThousandBookmarksMakeOnlyTheRowsNearTheViewYetTheWholeGridScrolls) {
    std::vector<Bookmark> many;
    for (int i = 0; i < 1000; ++i) {
        Bookmark bookmark;
        bookmark.id = "b-" + std::to_string(i);
        bookmark.url = "https://site" + std::to_string(i) + ".example/";
        bookmark.title = "站点 " + std::to_string(i);
        many.push_back(bookmark);
    }
    view().rebuildBookmarks(many);
    auto& grid = view().bookmarkGrid();
    ASSERT_TRUE(runUntil([&] { return grid.get_allocated_height() == 334 * 50 - 6; }));
    runFor(std::chrono::milliseconds(200));
    EXPECT_LT(gridRows().size(), 60U);
    EXPECT_EQ(labelTexts(*gridRows().front()).front(), "站点 0");

    auto* page = dynamic_cast<Gtk::ScrolledWindow*>(grid.get_ancestor(GTK_TYPE_SCROLLED_WINDOW));
    page->get_vadjustment()->set_value(page->get_vadjustment()->get_upper());
    // The last row, with the last tile, is laid out 333 rows down.
    ASSERT_TRUE(runUntil([&] {
        const auto texts = labelTexts(*gridRows().back());
        int x = 0;
        int y = 0;
        gridRows().back()->translate_coordinates(grid, 0, 0, x, y);
        return !texts.empty() && texts.front() == "站点 999" && y == 333 * 50;
    }));
    EXPECT_LT(gridRows().size(), 60U);
}

TEST_F(Workbench, RecentVisitsShowTheFiveNewestOpenOnAClickAndClearWithoutAsking) {
    EXPECT_EQ(labelTexts(view().historyStack()), std::vector<std::string>{"暂无访问记录"});
    server_.page("/visit", "<title>访问</title>");
    for (int i = 0; i < 50; ++i) {
        ASSERT_TRUE(store_.recordVisitThrowing(server_.url("/visit"), "访问 " + std::to_string(i))
                        .has_value());
    }
    EXPECT_EQ(labelTexts(view().historyStack()),
              (std::vector<std::string>{"访问 49", "访问 48", "访问 47", "访问 46", "访问 45"}));

    auto& visit = buttonNamed(view().historyStack(), "访问 47");
    ASSERT_TRUE(reveal(visit));
    clickOn(visit);
    ASSERT_TRUE(runUntil([&] { return manager_.windows().size() == 1; }));
    EXPECT_EQ(manager_.windows()[0]->currentURL(), server_.url("/visit"));

    buttonNamed(view().view(), "清空").clicked();
    EXPECT_EQ(labelTexts(view().historyStack()), std::vector<std::string>{"暂无访问记录"});
    EXPECT_TRUE(store_.snapshot().history.empty());
}

TEST_F(Workbench, WindowRowsFollowModeVisibilityAndClosing) {
    EXPECT_EQ(labelTexts(view().windowStack()), std::vector<std::string>{"还没有悬浮窗口"});
    server_.page("/a", "<title>第一个窗口</title>");
    server_.page("/b", "<title>第二个窗口</title>");
    auto first = open(server_.url("/a"));
    auto second = open(server_.url("/b"));
    // Rows are rebuilt under the click that changes them, so each step looks
    // its row up anew; a page's title may arrive after its load finished.
    const auto rowOf = [&](const std::string& title) -> Gtk::Widget& {
        Gtk::Label* label = nullptr;
        runUntil([&] {
            for (auto* candidate : all<Gtk::Label>(view().windowStack())) {
                label = candidate->get_text() == title ? candidate : label;
            }
            return label != nullptr;
        });
        if (label == nullptr) {
            throw std::runtime_error("no row for " + title);
        }
        return *label->get_parent();
    };
    EXPECT_EQ(labelTexts(rowOf("第一个窗口")),
              (std::vector<std::string>{"第一个窗口", "转广告", "隐藏"}));
    // An announcement that changes nothing shown leaves the rows alone.
    Gtk::Widget* unchanged = &rowOf("第一个窗口");
    first->announceChange();
    EXPECT_EQ(&rowOf("第一个窗口"), unchanged);

    buttonNamed(rowOf("第一个窗口"), "转广告").clicked();
    EXPECT_EQ(first->mode(), BrowserWindowMode::advertisement);
    buttonNamed(rowOf("第一个窗口"), "转窗口").clicked();
    EXPECT_EQ(first->mode(), BrowserWindowMode::window);

    buttonNamed(rowOf("第二个窗口"), "隐藏").clicked();
    EXPECT_FALSE(second->isVisible());
    EXPECT_EQ(labelTexts(rowOf("第二个窗口")),
              (std::vector<std::string>{"第二个窗口", "转广告", "显示"}));
    buttonNamed(rowOf("第二个窗口"), "显示").clicked();
    EXPECT_TRUE(second->isVisible());
    second->setGhost(true);
    buttonNamed(rowOf("第二个窗口"), "取消穿透").clicked();
    EXPECT_FALSE(second->isGhost());

    buttonNamed(view().view(), "全部隐藏").clicked();
    EXPECT_FALSE(first->isVisible() || second->isVisible());
    buttonNamed(view().view(), "全部显示").clicked();
    EXPECT_TRUE(first->isVisible() && second->isVisible());

    buttonNamed(rowOf("第一个窗口"), "关闭当前窗口").clicked();
    EXPECT_EQ(manager_.windows().size(), 1U);
    buttonNamed(rowOf("第二个窗口"), "关闭当前窗口").clicked();
    EXPECT_EQ(labelTexts(view().windowStack()), std::vector<std::string>{"还没有悬浮窗口"});
}

TEST_F(Workbench, SiteIconsAreFetchedOnceAndKeptForTheNextStart) {
    server_.page("/favicon.ico", imageBytes(32, false, "ico"), "image/x-icon");
    addBookmarks({{"本地", server_.url("/")}});
    ASSERT_TRUE(runUntil([&] { return tiles()[0]->favicon().showsSiteIcon(); }));
    EXPECT_EQ(server_.requestCount("/favicon.ico"), 1U);
    // Tiles built anew show the icon at once.
    addBookmarks({{"本地的另一页", server_.url("/other")}});
    ASSERT_EQ(tiles().size(), 2U);
    EXPECT_TRUE(tiles()[0]->favicon().showsSiteIcon() && tiles()[1]->favicon().showsSiteIcon());

    FaviconLoader nextRun(folder_ / "favicons", FaviconLoader::iconSide);
    Glib::RefPtr<Gdk::Pixbuf> kept;
    EXPECT_FALSE(nextRun.load(server_.url("/favicon.ico"),
                              [&](const Glib::RefPtr<Gdk::Pixbuf>& icon) { kept = icon; }));
    ASSERT_TRUE(runUntil([&] { return static_cast<bool>(kept); }));
    EXPECT_EQ(kept->get_width(), FaviconLoader::iconSide);
    EXPECT_EQ(server_.requestCount("/favicon.ico"), 1U);

    struct stat folder {};
    ASSERT_EQ(stat((folder_ / "favicons").c_str(), &folder), 0);
    EXPECT_EQ(folder.st_mode & 0777U, 0700U);

    // A week later the kept icon still shows at once and is fetched anew behind it.
    for (const auto& entry : std::filesystem::directory_iterator(folder_ / "favicons")) {
        std::filesystem::last_write_time(
            entry.path(),
            std::filesystem::file_time_type::clock::now() - std::chrono::hours(24 * 8));
    }
    FaviconLoader weekLater(folder_ / "favicons", FaviconLoader::iconSide);
    kept.reset();
    weekLater.load(server_.url("/favicon.ico"),
                   [&](const Glib::RefPtr<Gdk::Pixbuf>& icon) { kept = icon; });
    ASSERT_TRUE(runUntil([&] { return static_cast<bool>(kept); }));
    EXPECT_TRUE(runUntil([&] { return server_.requestCount("/favicon.ico") == 2; }));
}

TEST_F(Workbench, AnythingButASmallImageLeavesTheGlobeAndIsNotAskedForAgainAtOnce) {
    TestWebServer errorPage;
    TestWebServer missing;
    TestWebServer huge;
    TestWebServer vector;
    errorPage.page("/favicon.ico", "<title>出错了</title><h1>502</h1>");
    // A real image, only too large.
    huge.page("/favicon.ico", imageBytes(400, true), "image/png");
    ASSERT_GT(imageBytes(400, true).size(), FaviconLoader::maximumBodySize);
    // Small, but drawing it would take a hundred megabytes.
    vector.page("/favicon.ico",
                "<svg xmlns='http://www.w3.org/2000/svg' width='2000' height='2000'>"
                "<filter id='f'><feGaussianBlur stdDeviation='50'/></filter>"
                "<rect width='2000' height='2000' fill='#3d7be0' filter='url(#f)'/></svg>",
                "image/svg+xml");
    addBookmarks({{"错误页", errorPage.url("/")},
                  {"不存在", missing.url("/")},
                  {"巨大", huge.url("/")},
                  {"矢量图", vector.url("/")}});
    ASSERT_TRUE(runUntil([&] {
        return favicons_.pending() == 0 && errorPage.requestCount("/favicon.ico") == 1 &&
               missing.requestCount("/favicon.ico") == 1 &&
               huge.requestCount("/favicon.ico") == 1 && vector.requestCount("/favicon.ico") == 1;
    }));
    for (auto* tile : tiles()) {
        EXPECT_FALSE(tile->favicon().showsSiteIcon());
        EXPECT_EQ(iconNames(*tile), std::vector<std::string>{"velumo-globe-symbolic"});
    }
    addBookmarks({{"再来一个", huge.url("/again")}});
    runFor(std::chrono::milliseconds(200));
    EXPECT_EQ(huge.requestCount("/favicon.ico"), 1U);
    EXPECT_TRUE(!std::filesystem::exists(folder_ / "favicons") ||
                std::filesystem::is_empty(folder_ / "favicons"));
}

TEST_F(Workbench, SlowSitesNeitherHoldBackOtherIconsNorKeepTheirPlacesForEver) {
    // More slow sites than the network library would serve at once.
    std::vector<std::unique_ptr<TestWebServer>> slow(12);
    for (auto& site : slow) {
        site = std::make_unique<TestWebServer>();
        site->trickle("/favicon.ico");
    }
    const auto slowRequests = [&] {
        std::size_t count = 0;
        for (const auto& site : slow) {
            count += site->requestCount("/favicon.ico");
        }
        return count;
    };
    server_.page("/favicon.ico", imageBytes(32), "image/png");
    FaviconLoader loader(folder_ / "slow", FaviconLoader::iconSide,
                         {.places = 2,
                          .patience = std::chrono::milliseconds(200),
                          .deadline = std::chrono::seconds(4)});
    int slowArrived = 0;
    for (const auto& site : slow) {
        loader.load(site->url("/favicon.ico"),
                    [&](const Glib::RefPtr<Gdk::Pixbuf>&) { ++slowArrived; });
    }
    ASSERT_TRUE(runUntil([&] { return slowRequests() >= 2; }));
    std::optional<std::size_t> stillLoading;
    loader.load(server_.url("/favicon.ico"),
                [&](const Glib::RefPtr<Gdk::Pixbuf>&) { stillLoading = loader.pending(); });
    ASSERT_TRUE(runUntil([&] { return stillLoading.has_value(); }));
    EXPECT_EQ(*stillLoading, slow.size()) << "the icon waited until a slow one ended";

    // Each slow one ends at its deadline, however the bytes trickle, and is
    // not asked for again at once.
    EXPECT_TRUE(runUntil([&] { return loader.pending() == 0; }));
    EXPECT_EQ(slowArrived, 0);
    EXPECT_EQ(slowRequests(), slow.size());
    EXPECT_FALSE(
        loader.load(slow[0]->url("/favicon.ico"), [](const Glib::RefPtr<Gdk::Pixbuf>&) {}));
    EXPECT_EQ(loader.pending(), 0U);
}

TEST_F(Workbench, KeptIconsGoWithTheirBookmarksOrAfterAMonthNotShown) {
    const auto kept = folder_ / "favicons";
    TestWebServer other;
    for (auto* site : {&server_, &other}) {
        site->page("/favicon.ico", imageBytes(32), "image/png");
    }
    addBookmarks({{"留下", server_.url("/")}, {"删除", other.url("/")}});
    ASSERT_TRUE(runUntil([&] {
        return keptIcons(kept) == 2 && std::ranges::all_of(tiles(), [](SiteButton* tile) {
                   return tile->favicon().showsSiteIcon();
               });
    }));

    // Shown from the folder by the next start: the month starts anew.
    ageKeptIcons(kept);
    FaviconLoader nextRun(kept, FaviconLoader::iconSide);
    bool shown = false;
    nextRun.load(server_.url("/favicon.ico"),
                 [&](const Glib::RefPtr<Gdk::Pixbuf>&) { shown = true; });
    ASSERT_TRUE(runUntil([&] { return shown; }));

    // Its bookmark removed, the other icon goes; the one shown stays.
    for (const auto& bookmark : store_.snapshot().bookmarks) {
        if (bookmark.title == "删除") {
            ASSERT_TRUE(store_.removeBookmark(bookmark.id));
        }
    }
    EXPECT_TRUE(runUntil([&] { return keptIcons(kept) == 1; }));
    FaviconLoader third(kept, FaviconLoader::iconSide);
    shown = false;
    third.load(server_.url("/favicon.ico"),
               [&](const Glib::RefPtr<Gdk::Pixbuf>&) { shown = true; });
    ASSERT_TRUE(runUntil([&] { return shown; }));
    EXPECT_EQ(server_.requestCount("/favicon.ico"), 1U);

    // A month without being shown, a bookmark's icon goes as well.
    ageKeptIcons(kept);
    favicons_.prune({server_.url("/favicon.ico")});
    EXPECT_TRUE(runUntil([&] { return keptIcons(kept) == 0; }));
}

TEST_F(Workbench, TheThemeButtonStoresTheOppositeOfWhatIsOnScreen) {
    constexpr std::uint32_t portalDark = 1;
    TestSettingsPortal portal(portalDark);
    applyNativeTheme("system");
    ASSERT_EQ(NativeTheme::shared().appearance(), Appearance::dark);

    const auto stored = [&](const std::string& preference) {
        return runUntil([&] { return store_.snapshot().settings.themePreference == preference; });
    };
    clickOn(view().themeButton());
    ASSERT_TRUE(stored("light"));
    EXPECT_EQ(NativeTheme::shared().appearance(), Appearance::light);
    clickOn(view().themeButton());
    EXPECT_TRUE(stored("dark"));
    EXPECT_EQ(NativeTheme::shared().appearance(), Appearance::dark);
    applyNativeTheme("system");
}

}  // namespace
}  // namespace velumo::uitest
