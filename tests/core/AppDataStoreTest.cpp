#include <array>
#include <atomic>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <functional>
#include <limits>
#include <optional>
#include <set>
#include <stop_token>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include <glib.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "ChangeCounter.h"
#include "TemporaryFolder.h"
#include "data/AppDataSanitizer.h"
#include "data/AppDataStore.h"
#include "data/DataFileWatch.h"
#include "data/DurableFile.h"

namespace velumo {
namespace {

using ::testing::ElementsAre;
using ::testing::MatchesRegex;
using Names = std::set<std::string>;

constexpr std::uint64_t fixedTime = 1'700'000'000'123;
const AppDataStore::Clock fixedClock = [] { return fixedTime; };
// Visits wait for flush() or the store's end, never for the clock.
constexpr std::chrono::hours noGathering{24};
const Names dataFileAndLock{"app-data.json", "app-data.json.lock"};

std::string contentsOf(const std::filesystem::path& file) {
    return DurableFile::read(file, std::numeric_limits<std::size_t>::max())
        .value_or("<unreadable>");
}

void writeText(const std::filesystem::path& file, const std::string& text) {
    std::filesystem::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << text;
}

// The name a file is set aside under at `time`, when no other took it first.
std::string asideName(const std::string& name, std::uint64_t time = fixedTime) {
    return name + ".unreadable-" + std::to_string(time);
}

std::string encoded(const AppDataSnapshot& document) {
    return AppDataSanitizer::encode(document).value();
}

Names namesIn(const std::filesystem::path& folder) {
    Names names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        names.insert(entry.path().filename().string());
    }
    return names;
}

Bookmark bookmark(std::string id, std::uint32_t position,
                  std::optional<std::string> category = std::nullopt) {
    Bookmark b;
    b.url = "https://" + id + ".example/";
    b.title = id;
    b.id = std::move(id);
    b.position = position;
    b.categoryID = std::move(category);
    return b;
}

class AppDataStoreTest : public ::testing::Test {
  protected:
    // Starts a store on a document that has had its default bookmarks, so the
    // test sees only its own records.
    AppDataStore& startWith(std::vector<Bookmark> bookmarks,
                            std::vector<BookmarkCategory> categories = {}) {
        AppDataSnapshot document;
        document.defaultBookmarksSeedVersion = 1;
        document.bookmarks = std::move(bookmarks);
        document.bookmarkCategories = std::move(categories);
        writeText(file, encoded(document));
        return store.emplace(file, fixedClock, noGathering);
    }

