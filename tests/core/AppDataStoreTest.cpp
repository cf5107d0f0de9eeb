#include <cmath>
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <limits>
#include <optional>
#include <set>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <vector>

#include <glib.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "ChangeCounter.h"
#include "TemporaryFolder.h"
#include "data/AppDataSanitizer.h"
#include "data/AppDataStore.h"
#include "data/DurableFile.h"

namespace velumo {
namespace {

using ::testing::ElementsAre;
using ::testing::MatchesRegex;

constexpr std::uint64_t fixedTime = 1'700'000'000'123;
const AppDataStore::Clock fixedClock = [] { return fixedTime; };

std::string contentsOf(const std::filesystem::path& file) {
    auto contents = DurableFile::read(file);
    return contents ? *contents : std::string("<unreadable>");
}

void writeText(const std::filesystem::path& file, const std::string& text) {
    std::filesystem::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << text;
}

void writeDocument(const std::filesystem::path& file, const AppDataSnapshot& document) {
    writeText(file, AppDataSanitizer::encode(document).value());
}

std::optional<AppDataSnapshot> documentIn(const std::filesystem::path& file) {
    return AppDataSanitizer::decode(contentsOf(file));
}

// The bytes the store must have written for the document.
std::string encoded(const AppDataSnapshot& document) {
    return AppDataSanitizer::encode(document).value();
}

std::set<std::string> namesIn(const std::filesystem::path& folder) {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        names.insert(entry.path().filename().string());
    }
    return names;
}

Bookmark bookmark(std::string id, std::string url, std::uint32_t position,
                  std::optional<std::string> category = std::nullopt) {
    Bookmark b;
    b.id = std::move(id);
    b.url = std::move(url);
    b.title = b.id;
    b.position = position;
    b.categoryID = std::move(category);
    return b;
}

// A document that has had its default bookmarks already, so tests see only
// their own records.
AppDataSnapshot seededDocument(std::vector<Bookmark> bookmarks = {}) {
    AppDataSnapshot document;
    document.defaultBookmarksSeedVersion = 1;
    document.bookmarks = std::move(bookmarks);
    return document;
}

class AppDataStoreTest : public ::testing::Test {
  protected:
    std::filesystem::path folder() const { return temporary.path() / "com.orvantis.velumo"; }
    std::filesystem::path file() const { return folder() / "app-data.json"; }

