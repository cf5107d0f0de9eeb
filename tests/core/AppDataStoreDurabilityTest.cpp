#include <algorithm>
#include <atomic>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <iterator>
#include <limits>
#include <random>
#include <set>
#include <string>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include <gtest/gtest.h>

#include "ChangeCounter.h"
#include "TemporaryFolder.h"
#include "data/AppDataSanitizer.h"
#include "data/AppDataStore.h"
#include "data/DurableFile.h"

namespace velumo {
namespace {

// The change numbers in the titles of the document's history ("visit 7")
// or bookmarks ("bookmark 5"), newest first; the seeded bookmarks have none.
std::vector<int> numbered(const AppDataSnapshot& document, bool bookmarks) {
    std::vector<int> numbers;
    const std::string prefix = bookmarks ? "bookmark " : "visit ";
    const auto add = [&](const std::string& title) {
        if (title.starts_with(prefix)) {
            numbers.push_back(std::stoi(title.substr(prefix.size())));
        }
    };
    if (bookmarks) {
        std::ranges::for_each(document.bookmarks, add, &Bookmark::title);
    } else {
        std::ranges::for_each(document.history, add, &HistoryEntry::title);
    }
    return numbers;
}

int newest(const std::vector<int>& numbers) {
    return numbers.empty() ? 0 : numbers.front();
}

// Every fifth change adds a bookmark, written before it returns; the others
// record visits, written by the store's own thread as they gather.
bool isBookmark(int change) {
    return change % 5 == 0;
}

// Makes changes 1, 2, 3, ... in the data file for ever, reporting each
// number on `report` once its call has returned. Never returns.
[[noreturn]] void changeUntilKilled(const std::filesystem::path& file, int report) {
    // Dies with the test, should the test die first.
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    // Visits are written a moment after they come, so kills land in those
    // writes as well as in the bookmarks'.
    AppDataStore store(file, AppDataStore::systemClock(), std::chrono::milliseconds(1));
    const auto snapshot = store.snapshot();
    int change = std::max(newest(numbered(snapshot, false)), newest(numbered(snapshot, true)));
    for (;; ++change) {
        if (::write(report, &change, sizeof change) != sizeof change) {
            _exit(2);
        }
        const auto next = std::to_string(change + 1);
        const bool made =
            isBookmark(change + 1)
                ? store.addBookmarkThrowing("https://example.com/b" + next, "bookmark " + next)
                      .has_value()
                : store.recordVisitThrowing("https://example.com/" + next, "visit " + next)
                      .has_value();
        if (!made) {
            _exit(3);
        }
    }
}

TEST(AppDataStoreDurability, KilledWriterLeavesAWholeDocumentWithEveryBookmark) {
    TemporaryFolder temporary;
    const auto file = temporary.path() / "app-data.json";
    std::mt19937 random(20240611);
    std::uniform_int_distribution<int> delayMicroseconds(0, 8'000);
    int known = 0;
    constexpr int kills = 200;

    for (int kill = 0; kill < kills; ++kill) {
        SCOPED_TRACE("kill " + std::to_string(kill));
        int reports[2];
        ASSERT_EQ(::pipe2(reports, O_CLOEXEC), 0);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            ::close(reports[0]);
            changeUntilKilled(file, reports[1]);
        }
        ::close(reports[1]);
        // The last number reported is a change that had returned.
        const auto readReport = [&] {
            int reported = 0;
            if (::read(reports[0], &reported, sizeof reported) != sizeof reported) {
                return false;
            }
            known = reported;
            return true;
        };
        // However slow the machine, the kills are spread over the start-up
        // write, the first change and the changes after it.
        bool writing = true;
        for (int wait = 0; wait < kill % 3 && writing; ++wait) {
            writing = readReport();
        }
        std::this_thread::sleep_for(std::chrono::microseconds(delayMicroseconds(random)));
        ::kill(child, SIGKILL);
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(writing && WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL)
            << "the writer stopped by itself with status " << status;
        while (readReport()) {
        }
        ::close(reports[0]);

        const auto contents = DurableFile::read(file, std::numeric_limits<std::size_t>::max());
        if (!contents && known == 0) {
            continue;  // Killed before the very first file was in place.
        }
        ASSERT_TRUE(contents);
        const auto document = AppDataSanitizer::decode(*contents);
        ASSERT_TRUE(document) << *contents;
        // Every bookmark whose call returned is there, and at most the one
        // being added besides.
        const auto bookmarks = numbered(*document, true);
        const int lastBookmark = known - known % 5;
        ASSERT_TRUE(newest(bookmarks) == lastBookmark ||
                    (isBookmark(known + 1) && newest(bookmarks) == known + 1))
            << "file holds bookmark " << newest(bookmarks) << ", last returned " << known;
        ASSERT_EQ(bookmarks.size(), static_cast<std::size_t>(newest(bookmarks) / 5));
        ASSERT_EQ(document->bookmarks.size(), 21U + bookmarks.size());
        // The history is one consistent document, not a mixture: each visit
        // made, newest first, without a gap, up to at least the one before
        // the newest bookmark (its save wrote the visits waiting).
        const auto visits = numbered(*document, false);
        const int newestVisit = newest(visits);
        ASSERT_GE(newestVisit, newest(bookmarks) - 1);
        ASSERT_LE(newestVisit, known + 1);
        ASSERT_EQ(visits.size(), std::min<std::size_t>(newestVisit - newestVisit / 5, 50));
        for (std::size_t i = 1; i < visits.size(); ++i) {
            const int before = visits[i - 1] - 1;
            ASSERT_EQ(visits[i], isBookmark(before) ? before - 1 : before);
        }
        known = std::max(newest(bookmarks), newestVisit);
    }
    // The next start clears away whatever the interrupted saves left behind.
    const AppDataStore restarted(file);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(temporary.path()), {}), 2);
}