    TemporaryFolder temporary;
    std::filesystem::path folder = temporary.path() / "com.orvantis.velumo";
    std::filesystem::path file = folder / "app-data.json";
    std::optional<AppDataStore> store;
};

// Runs the main loop's pending work until `condition` holds, for at most 20 s.
bool eventually(const std::function<bool()>& condition) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        g_main_context_iteration(nullptr, FALSE);
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

std::filesystem::perms modeOf(const std::filesystem::path& path) {
    return std::filesystem::status(path).permissions() & std::filesystem::perms::all;
}

TEST_F(AppDataStoreTest, FirstStartWritesThePrivateSeededDefaultDocument) {
    const auto nested = temporary.path() / "a" / "b" / "app-data.json";
    const auto snapshot = AppDataStore(nested, fixedClock).snapshot();
    EXPECT_EQ(snapshot.defaultBookmarksSeedVersion, 1);
    EXPECT_EQ(snapshot.bookmarks.size(), 21U);
    EXPECT_EQ(contentsOf(nested), encoded(snapshot));
    EXPECT_EQ(namesIn(nested.parent_path()), dataFileAndLock);
    EXPECT_EQ(modeOf(nested),
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    EXPECT_EQ(modeOf(nested.parent_path()), std::filesystem::perms::owner_all);

    // A folder that was there already, made by anything else, is made private too.
    std::filesystem::create_directories(folder);
    std::filesystem::permissions(folder, std::filesystem::perms(0755));
    startWith({});
    EXPECT_EQ(modeOf(folder), std::filesystem::perms::owner_all);
}

TEST_F(AppDataStoreTest, UnreadableFilesAreKeptAsideUnderNamesNotYetTaken) {
    const std::vector<std::string> unreadable = {
        "not json at all", R"({"version": 2, "bookmarks": [], "history": [], "settings": {},})",
        ""};
    const std::string aside = asideName("app-data.json");
    Names expected = dataFileAndLock;
    for (std::size_t start = 0; start < unreadable.size(); ++start) {
        writeText(file, unreadable[start]);
        const AppDataStore started(file, fixedClock);
        const auto name = start == 0 ? aside : aside + "-" + std::to_string(start);
        EXPECT_EQ(contentsOf(folder / name), unreadable[start]);
        EXPECT_EQ(started.snapshot().bookmarks.size(), 21U);
        EXPECT_EQ(contentsOf(file), encoded(started.snapshot()));
        expected.insert(name);
    }
    EXPECT_EQ(namesIn(folder), expected);
}

// Takes every name the data file could be set aside under at `time`: a
// failure of setting aside that binds root as well as a user.
void takeEveryAsideName(const std::filesystem::path& file, std::uint64_t time) {
    const std::string base = asideName(file.string(), time);
    for (int attempt = 0; attempt < 1000; ++attempt) {
        std::filesystem::create_symlink("taken",
                                        attempt == 0 ? base : base + "-" + std::to_string(attempt));
    }
}

TEST_F(AppDataStoreTest, AFileThatWasNotReadIsNeverReplacedBeforeItIsSetAside) {
    // The user's bookmarks, made unreadable by one setting of the wrong type.
    const std::string users = R"({"version": 2, "history": [], "settings": {"searchEngine": 7},
        "bookmarks": [{"id": "a", "url": "https://a.example/", "title": "A", "createdAt": 1}]})";
    writeText(file, users);
    std::uint64_t time = fixedTime;
    takeEveryAsideName(file, time);
    AppDataStore store(file, [&time] { return time; });
    const ChangeCounter changes(store);
    EXPECT_EQ(contentsOf(file), users);

    const auto refused = store.clearHistory();
    ASSERT_FALSE(refused);
    EXPECT_THAT(refused.error().description(),
                ::testing::StartsWith("数据文件 " + file.string() + " 无法读取"));
    EXPECT_EQ(contentsOf(file), users);
    EXPECT_EQ(changes.count(), 0);

    // Free names again: the file goes aside first, then the change is saved.
    ++time;
    ASSERT_TRUE(store.clearHistory());
    EXPECT_EQ(contentsOf(folder / asideName("app-data.json", time)), users);
    EXPECT_EQ(contentsOf(file), encoded(store.snapshot()));
}