    TemporaryFolder temporary;
};

// --- Start-up ---------------------------------------------------------------

TEST_F(AppDataStoreTest, FirstStartWritesThePrivateSeededDefaultDocument) {
    const auto nested = temporary.path() / "a" / "b" / "app-data.json";
    AppDataStore store(nested, fixedClock);

    const auto snapshot = store.snapshot();
    EXPECT_EQ(snapshot.version, 2);
    EXPECT_EQ(snapshot.defaultBookmarksSeedVersion, 1);
    EXPECT_EQ(snapshot.bookmarks.size(), 21U);
    EXPECT_TRUE(snapshot.bookmarkCategories.empty());
    EXPECT_TRUE(snapshot.history.empty());
    EXPECT_EQ(snapshot.settings, AppSettings{});
    EXPECT_EQ(contentsOf(nested), encoded(snapshot));
    // Nothing else beside it: no aside copy, no temporary file left behind.
    EXPECT_EQ(namesIn(nested.parent_path()), std::set<std::string>{"app-data.json"});
    EXPECT_EQ(std::filesystem::status(nested).permissions() & std::filesystem::perms::all,
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
}

TEST_F(AppDataStoreTest, UnreadableFileIsKeptAsideAndReplacedByTheDefaultDocument) {
    const std::vector<std::string> unreadable = {
        "not json at all",
        R"({"version": 3, "bookmarks": [], "history": [], "settings": {}})",
        R"({"version": 2, "bookmarks": [], "history": [], "settings": {},})",
        "",
    };
    for (const auto& contents : unreadable) {
        SCOPED_TRACE(contents);
        std::filesystem::remove_all(folder());
        writeText(file(), contents);

        AppDataStore store(file(), fixedClock);
        ChangeCounter changes(store);

        const auto aside = folder() / ("app-data.json.unreadable-" + std::to_string(fixedTime));
        EXPECT_EQ(contentsOf(aside), contents);
        EXPECT_EQ(store.snapshot().bookmarks.size(), 21U);
        EXPECT_EQ(contentsOf(file()), encoded(store.snapshot()));
        EXPECT_EQ(changes.count(), 0);
    }
}

TEST_F(AppDataStoreTest, AsideFilesOfEarlierStartsAreNeverOverwritten) {
    writeText(file(), "first");
    { AppDataStore store(file(), fixedClock); }
    writeText(file(), "second");
    { AppDataStore store(file(), fixedClock); }

    const std::string aside = "app-data.json.unreadable-" + std::to_string(fixedTime);
    EXPECT_EQ(namesIn(folder()), (std::set<std::string>{"app-data.json", aside, aside + "-1"}));
    EXPECT_EQ(contentsOf(folder() / aside), "first");
    EXPECT_EQ(contentsOf(folder() / (aside + "-1")), "second");
}

TEST_F(AppDataStoreTest, ReadableFileIsRewrittenNormalisedAndSeededOnlyOnce) {
    writeText(file(), R"({"version": 1, "defaultBookmarksSeedVersion": -1,
        "bookmarks": [], "history": [], "settings": {"defaultOpacity": 0.05}})");
    std::string removedId;
    {
        AppDataStore store(file(), fixedClock);
        EXPECT_EQ(store.snapshot().defaultBookmarksSeedVersion, 1);
        EXPECT_EQ(store.snapshot().settings.defaultOpacity, 0.1);
        EXPECT_THAT(contentsOf(file()), ::testing::HasSubstr(R"("version": 2)"));
        removedId = store.snapshot().bookmarks.front().id;
        ASSERT_EQ(store.removeBookmark(removedId), true);
    }
    AppDataStore restarted(file(), fixedClock);
    EXPECT_EQ(restarted.snapshot().bookmarks.size(), 20U);
    EXPECT_EQ(namesIn(folder()), std::set<std::string>{"app-data.json"});
}

// --- Changes ----------------------------------------------------------------

TEST_F(AppDataStoreTest, VisitsGoFirstRepeatAndStopAtFifty) {
    writeDocument(file(), seededDocument());
    AppDataStore store(file(), fixedClock);

    StoreResult<HistoryEntry> last = std::unexpected(StoreError::invalidURL);
    for (int visit = 1; visit <= 51; ++visit) {
        const auto url = visit >= 50 ? std::string("https://same.example/")
                                     : "https://example.com/" + std::to_string(visit);
        last = store.recordVisitThrowing(url, "  visit " + std::to_string(visit) + "\n");
        ASSERT_TRUE(last) << visit;
    }
    EXPECT_EQ(last->title, "visit 51");
    EXPECT_EQ(last->visitedAt, fixedTime);

    const auto history = store.snapshot().history;
    ASSERT_EQ(history.size(), 50U);
    EXPECT_EQ(history.front(), *last);
    EXPECT_EQ(history[1].title, "visit 50");
    EXPECT_EQ(history[1].url, history[0].url);
    EXPECT_NE(history[1].id, history[0].id);
    EXPECT_EQ(history.back().title, "visit 2");
    EXPECT_EQ(contentsOf(file()), encoded(store.snapshot()));
}

TEST_F(AppDataStoreTest, RefusedInputChangesNothingAndSaysWhyInChinese) {
    writeDocument(file(), seededDocument({bookmark("a", "https://a.example/", 0)}));
    AppDataStore store(file(), fixedClock);
    ChangeCounter changes(store);
    const auto before = contentsOf(file());

    const auto ftp = store.addBookmarkThrowing("ftp://files.example/", "Files");
    ASSERT_FALSE(ftp);
    EXPECT_EQ(ftp.error().storeError(), StoreError::invalidURL);
    EXPECT_EQ(ftp.error().description(), "仅支持有效的 HTTP 或 HTTPS 网址");

    const auto blank = store.addBookmarkThrowing("https://b.example/", "   ");
    ASSERT_FALSE(blank);
    EXPECT_EQ(blank.error().description(), "标题长度必须为 1 到 512 个字符");
    EXPECT_FALSE(store.recordVisitThrowing("https://b.example/", std::string(513, 'x')));
    EXPECT_FALSE(store.recordVisitThrowing("javascript:alert(1)", "x"));

    const auto empty = store.removeBookmark("");
    ASSERT_FALSE(empty);
    EXPECT_EQ(empty.error().description(), "记录 ID 无效");
    EXPECT_FALSE(store.removeBookmark("a.b"));

    EXPECT_EQ(changes.count(), 0);
    EXPECT_EQ(contentsOf(file()), before);
    EXPECT_EQ(store.snapshot().bookmarks.size(), 1U);
}

TEST_F(AppDataStoreTest, NewBookmarkGoesFirstAndAfterTheUncategorizedOnes) {
    auto document = seededDocument({
        bookmark("a", "https://a.example/", 0),
        bookmark("b", "https://b.example/", 1),
        bookmark("in-category", "https://c.example/", 0, "reading"),
        bookmark("d", "https://d.example/", 2),
    });
    document.bookmarkCategories = {BookmarkCategory{"reading", "Reading", 0, 1}};
    writeDocument(file(), document);
    AppDataStore store(file(), fixedClock);

    const auto added =
        store.addBookmarkThrowing("https://news.example:8080/today?page=2", " News ");
    ASSERT_TRUE(added);
    EXPECT_THAT(added->id, MatchesRegex("b-[0-9a-f]+-[0-9a-f]{32}"));
    EXPECT_EQ(added->title, "News");
    EXPECT_EQ(added->position, 3U);
    EXPECT_EQ(added->createdAt, fixedTime);
    EXPECT_EQ(added->faviconURL, "https://news.example:8080/favicon.ico");
    EXPECT_FALSE(added->categoryID);
    EXPECT_EQ(store.snapshot().bookmarks.front(), *added);
    EXPECT_EQ(contentsOf(file()), encoded(store.snapshot()));
}

TEST_F(AppDataStoreTest, ChangesThatFindNothingToDoStillSaveAndAnnounce) {
    writeDocument(file(), seededDocument({bookmark("a", "https://a.example/", 0)}));
    AppDataStore store(file(), fixedClock);
    ChangeCounter changes(store);
    const auto before = store.snapshot();

    std::filesystem::remove(file());
    const auto again = store.addBookmarkThrowing("  https://a.example/ ", "Another title");
    ASSERT_TRUE(again);
    EXPECT_EQ(*again, before.bookmarks.front());
    EXPECT_EQ(store.snapshot(), before);
    EXPECT_EQ(contentsOf(file()), encoded(before));
    EXPECT_EQ(changes.count(), 1);

    std::filesystem::remove(file());
    EXPECT_EQ(store.removeBookmark("nobody"), false);
    EXPECT_EQ(contentsOf(file()), encoded(before));
    EXPECT_EQ(changes.count(), 2);
}

TEST_F(AppDataStoreTest, RemovingLeavesTheOtherPositionsForTheNextLoad) {
    writeDocument(file(), seededDocument({
                              bookmark("a", "https://a.example/", 0),
                              bookmark("b", "https://b.example/", 1),
                              bookmark("c", "https://c.example/", 2),
                          }));
    AppDataStore store(file(), fixedClock);
    store.recordVisitThrowing("https://a.example/", "A").value();

    EXPECT_EQ(store.removeBookmark("a"), true);
    std::vector<std::uint32_t> positions;
    for (const auto& b : store.snapshot().bookmarks) {
        positions.push_back(b.position);
    }
    EXPECT_THAT(positions, ElementsAre(1U, 2U));
    const auto reloaded = documentIn(file());
    ASSERT_TRUE(reloaded);
    EXPECT_EQ(reloaded->bookmarks.back().position, 1U);

    ASSERT_TRUE(store.clearHistory());
    EXPECT_TRUE(store.snapshot().history.empty());
    EXPECT_EQ(contentsOf(file()), encoded(store.snapshot()));
}

TEST_F(AppDataStoreTest, SettingsObeyTheRulesOfTheFile) {
    AppDataStore store(file(), fixedClock);
    AppSettings settings;
    settings.searchEngine = SearchEngine::google;
    settings.defaultOpacity = 0;
    settings.themePreference = "Dark";
    settings.defaultAlwaysOnTop = true;
    settings.shortcut = std::string(200, 'K');
    settings.nextWindowShortcut = "  Control+Shift+N ";

    ASSERT_TRUE(store.updateSettings(settings));
    const auto stored = store.snapshot().settings;
    EXPECT_EQ(stored.searchEngine, SearchEngine::google);
    EXPECT_EQ(stored.defaultOpacity, 0.1);
    EXPECT_EQ(stored.themePreference, "system");
    EXPECT_FALSE(stored.defaultAlwaysOnTop);
    EXPECT_EQ(stored.shortcut, "Command+Option+B");
    EXPECT_EQ(stored.nextWindowShortcut, "Control+Shift+N");
    EXPECT_EQ(documentIn(file())->settings, stored);
}

TEST_F(AppDataStoreTest, SettingsThatCannotBeWrittenAreRefusedBeforeAnythingChanges) {
    AppDataStore store(file(), fixedClock);
    ChangeCounter changes(store);
    const auto before = contentsOf(file());

    for (const double opacity : {std::nan(""), std::numeric_limits<double>::infinity()}) {
        AppSettings settings;
        settings.defaultOpacity = opacity;
        settings.themePreference = "dark";
        const auto result = store.updateSettings(settings);
        ASSERT_FALSE(result);
        EXPECT_FALSE(result.error().storeError());
        EXPECT_FALSE(result.error().description().empty());
    }
    EXPECT_EQ(store.snapshot().settings, AppSettings{});
    EXPECT_EQ(contentsOf(file()), before);
    EXPECT_EQ(changes.count(), 0);
}

// --- Saving failures --------------------------------------------------------

TEST_F(AppDataStoreTest, FolderThatCannotBeCreatedFailsChangesAndKeepsMemory) {
    AppDataStore store(file(), fixedClock);
    store.recordVisitThrowing("https://a.example/", "A").value();
    ChangeCounter changes(store);
    const auto before = store.snapshot();

    // The folder becomes a regular file, so it can be neither created nor used.
    std::filesystem::remove_all(folder());
    writeText(folder(), "in the way");

    const auto cleared = store.clearHistory();
    ASSERT_FALSE(cleared);
    EXPECT_FALSE(cleared.error().storeError());
    EXPECT_THAT(cleared.error().description(), ::testing::HasSubstr(folder().string()));
    EXPECT_EQ(store.snapshot(), before);
    EXPECT_EQ(changes.count(), 0);

    // Starting there is no failure either: the document lives in memory.
    AppDataStore blocked(file(), fixedClock);
    EXPECT_EQ(blocked.snapshot().bookmarks.size(), 21U);
    EXPECT_EQ(contentsOf(folder()), "in the way");
}

// Restores the file size limit and the signal it raises.
class FileSizeLimit {
  public:
    explicit FileSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &saved_);
        previousHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = saved_;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, previousHandler_);
    }

  private:
    rlimit saved_{};
    void (*previousHandler_)(int) = nullptr;
};

