#include <chrono>
#include <string>
#include <utility>
#include <vector>

#include <glib.h>
#include <gtest/gtest.h>

#include "browser/SparePagePlan.h"

namespace velumo {
namespace {

using Log = std::vector<std::string>;

struct Plan {
    Log log;
    SparePagePlan plan{{.prepare = [this] { log.push_back("prepare"); },
                        .giveUp = [this] { log.push_back("give up"); }},
                       std::chrono::milliseconds(30)};
    // The log since the last look.
    Log take() { return std::exchange(log, {}); }
};

void runFor(std::chrono::milliseconds time) {
    const gint64 end = g_get_monotonic_time() + time.count() * 1000;
    while (g_get_monotonic_time() < end) {
        g_main_context_iteration(nullptr, FALSE);
    }
}

TEST(SparePagePlan, OneIsReadyWhileAnotherWindowCanOpenAndGoesAfterTheIdleTime) {
    Plan p;
    p.plan.pageShown(1);
    p.plan.pageShown(2);
    EXPECT_EQ(p.take(), Log{"prepare"});
    p.plan.taken();
    p.plan.pageShown(3);
    EXPECT_EQ(p.take(), Log{"prepare"});
    // No sixth window can open.
    p.plan.pageShown(5);
    EXPECT_EQ(p.take(), Log{"give up"});
    p.plan.pageClosed(4);
    EXPECT_EQ(p.take(), Log{"prepare"});

    // The last window closed: the prepared page waits, unless a window opens meanwhile.
    p.plan.pageClosed(0);
    runFor(std::chrono::milliseconds(20));
    p.plan.pageShown(1);
    p.plan.pageClosed(0);
    runFor(std::chrono::milliseconds(20));
    EXPECT_EQ(p.take(), Log{});
    runFor(std::chrono::milliseconds(30));
    EXPECT_EQ(p.take(), Log{"give up"});
    EXPECT_FALSE(p.plan.ready());
}

TEST(SparePagePlan, LowMemoryOrALostProcessLeavesNoneUntilAPageShowsAgain) {
    Plan p;
    p.plan.pageShown(1);
    p.plan.memoryLow();
    p.plan.pageClosed(0);
    runFor(std::chrono::milliseconds(50));
    EXPECT_EQ(p.take(), (Log{"prepare", "give up"}));
    p.plan.pageShown(1);
    p.plan.lost();
    EXPECT_FALSE(p.plan.ready());
    p.plan.pageShown(1);
    EXPECT_EQ(p.take(), (Log{"prepare", "prepare"}));
}

TEST(SparePagePlan, APreparationAfterADelayIsDroppedWithWhatGivesUp) {
    Log log;
    SparePagePlan plan(
        {.prepare = [&] { log.push_back("prepare"); }, .giveUp = [&] { log.push_back("give up"); }},
        std::chrono::milliseconds(500), std::chrono::milliseconds(20));
    plan.pageShown(1);
    plan.pageShown(2);
    EXPECT_FALSE(plan.ready());
    runFor(std::chrono::milliseconds(40));
    EXPECT_EQ(log, Log{"prepare"});
    plan.taken();
    // Low memory, or the last window possible, before the delay ends.
    plan.pageShown(2);
    plan.memoryLow();
    plan.pageShown(4);
    plan.pageShown(5);
    runFor(std::chrono::milliseconds(40));
    EXPECT_EQ(log, Log{"prepare"});
    EXPECT_FALSE(plan.ready());
}

}  // namespace
}  // namespace velumo