// Opens the writing end of the FIFO at `path` whenever something has it open
// for reading, which releases a reader blocked in open(), and counts how
// often that was needed.
class FifoReaderWatch {
  public:
    explicit FifoReaderWatch(std::filesystem::path path)
        : thread_([this, path = std::move(path)](const std::stop_token& stop) {
              while (!stop.stop_requested()) {
                  const int fd = ::open(path.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
                  if (fd >= 0) {
                      struct stat status {};
                      readers_ += ::fstat(fd, &status) == 0 && S_ISFIFO(status.st_mode) ? 1 : 0;
                      ::close(fd);
                  }
                  std::this_thread::sleep_for(std::chrono::milliseconds(1));
              }
          }) {}

    int stopAndCount() {
        thread_.request_stop();
        thread_.join();
        return readers_;
    }

  private:
    std::atomic<int> readers_{0};
    std::jthread thread_;
};

TEST_F(AppDataStoreTest, WhatIsNoRegularFileOfAtMost64MiBIsSetAsideUnread) {
    const auto aside = folder / asideName("app-data.json");
    const auto startAndExpectAside = [&](std::filesystem::file_type type) {
        const AppDataStore started(file, fixedClock);
        EXPECT_EQ(std::filesystem::symlink_status(aside).type(), type);
        EXPECT_EQ(contentsOf(file), encoded(started.snapshot()));
        std::filesystem::remove(aside);
        std::filesystem::remove(file);
    };
    std::filesystem::create_directories(folder);
    ASSERT_EQ(::mkfifo(file.c_str(), 0600), 0);
    FifoReaderWatch watch(file);
    startAndExpectAside(std::filesystem::file_type::fifo);
    EXPECT_EQ(watch.stopAndCount(), 0) << "the start waited for a writer of the FIFO";

    // The device is neither read for ever nor replaced: its link goes aside.
    std::filesystem::create_symlink("/dev/zero", file);
    startAndExpectAside(std::filesystem::file_type::symlink);

    std::string huge = encoded(AppDataSnapshot{});
    huge.resize(std::size_t{64} * 1024 * 1024 + 1, ' ');
    writeText(file, huge);
    startAndExpectAside(std::filesystem::file_type::regular);
}

TEST_F(AppDataStoreTest, ALinkStaysALinkAndTheFileItLeadsToIsReplacedOrSetAside) {
    // A relative link to a relative link to a file in a dotfiles folder.
    const auto dotfiles = temporary.path() / "dotfiles";
    const auto target = dotfiles / "velumo.json";
    AppDataSnapshot document;
    document.defaultBookmarksSeedVersion = 1;
    document.bookmarks = {bookmark("a", 0)};
    writeText(target, encoded(document));
    std::filesystem::create_directories(folder);
    std::filesystem::create_symlink("../dotfiles/velumo.json", folder / "link");
    std::filesystem::create_symlink("link", file);
    {
        AppDataStore store(file, fixedClock);
        ASSERT_TRUE(store.recordVisitThrowing("https://b.example/", "B"));
        ASSERT_TRUE(store.flush());
        EXPECT_EQ(store.snapshot().bookmarks.size(), 1U);
        EXPECT_EQ(contentsOf(target), encoded(store.snapshot()));
    }
    EXPECT_EQ(std::filesystem::read_symlink(file), "link");
    EXPECT_EQ(namesIn(dotfiles), Names{"velumo.json"});

    writeText(target, "not json");
    const AppDataStore restarted(file, fixedClock);
    EXPECT_EQ(std::filesystem::read_symlink(file), "link");
    EXPECT_EQ(contentsOf(dotfiles / asideName("velumo.json")), "not json");
    EXPECT_EQ(contentsOf(target), encoded(restarted.snapshot()));
}

// A link to a file not there yet (a sync folder still filling, a drive not
// mounted) is written through, never replaced; and a file that turns up there
// later was never read here, so it is set aside before the first write.
TEST_F(AppDataStoreTest, ALinkToNothingYetIsWrittenThroughWhereItsFolderExists) {
    std::filesystem::create_directories(folder);
    const auto synced = temporary.path() / "sync" / "app-data.json";
    std::filesystem::create_directories(synced.parent_path());
    std::filesystem::create_symlink(synced, file);
    const auto first = AppDataStore(file, fixedClock).snapshot();
    EXPECT_EQ(contentsOf(synced), encoded(first));
    EXPECT_TRUE(std::filesystem::is_symlink(file));

    const auto drive = temporary.path() / "drive";
    std::filesystem::remove(file);
    std::filesystem::create_symlink(drive / "app-data.json", file);
    AppDataStore store(file, fixedClock);
    EXPECT_FALSE(store.clearHistory());
    EXPECT_FALSE(std::filesystem::exists(drive));

    writeText(drive / "app-data.json", "the user's");
    ASSERT_TRUE(store.clearHistory());
    EXPECT_EQ(contentsOf(drive / asideName("app-data.json")), "the user's");
    EXPECT_EQ(contentsOf(drive / "app-data.json"), encoded(store.snapshot()));
    EXPECT_TRUE(std::filesystem::is_symlink(file));
}

TEST_F(AppDataStoreTest, StartRemovesOnlyTheTemporaryFilesOfInterruptedSaves) {
    const Names kept{"app-data.json.unreadable-1", "app-data.json.abc12",  "app-data.json.abc1234",
                     "app-data.json.ab-123",       "app-data.json.ab.123", "notes.json.abc123",
                     "app-data.jsonXabc123"};
    for (const auto& name : kept) {
        writeText(folder / name, "keep");
    }
    writeText(folder / "app-data.json.a1B2c3", "{");
    writeText(folder / "app-data.json.ZZZZZZ", "");
    std::filesystem::create_directory(folder / "app-data.json.folder");
    startWith({});

    auto expected = kept;
    expected.insert({"app-data.json", "app-data.json.lock", "app-data.json.folder"});
    EXPECT_EQ(namesIn(folder), expected);
}

TEST_F(AppDataStoreTest, WhatReadingDropsIsKeptInACopyOfTheFileFirst) {
    // A title with a tab, as a person may type one by hand: reading drops it.
    const std::string handMade = R"({"version": 2, "defaultBookmarksSeedVersion": 1,
        "history": [], "settings": {}, "bookmarks": [
        {"id": "a", "url": "https://a.example/", "title": "A", "createdAt": 1},
        {"id": "b", "url": "https://b.example/", "title": "Tab\there", "createdAt": 1}]})";
    Names expected = dataFileAndLock;
    for (std::uint64_t time = fixedTime; time < fixedTime + 4; ++time) {
        writeText(file, handMade);
        const AppDataStore started(file, [time] { return time; });
        EXPECT_EQ(started.snapshot().bookmarks.size(), 1U);
        const auto copy = folder / ("app-data.json.before-repair-" + std::to_string(time));
        EXPECT_EQ(contentsOf(copy), handMade);
        EXPECT_EQ(modeOf(copy),
                  std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
        expected.insert(copy.filename().string());
    }
    // The three newest are kept; a file read whole needs no copy.
    expected.erase("app-data.json.before-repair-" + std::to_string(fixedTime));
    const AppDataStore restarted(file, [] { return fixedTime + 9; });
    EXPECT_EQ(namesIn(folder), expected);
}

