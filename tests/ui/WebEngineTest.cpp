// The floating windows' web engine: loaded apart from the program, with a
// page prepared ahead for the next window.
#include <filesystem>
#include <fstream>

#include <gmock/gmock.h>

#include "FakeApplication.h"
#include "FloatingWindowFixture.h"
#include "browser/WebEngine.h"

namespace velumo::uitest {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using WebEngineModule = FloatingWindowTest;

TEST_F(WebEngineModule, OneThatCannotBeLoadedIsExplainedAtEveryRequestAndOpensNothing) {
    const auto notAModule = folder_ / "velumo_web_engine.so";
    std::ofstream(notAModule) << "not a module";
    for (const std::string& path : {notAModule.string(), std::string()}) {
        FakeWindow::Log log;
        FakeApplication alerts(log);
        manager_.setApplicationPort(&alerts);
        manager_.setWindowFactory(
            WebEngine::loadingFactory({store_, launcher_, &ScreenLayout::ofDisplay}, alerts, path));
        EXPECT_FALSE(manager_.createWindow(server_.url("/"), BrowserWindowMode::window));
        EXPECT_FALSE(manager_.createWindow(std::nullopt, BrowserWindowMode::window));
        const std::string alert = std::string("alert:") + WebEngine::unavailableMessage + "|" +
                                  WebEngine::unavailableInformative + "\n";
        const std::string reason = path.empty() ? "找不到 velumo_web_engine.so" : path;
        EXPECT_THAT(log, ElementsAre(HasSubstr(alert + reason), HasSubstr(alert + reason)));
        EXPECT_TRUE(manager_.windows().empty());
        manager_.setApplicationPort(nullptr);
    }
}

// Real windows over a session of their own whose prepared page comes 0.2 s
// after a page showed and waits 1.5 s once the last window closed.
class SparePage : public FloatingWindowTest {
  protected:
    SparePage()
        : warm_(folder_ / "warm-data", folder_ / "warm-cache", std::chrono::milliseconds(1500),
                std::chrono::milliseconds(200)) {
        manager_.setWindowFactory(BrowserWindowController::factory(
            store_, launcher_, [this]() -> WebSession& { return warm_; },
            &ScreenLayout::ofDisplay));
        for (const char* name : {"/one", "/two", "/three"}) {
            server_.page(name, "<title>Page</title>");
        }
    }

    // The web processes this test's process started.
    static std::size_t webProcesses() {
        std::size_t count = 0;
        std::error_code ignored;
        for (const auto& task : std::filesystem::directory_iterator("/proc/self/task", ignored)) {
            std::ifstream children(task.path() / "children");
            for (std::string child; children >> child;) {
                std::string name;
                std::ifstream(std::filesystem::path("/proc") / child / "comm") >> name;
                count += name == "WebKitWebProces" ? 1 : 0;
            }
        }
        return count;
    }

    WebSession warm_;
};

TEST_F(SparePage, TheNextWindowTakesThePreparedViewWhichGoesWhenUnusedOrMemoryRunsLow) {
    EXPECT_EQ(warm_.spareView(), nullptr);
    auto first = open(server_.url("/one"));
    // One web process more than windows, once the page has arrived.
    ASSERT_TRUE(runUntil([&] { return warm_.spareView() != nullptr && webProcesses() == 2; }));
    const WebKitWebView* prepared = warm_.spareView();
    first->closePermanently();
    auto second = open(server_.url("/two"));
    EXPECT_EQ(second->webView(), prepared);
    EXPECT_FALSE(webkit_web_view_can_go_back(second->webView())) << "nothing before the page";
    ASSERT_TRUE(runUntil([&] { return warm_.spareView() != nullptr && webProcesses() == 2; }));

    // Low memory gives it up at once.
    GMemoryMonitor* memory = g_memory_monitor_dup_default();
    g_signal_emit_by_name(memory, "low-memory-warning", G_MEMORY_MONITOR_WARNING_LEVEL_LOW);
    g_object_unref(memory);
    EXPECT_EQ(warm_.spareView(), nullptr);
    EXPECT_TRUE(runUntil([&] { return webProcesses() == 1; }));

    // With no window open, one waits for a while, then no web process is left.
    second->closePermanently();
    auto third = open(server_.url("/three"));
    third->closePermanently();
    ASSERT_TRUE(runUntil([&] { return warm_.spareView() != nullptr && webProcesses() == 1; }));
    EXPECT_TRUE(runUntil([&] { return warm_.spareView() == nullptr && webProcesses() == 0; }));
}

}  // namespace
}  // namespace velumo::uitest
