#include <string>
#include <vector>

#include <glib.h>
#include <gtest/gtest.h>

#include "MainQueue.h"
#include "NotificationCenter.h"

namespace velumo {
namespace {

TEST(NotificationCenter, DeliversByNameAndSenderUntilTheTokenGoes) {
    NotificationCenter center;
    int sender = 0;
    int other = 0;
    std::vector<std::string> seen;
    auto any = center.addObserver(
        "A", nullptr, [&](const Notification& n) { seen.push_back("any:" + std::string(n.name)); });
    auto fromSender = center.addObserver("A", &sender, [&](const Notification& n) {
        EXPECT_EQ(n.object, &sender);
        seen.push_back("sender");
    });

    center.post("A", &sender);
    center.post("A", &other);
    center.post("B", &sender);
    EXPECT_EQ(seen, (std::vector<std::string>{"any:A", "sender", "any:A"}));

    seen.clear();
    any.reset();
    { auto moved = std::move(fromSender); }
    center.post("A", &sender);
    EXPECT_TRUE(seen.empty());
}

TEST(NotificationCenter, ObserversMayRemoveAddAndPostFromTheirCallbacks) {
    NotificationCenter center;
    int removedCalls = 0;
    int inner = 0;
    NotificationCenter::Token removed;
    std::vector<NotificationCenter::Token> later;
    auto first = center.addObserver("A", nullptr, [&](const Notification&) {
        removed.reset();
        later.push_back(
            center.addObserver("inner", nullptr, [&](const Notification&) { ++inner; }));
        center.post("inner", nullptr);
    });
    removed = center.addObserver("A", nullptr, [&](const Notification&) { ++removedCalls; });
    center.post("A", nullptr);
    EXPECT_EQ(removedCalls, 0);
    EXPECT_EQ(inner, 1);
}

TEST(MainQueue, RunsStepsOnLaterTurnsInOrder) {
    std::vector<int> order;
    MainQueue::asyncAfter(std::chrono::milliseconds(20), [&] { order.push_back(3); });
    MainQueue::async([&] { order.push_back(1); });
    MainQueue::async([&] { order.push_back(2); });
    EXPECT_TRUE(order.empty());

    const gint64 deadline = g_get_monotonic_time() + G_USEC_PER_SEC * 5;
    while (order.size() < 3 && g_get_monotonic_time() < deadline) {
        g_main_context_iteration(nullptr, TRUE);
    }
    EXPECT_EQ(order, (std::vector<int>{1, 2, 3}));
}

TEST(MainQueue, ACancelledStepNeverRunsAndCancellingAgainIsHarmless) {
    std::vector<int> order;
    auto cancelled =
        MainQueue::asyncAfter(std::chrono::milliseconds(10), [&] { order.push_back(1); });
    auto ran = MainQueue::asyncAfter(std::chrono::milliseconds(30), [&] { order.push_back(2); });
    MainQueue::cancel(cancelled);
    EXPECT_EQ(cancelled, 0U);

    const gint64 deadline = g_get_monotonic_time() + G_USEC_PER_SEC * 5;
    while (order.empty() && g_get_monotonic_time() < deadline) {
        g_main_context_iteration(nullptr, TRUE);
    }
    EXPECT_EQ(order, std::vector<int>{2});
    // The ticket of a step that ran reaches no later step.
    MainQueue::asyncAfter(std::chrono::milliseconds(10), [&] { order.push_back(3); });
    MainQueue::cancel(ran);
    MainQueue::cancel(cancelled);
    while (order.size() < 2 && g_get_monotonic_time() < deadline) {
        g_main_context_iteration(nullptr, TRUE);
    }
    EXPECT_EQ(order, (std::vector<int>{2, 3}));
}

}  // namespace
}  // namespace velumo