// Another program writes the data file while the store runs: the next save
// takes its document in and applies the change on top.
TEST_F(AppDataStoreTest, AnOutsideEditBecomesTheDocumentAndTheNextChangeGoesOnTopOfIt) {
    auto& store = startWith({bookmark("a", 0)});
    const ChangeCounter changes(store);
    // A sync tool puts another version in place: a new file renamed over.
    AppDataSnapshot outside = store.snapshot();
    outside.bookmarks.push_back(bookmark("sync", 1));
    ASSERT_TRUE(DurableFile::replace(file, encoded(outside)));
    ASSERT_TRUE(store.recordVisitThrowing("https://v.example/", "V"));
    ASSERT_TRUE(store.flush());
    EXPECT_EQ(store.snapshot().bookmarks,
              AppDataSanitizer::decode(encoded(outside)).value().bookmarks);
    EXPECT_EQ(store.snapshot().history.at(0).title, "V");
    EXPECT_EQ(contentsOf(file), encoded(store.snapshot()));
    EXPECT_EQ(changes.count(), 2);

    // An editor writes in place within the clock tick of the last save: the
    // same inode, size and modification time, only the contents tell.
    struct stat before {};
    ASSERT_EQ(::stat(file.c_str(), &before), 0);
    std::string edited = contentsOf(file);
    edited.replace(edited.find(R"("title": "sync")"), 15, R"("title": "Sync")");
    writeText(file, edited);
    const std::array<timespec, 2> times{timespec{0, UTIME_OMIT}, before.st_mtim};
    ASSERT_EQ(::utimensat(AT_FDCWD, file.c_str(), times.data(), 0), 0);
    ASSERT_TRUE(store.clearHistory());
    EXPECT_EQ(store.snapshot().bookmarks.at(1).title, "Sync");
    EXPECT_EQ(contentsOf(file), encoded(store.snapshot()));

    // A hand edit with a trailing comma goes aside, byte for byte, before the
    // store writes its own document.
    const std::string typo = contentsOf(file).insert(1, R"("note": "mine",)") + ",";
    writeText(file, typo);
    ASSERT_TRUE(store.recordVisitThrowing("https://w.example/", "W"));
    ASSERT_TRUE(store.flush());
    EXPECT_EQ(contentsOf(folder / asideName("app-data.json")), typo);
    EXPECT_EQ(store.snapshot().bookmarks.size(), 2U);
    EXPECT_EQ(contentsOf(file), encoded(store.snapshot()));
}