TEST_F(AppDataStoreTest, FailedWriteLeavesFileMemoryAndObserversUntouched) {
    AppDataStore store(file(), fixedClock);
    store.recordVisitThrowing("https://a.example/", "A").value();
    ChangeCounter changes(store);
    const auto fileBefore = contentsOf(file());
    const auto memoryBefore = store.snapshot();

    StoreResult<HistoryEntry> result = std::unexpected(StoreError::invalidURL);
    {
        // Even root cannot write past this limit, unlike past file permissions.
        FileSizeLimit limit(64);
        result = store.recordVisitThrowing("https://b.example/", "B");
    }
    ASSERT_FALSE(result);
    EXPECT_FALSE(result.error().storeError());
    EXPECT_FALSE(result.error().description().empty());
    EXPECT_EQ(contentsOf(file()), fileBefore);
    EXPECT_EQ(store.snapshot(), memoryBefore);
    EXPECT_EQ(changes.count(), 0);
    EXPECT_EQ(namesIn(folder()), std::set<std::string>{"app-data.json"});

    // Nothing is stuck: the next change goes through.
    EXPECT_TRUE(store.recordVisitThrowing("https://b.example/", "B"));
    EXPECT_EQ(changes.count(), 1);
}

// --- Notifications ----------------------------------------------------------