TEST(AppDataStoreDurability, TwoProcessesOnOneFileBothKeepTheirVisits) {
    TemporaryFolder temporary;
    const auto file = temporary.path() / "app-data.json";
    int start[2];
    ASSERT_EQ(::pipe2(start, O_CLOEXEC), 0);
    std::vector<pid_t> children;
    for (const std::string name : {"a", "b"}) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            prctl(PR_SET_PDEATHSIG, SIGKILL);
            ::close(start[1]);
            char go = 0;
            [[maybe_unused]] const auto started = ::read(start[0], &go, 1);
            AppDataStore store(file);
            for (int visit = 0; visit < 20; ++visit) {
                const auto title = name + "-" + std::to_string(visit);
                if (!store.recordVisitThrowing("https://example.com/" + title, title) ||
                    !store.flush()) {
                    _exit(1);
                }
            }
            _exit(0);
        }
        children.push_back(child);
    }
    ::close(start[0]);
    ::close(start[1]);
    for (const pid_t child : children) {
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    }
    std::set<std::string> titles;
    for (const auto& entry : AppDataStore(file).snapshot().history) {
        titles.insert(entry.title);
    }
    EXPECT_EQ(titles.size(), 40U);
}

TEST(AppDataStoreDurability, ConcurrentChangesAreSavedOneByOneAndEachAnnouncedOnce) {
    TemporaryFolder temporary;
    const auto file = temporary.path() / "app-data.json";
    AppDataStore store(file);
    ChangeCounter changes(store);
    std::atomic<int> succeeded{0};
    constexpr int threads = 4;
    constexpr int rounds = 15;

    std::vector<std::thread> workers;
    for (int t = 0; t < threads; ++t) {
        workers.emplace_back([&, t] {
            for (int i = 0; i < rounds; ++i) {
                const auto tag = std::to_string(t) + "-" + std::to_string(i);
                succeeded += store.recordVisitThrowing("https://example.com/" + tag, tag) ? 1 : 0;
                const auto added = store.addBookmarkThrowing("https://b.example/" + tag, tag);
                succeeded += added ? 1 : 0;
                if (added && i % 3 == 0) {
                    succeeded += store.removeBookmark(added->id).value_or(false) ? 1 : 0;
                }
                // Refused before the lock: neither counted nor announced.
                succeeded += store.addBookmarkThrowing("ftp://x/", tag) ? 1 : 0;
            }
        });
    }
    for (auto& worker : workers) {
        worker.join();
    }

    constexpr int removed = threads * ((rounds + 2) / 3);
    EXPECT_EQ(succeeded, threads * rounds * 2 + removed);
    EXPECT_EQ(changes.count(), succeeded);
    const auto snapshot = store.snapshot();
    EXPECT_EQ(snapshot.history.size(), 50U);
    EXPECT_EQ(snapshot.bookmarks.size(), 21U + threads * rounds - removed);
    ASSERT_TRUE(store.flush());
    EXPECT_EQ(DurableFile::read(file, std::numeric_limits<std::size_t>::max()).value(),
              AppDataSanitizer::encode(snapshot).value());
}

}  // namespace
}  // namespace velumo