TEST_F(AppDataStoreTest, AVisitShowsAtOnceAndReachesTheFileWithTheNextWrite) {
    auto& store = startWith({});
    const ChangeCounter changes(store);
    const auto before = contentsOf(file);
    for (int visit = 0; visit < 30; ++visit) {
        ASSERT_TRUE(store.recordVisitThrowing("https://v.example/" + std::to_string(visit), "V"));
    }
    EXPECT_EQ(changes.count(), 30);
    EXPECT_EQ(changes.lastHistorySize(), 30U);
    EXPECT_EQ(contentsOf(file), before);
    // A bookmark is written before its call returns, with the visits.
    ASSERT_TRUE(store.addBookmarkThrowing("https://b.example/", "B"));
    EXPECT_EQ(contentsOf(file), encoded(store.snapshot()));
    ASSERT_TRUE(store.recordVisitThrowing("https://last.example/", "Last"));
    const auto last = store.snapshot();
    this->store.reset();
    EXPECT_EQ(contentsOf(file), encoded(last));

    // Left alone, the store writes each visit itself once the delay has
    // passed, the first one after a quiet while too.
    AppDataStore gathering(file, fixedClock, std::chrono::milliseconds(50));
    for (const char* title : {"Later", "Much later"}) {
        ASSERT_TRUE(gathering.recordVisitThrowing("https://later.example/", title));
        EXPECT_TRUE(eventually([&] { return contentsOf(file) == encoded(gathering.snapshot()); }))
            << title;
    }
}

TEST_F(AppDataStoreTest, AWatchedFileShowsAnOutsideChangeWithoutASave) {
    auto& store = startWith({bookmark("a", 0)});
    const DataFileWatch watch(store);
    const ChangeCounter changes(store);
    AppDataSnapshot outside = store.snapshot();
    outside.bookmarks.clear();
    ASSERT_TRUE(DurableFile::replace(file, encoded(outside)));
    EXPECT_TRUE(eventually([&] { return changes.count() > 0; }));
    EXPECT_EQ(changes.count(), 1);
    EXPECT_TRUE(store.snapshot().bookmarks.empty());
}

TEST_F(AppDataStoreTest, ReadableFileIsRewrittenNormalisedAndRemovedSitesStayRemoved) {
    writeText(file, R"({"version": 1, "defaultBookmarksSeedVersion": -1,
        "bookmarks": [], "history": [], "settings": {"defaultOpacity": 0.05}})");
    {
        AppDataStore first(file, fixedClock);
        EXPECT_EQ(first.snapshot().settings.defaultOpacity, 0.1);
        EXPECT_EQ(contentsOf(file), encoded(first.snapshot()));
        ASSERT_EQ(first.removeBookmark(first.snapshot().bookmarks.front().id), true);
        // The others keep their positions until the next load renumbers them.
        EXPECT_EQ(first.snapshot().bookmarks.front().position, 1U);
    }
    const auto restarted = AppDataStore(file, fixedClock).snapshot();
    EXPECT_EQ(restarted.bookmarks.size(), 20U);
    EXPECT_EQ(restarted.bookmarks.front().position, 0U);
}

TEST_F(AppDataStoreTest, VisitsGoFirstRepeatAndStopAtFifty) {
    auto& store = startWith({});
    const ChangeCounter changes(store);
    for (int visit = 1; visit <= 51; ++visit) {
        const auto url = visit >= 50 ? std::string("https://same.example/")
                                     : "https://example.com/" + std::to_string(visit);
        ASSERT_TRUE(store.recordVisitThrowing(url, "  visit " + std::to_string(visit) + "\n"));
    }
    const auto history = store.snapshot().history;
    ASSERT_EQ(history.size(), 50U);
    EXPECT_EQ(history[0].title, "visit 51");
    EXPECT_EQ(history[0].visitedAt, fixedTime);
    EXPECT_EQ(history[1].url, history[0].url);
    EXPECT_NE(history[1].id, history[0].id);
    EXPECT_EQ(history.back().title, "visit 2");
    ASSERT_TRUE(store.flush());
    EXPECT_EQ(contentsOf(file), encoded(store.snapshot()));
    // Observers are told once the change has taken effect.
    EXPECT_EQ(changes.count(), 51);
    EXPECT_EQ(changes.lastHistorySize(), 50U);

    ASSERT_TRUE(store.clearHistory());
    EXPECT_EQ(changes.lastHistorySize(), 0U);
    EXPECT_EQ(contentsOf(file), encoded(store.snapshot()));
}