TEST_F(AppDataStoreTest, ObserversMayReadTheStoreAndSeeTheChange) {
    AppDataStore store(file(), fixedClock);
    std::vector<std::size_t> seen;
    const auto token = NotificationCenter::defaultCenter().addObserver(
        std::string(appDataDidChange), &store, [&](const Notification& notification) {
            EXPECT_EQ(notification.object, &store);
            // Deadlocks if the notification were posted with the lock held.
            seen.push_back(store.snapshot().history.size());
        });

    store.recordVisitThrowing("https://a.example/", "A").value();
    store.recordVisitThrowing("https://b.example/", "B").value();
    ASSERT_TRUE(store.clearHistory());
    EXPECT_THAT(seen, ElementsAre(1U, 2U, 0U));
}

// --- Identifiers, time stamps and addresses ---------------------------------

TEST(AppDataStoreStamps, IdentifiersCarryTheTimeInHexAndAFreshUuid) {
    const auto first = AppDataStore::makeIdentifier("h", 0x18bcfe56800);
    const auto second = AppDataStore::makeIdentifier("h", 0x18bcfe56800);
    EXPECT_THAT(first, MatchesRegex("h-18bcfe56800-[0-9a-f]{32}"));
    EXPECT_NE(first, second);
    EXPECT_THAT(AppDataStore::makeIdentifier("b", 1), MatchesRegex("b-1-[0-9a-f]{32}"));
    EXPECT_TRUE(AppDataSanitizer::validID(first));

    TemporaryFolder temporary;
    AppDataStore store(temporary.path() / "app-data.json", [] { return std::uint64_t{255}; });
    EXPECT_THAT(store.recordVisitThrowing("https://a.example/", "A")->id,
                MatchesRegex("h-ff-[0-9a-f]{32}"));
}

