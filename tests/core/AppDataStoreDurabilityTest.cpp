#include <atomic>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <iterator>
#include <limits>
#include <random>
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

// The number in the newest history title "visit <n>", 0 without history.
int newestVisit(const AppDataSnapshot& document) {
    if (document.history.empty()) {
        return 0;
    }
    return std::stoi(document.history.front().title.substr(6));
}

// Records visits 1, 2, 3, ... in the data file for ever, reporting each
// number on `report` once its change has returned. Never returns.
[[noreturn]] void recordVisitsUntilKilled(const std::filesystem::path& file, int report) {
    // Dies with the test, should the test die first.
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    AppDataStore store(file);
    for (int visit = newestVisit(store.snapshot());; ++visit) {
        if (::write(report, &visit, sizeof visit) != sizeof visit) {
            _exit(2);
        }
        const auto next = std::to_string(visit + 1);
        if (!store.recordVisitThrowing("https://example.com/" + next, "visit " + next)) {
            _exit(3);
        }
    }
}

TEST(AppDataStoreDurability, KilledWriterLeavesTheDocumentBeforeOrAfterItsChange) {
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
            recordVisitsUntilKilled(file, reports[1]);
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
        const int newest = newestVisit(*document);
        ASSERT_TRUE(newest == known || newest == known + 1)
            << "file holds visit " << newest << ", last returned " << known;
        // The whole history is one consistent document, not a mixture.
        ASSERT_EQ(document->history.size(), static_cast<std::size_t>(std::min(newest, 50)));
        for (std::size_t i = 0; i < document->history.size(); ++i) {
            ASSERT_EQ(document->history[i].title, "visit " + std::to_string(newest - int(i)));
        }
        EXPECT_EQ(document->bookmarks.size(), 21U);
        known = newest;
    }
    // The next start clears away whatever the interrupted saves left behind.
    const AppDataStore restarted(file);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(temporary.path()), {}), 1);
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
    EXPECT_EQ(DurableFile::read(file, std::numeric_limits<std::size_t>::max()).value(),
              AppDataSanitizer::encode(snapshot).value());
}

}  // namespace
}  // namespace velumo