TEST_F(AppDataStoreTest, RefusedInputChangesNothingAndSaysWhyInChinese) {
    auto& store = startWith({bookmark("a", 0)});
    const ChangeCounter changes(store);
    const auto before = contentsOf(file);
    const auto refusal = [](const auto& result) {
        return result ? std::string("accepted") : result.error().description();
    };
    const std::string badURL = "仅支持有效的 HTTP 或 HTTPS 网址";
    const std::string badTitle = "标题长度必须为 1 到 512 个字符";
    EXPECT_EQ(refusal(store.addBookmarkThrowing("ftp://files.example/", "Files")), badURL);
    EXPECT_EQ(refusal(store.recordVisitThrowing("javascript:alert(1)", "x")), badURL);
    EXPECT_EQ(refusal(store.addBookmarkThrowing("https://b.example/", "   ")), badTitle);
    EXPECT_EQ(refusal(store.recordVisitThrowing("https://b.example/", std::string(513, 'x'))),
              badTitle);
    EXPECT_EQ(refusal(store.removeBookmark("")), "记录 ID 无效");
    EXPECT_EQ(refusal(store.removeBookmark("a.b")), "记录 ID 无效");
    EXPECT_EQ(changes.count(), 0);
    EXPECT_EQ(contentsOf(file), before);
}

TEST_F(AppDataStoreTest, NewBookmarkGoesFirstAndAfterTheUncategorizedOnes) {
    auto& store = startWith(
        {bookmark("a", 0), bookmark("b", 1), bookmark("c", 0, "reading"), bookmark("d", 2)},
        {BookmarkCategory{"reading", "Reading", 0, 1}});
    const auto added = store.addBookmarkThrowing("https://news.example:8080/today?p=2", " News ");
    ASSERT_TRUE(added);
    EXPECT_THAT(added->id, MatchesRegex("b-[0-9a-f]+-[0-9a-f]{32}"));
    EXPECT_EQ(added->title, "News");
    EXPECT_EQ(added->position, 3U);
    EXPECT_EQ(added->createdAt, fixedTime);
    EXPECT_EQ(added->faviconURL, "https://news.example:8080/favicon.ico");
    EXPECT_EQ(store.snapshot().bookmarks.front(), *added);
    EXPECT_EQ(contentsOf(file), encoded(store.snapshot()));
}

TEST_F(AppDataStoreTest, ChangesThatFindNothingToDoStillSaveAndAnnounce) {
    auto& store = startWith({bookmark("a", 0)});
    const ChangeCounter changes(store);
    const auto before = store.snapshot();

    std::filesystem::remove(file);
    EXPECT_EQ(store.addBookmarkThrowing("  https://a.example/ ", "Another title"),
              before.bookmarks.front());
    EXPECT_EQ(contentsOf(file), encoded(before));
    std::filesystem::remove(file);
    EXPECT_EQ(store.removeBookmark("nobody"), false);
    EXPECT_EQ(contentsOf(file), encoded(before));
    EXPECT_EQ(changes.count(), 2);
}

TEST_F(AppDataStoreTest, SettingsObeyTheRulesOfTheFileOrAreRefusedWhole) {
    auto& store = startWith({});
    AppSettings settings;
    settings.defaultOpacity = 0;
    settings.themePreference = "Dark";
    settings.defaultAlwaysOnTop = true;
    settings.nextWindowShortcut = "  Control+Shift+N ";
    ASSERT_TRUE(store.updateSettings(settings));
    AppSettings expected;
    expected.defaultOpacity = 0.1;
    expected.nextWindowShortcut = "Control+Shift+N";
    EXPECT_EQ(store.snapshot().settings, expected);
    EXPECT_EQ(contentsOf(file), encoded(store.snapshot()));

    const ChangeCounter changes(store);
    settings.defaultOpacity = std::nan("");
    EXPECT_FALSE(store.updateSettings(settings));
    EXPECT_EQ(store.snapshot().settings, expected);
    EXPECT_EQ(changes.count(), 0);
}

// Lowers the file size limit, which binds root too, and ignores its signal.
struct FileSizeLimit {
    explicit FileSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &saved);
        const rlimit lowered{bytes, saved.rlim_max};
        setrlimit(RLIMIT_FSIZE, &lowered);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, handler);
    }
    void (*handler)(int) = std::signal(SIGXFSZ, SIG_IGN);
    rlimit saved{};
};