TEST(AppDataStoreStamps, TimeStampsAreTruncatedMillisecondsAndNeverZero) {
    using std::chrono::microseconds;
    const std::chrono::system_clock::time_point epoch;
    EXPECT_EQ(AppDataStore::timestamp(epoch), 1U);
    EXPECT_EQ(AppDataStore::timestamp(epoch + microseconds(1000)), 1U);
    EXPECT_EQ(AppDataStore::timestamp(epoch - std::chrono::hours(24)), 1U);
    EXPECT_EQ(AppDataStore::timestamp(epoch + microseconds(2999)), 2U);
    EXPECT_EQ(AppDataStore::timestamp(epoch + microseconds(1'700'000'000'123'999)),
              1'700'000'000'123U);
    const auto now = AppDataStore::systemClock()();
    EXPECT_GT(now, 1'700'000'000'000U);
}

TEST(AppDataStoreAddresses, IconAddressReplacesPathQueryAndFragment) {
    EXPECT_EQ(AppDataStore::faviconURL("https://user:pw@Example.COM:8443/a/b?x=1#top"),
              "https://user:pw@Example.COM:8443/favicon.ico");
    EXPECT_EQ(AppDataStore::faviconURL("https://poki.com/zh/"), "https://poki.com/favicon.ico");
    EXPECT_EQ(AppDataStore::faviconURL("no address"), std::nullopt);
}

TEST(AppDataStoreAddresses, ComparisonKeyIgnoresCaseAndDefaultPortsOnly) {
    const std::vector<std::pair<std::string, std::optional<std::string>>> cases = {
        {"HTTPS://WWW.ZHIHU.COM:443", "https://www.zhihu.com/"},
        {" http://Example.com:80/Path?Q=1#F ", "http://example.com/Path?Q=1#F"},
        {"http://example.com:0080/", "http://example.com/"},
        {"https://example.com:80/", "https://example.com:80/"},
        {"http://example.com:443/", "http://example.com:443/"},
        {"https://example.com:8443", "https://example.com:8443/"},
        {"ftp://example.com/", std::nullopt},
        {"https:/no-host", std::nullopt},
    };
    for (const auto& [address, key] : cases) {
        EXPECT_EQ(AppDataStore::normalizedURLKey(address), key) << address;
    }
}

// Restores one environment variable.
class EnvironmentVariable {
  public:
    explicit EnvironmentVariable(const char* name) : name_(name) {
        if (const char* value = std::getenv(name)) {
            saved_ = value;
        }
    }
    EnvironmentVariable(const EnvironmentVariable&) = delete;
    EnvironmentVariable& operator=(const EnvironmentVariable&) = delete;
    ~EnvironmentVariable() {
        if (saved_) {
            setenv(name_, saved_->c_str(), 1);
        } else {
            unsetenv(name_);
        }
    }

  private:
    const char* name_;
    std::optional<std::string> saved_;
};

TEST(AppDataStoreLocation, DataFileLivesUnderTheXdgDataFolder) {
    EnvironmentVariable dataHome("XDG_DATA_HOME");
    const auto underHome = std::filesystem::path(g_get_home_dir()) / ".local" / "share" /
                           "com.orvantis.velumo" / "app-data.json";

    setenv("XDG_DATA_HOME", "/srv/data", 1);
    EXPECT_EQ(AppDataStore::defaultPath(), "/srv/data/com.orvantis.velumo/app-data.json");
    unsetenv("XDG_DATA_HOME");
    EXPECT_EQ(AppDataStore::defaultPath(), underHome);
    // Empty and relative values are to be ignored.
    setenv("XDG_DATA_HOME", "", 1);
    EXPECT_EQ(AppDataStore::defaultPath(), underHome);
    setenv("XDG_DATA_HOME", "relative/data", 1);
    EXPECT_EQ(AppDataStore::defaultPath(), underHome);
}

}  // namespace
}  // namespace velumo