TEST_F(AppDataStoreTest, FailedSaveLeavesFileMemoryAndObserversUntouched) {
    auto& store = startWith({});
    const ChangeCounter changes(store);
    const auto fileBefore = contentsOf(file);
    ASSERT_TRUE(store.recordVisitThrowing("https://b.example/", "B"));
    const auto memoryBefore = store.snapshot();
    {
        const FileSizeLimit limit(64);
        EXPECT_FALSE(store.addBookmarkThrowing("https://c.example/", "C"));
        EXPECT_FALSE(store.flush());
    }
    EXPECT_EQ(contentsOf(file), fileBefore);
    EXPECT_EQ(namesIn(folder), dataFileAndLock);
    // The visit waits in memory for a save that succeeds.
    EXPECT_EQ(store.snapshot(), memoryBefore);
    ASSERT_TRUE(store.flush());
    EXPECT_EQ(contentsOf(file), encoded(memoryBefore));

    // A folder that cannot be created: its place is taken by a file.
    std::filesystem::remove_all(folder);
    writeText(folder, "in the way");
    const auto cleared = store.clearHistory();
    ASSERT_FALSE(cleared);
    EXPECT_THAT(cleared.error().description(), ::testing::HasSubstr(folder.string()));
    EXPECT_EQ(store.snapshot(), memoryBefore);
    EXPECT_EQ(changes.count(), 1);
    // Starting there is no failure either: the document lives in memory.
    EXPECT_EQ(AppDataStore(file, fixedClock).snapshot().bookmarks.size(), 21U);
}

TEST(DurableFileRead, AFileOfExactlyTheLimitIsReadAndOneByteMoreIsNot) {
    const TemporaryFolder temporary;
    const auto file = temporary.path() / "limit";
    writeText(file, std::string(4096, 'x'));
    EXPECT_EQ(DurableFile::read(file, 4096).value_or("").size(), 4096U);
    EXPECT_EQ(DurableFile::read(file, 4095).error(), std::errc::file_too_large);
}

TEST(AppDataStoreStamps, IdentifiersAndTimeStamps) {
    const auto first = AppDataStore::makeIdentifier("h", 0x18bcfe56800);
    EXPECT_THAT(first, MatchesRegex("h-18bcfe56800-[0-9a-f]{32}"));
    EXPECT_NE(first, AppDataStore::makeIdentifier("h", 0x18bcfe56800));
    const std::chrono::system_clock::time_point epoch;
    EXPECT_EQ(AppDataStore::timestamp(epoch - std::chrono::hours(24)), 1U);
    EXPECT_EQ(AppDataStore::timestamp(epoch + std::chrono::microseconds(1'700'000'000'123'999)),
              1'700'000'000'123U);
}

TEST(AppDataStoreAddresses, ComparisonKeyIgnoresCaseAndDefaultPortsOnly) {
    const std::vector<std::pair<std::string, std::optional<std::string>>> cases = {
        {"HTTPS://WWW.ZHIHU.COM:443", "https://www.zhihu.com/"},
        {" http://Example.com:80/Path?Q=1#F ", "http://example.com/Path?Q=1#F"},
        {"http://example.com:0080/", "http://example.com/"},
        {"https://example.com:80/", "https://example.com:80/"},
        {"http://example.com:443/", "http://example.com:443/"},
        {"ftp://example.com/", std::nullopt},
        {"https:/no-host", std::nullopt},
    };
    for (const auto& [address, key] : cases) {
        EXPECT_EQ(AppDataStore::normalizedURLKey(address), key) << address;
    }
}

TEST(AppDataStoreLocation, DataFileLivesUnderTheXdgDataFolder) {
    const auto setVariable = [](const char* value) {
        value ? setenv("XDG_DATA_HOME", value, 1) : unsetenv("XDG_DATA_HOME");
    };
    const char* original = std::getenv("XDG_DATA_HOME");
    const std::optional<std::string> saved =
        original ? std::optional<std::string>(original) : std::nullopt;
    std::vector<std::filesystem::path> paths;
    // Empty and relative values are ignored like a missing one.
    for (const char* value :
         {"/srv/data", "", "relative/data", static_cast<const char*>(nullptr)}) {
        setVariable(value);
        paths.push_back(AppDataStore::defaultPath());
    }
    setVariable(saved ? saved->c_str() : nullptr);
    const auto underHome =
        std::filesystem::path(g_get_home_dir()) / ".local/share/com.orvantis.velumo/app-data.json";
    EXPECT_THAT(paths, ElementsAre("/srv/data/com.orvantis.velumo/app-data.json", underHome,
                                   underHome, underHome));
}

}  // namespace
}  // namespace velumo
