#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "FakeApplication.h"
#include "FakeWindow.h"
#include "NotificationCenter.h"
#include "PendingTurns.h"
#include "TemporaryFolder.h"
#include "browser/StateStore.h"
#include "data/AddressResolver.h"
#include "data/AppDataStore.h"
#include "data/DurableFile.h"

namespace velumo {
namespace {

using Log = FakeWindow::Log;

class WindowSet : public ::testing::Test {
  protected:
    WindowSet() {
        manager.setApplicationPort(&application);
        manager.setWindowFactory(FakeWindow::factory(log, made));
        // Notifications go to the log too, named after their object.
        token = NotificationCenter::defaultCenter().addObserver(
            std::string(browserWindowsDidChange), nullptr, [this](const Notification& n) {
                const auto* window = static_cast<const FloatingWindow*>(n.object);
                log.push_back("post:" +
                              (n.object == &manager ? "manager" : window->displayTitle()));
            });
    }
    ~WindowSet() override { runPendingTurns(); }

    std::shared_ptr<FakeWindow> window(std::size_t number) const {
        return made.at(number - 1).lock();
    }

    void open(std::size_t count) {
        for (std::size_t i = 0; i < count; ++i) {
            manager.createWindow("https://example.com/" + std::to_string(i),
                                 BrowserWindowMode::window);
        }
        log.clear();
    }

    // Closes through a plain pointer, so only the manager keeps the window alive.
    void close(std::size_t number) {
        FloatingWindow* raw = window(number).get();
        raw->closePermanently();
    }

    TemporaryFolder folder;
    AppDataStore store{folder.path() / "app-data.json"};
    Log log;
    FakeApplication application{log};
    std::vector<std::weak_ptr<FakeWindow>> made;
    BrowserWindowManager manager{store};
    NotificationCenter::Token token;
};

TEST_F(WindowSet, CreatingAppendsMakesCurrentAnnouncesAndThenShows) {
    auto settings = store.snapshot().settings;
    settings.searchEngine = SearchEngine::duckduckgo;
    ASSERT_TRUE(store.updateSettings(settings));
    manager.createWindow("https://example.com/a", BrowserWindowMode::advertisement);
    manager.createWindow(std::nullopt, BrowserWindowMode::window);

    EXPECT_EQ(log, (Log{"post:manager", "w1:show", "post:manager", "w2:show"}));
    EXPECT_EQ(manager.windows(),
              (std::vector<std::shared_ptr<FloatingWindow>>{window(1), window(2)}));
    EXPECT_EQ(manager.activeWindow(), window(2));
    EXPECT_EQ(window(1)->currentURL(), "https://example.com/a");
    // Without an address the chosen search engine's home page opens.
    EXPECT_EQ(window(2)->currentURL(), homeURL(SearchEngine::duckduckgo));
}

TEST_F(WindowSet, FiveWindowsHiddenOrNotAreTheLimitUntilOneCloses) {
    open(5);
    manager.hideAll();
    EXPECT_EQ(log, (Log{"w1:hide", "w2:hide", "w3:hide", "w4:hide", "w5:hide"}));
    log.clear();

    manager.createWindow("https://example.com/six", BrowserWindowMode::window);
    EXPECT_EQ(log, (Log{"alert:最多同时打开 5 个浮窗|请先关闭一个不再使用的窗口。"}));

    close(3);
    manager.createWindow("https://example.com/six", BrowserWindowMode::window);
    EXPECT_EQ(made.size(), 6U);
    EXPECT_EQ(manager.windows().size(), 5U);
}

TEST_F(WindowSet, ClosingTheCurrentWindowMakesTheLastRemainingOneCurrent) {
    open(3);
    manager.markActive(*window(1));
    manager.markActive(*window(2));
    close(2);
    // Not the window that was current before.
    EXPECT_EQ(manager.activeWindow(), window(3));
    EXPECT_EQ(log, (Log{"post:manager", "w2:closed"}));
    close(1);
    EXPECT_EQ(manager.activeWindow(), window(3));
    close(3);
    EXPECT_EQ(manager.activeWindow(), nullptr);
    EXPECT_EQ(manager.nextIndex(), -1);
}

TEST_F(WindowSet, RemovingClampsTheSteppingIndexAndIgnoresStrangers) {
    open(3);
    manager.showAdjacentWindow(-1);  // from w3 to w2
    ASSERT_EQ(manager.nextIndex(), 1);
    close(1);
    EXPECT_EQ(manager.nextIndex(), 1);
    close(3);
    EXPECT_EQ(manager.nextIndex(), 0);

    FakeWindow stranger("x", "https://example.com/x", log, manager);
    log.clear();
    manager.markActive(stranger);
    EXPECT_EQ(manager.activeWindow(), window(2));
    manager.remove(stranger);
    EXPECT_EQ(log, (Log{"post:manager"}));
    EXPECT_EQ(manager.windows().size(), 1U);
}

TEST_F(WindowSet, AWindowThatRemovesItselfLivesUntilTheNextMainLoopTurn) {
    open(2);
    std::weak_ptr<FakeWindow> first = window(1);
    close(1);  // Under AddressSanitizer, touching a freed window fails here.
    EXPECT_FALSE(first.expired());
    EXPECT_EQ(manager.windows().size(), 1U);
    runPendingTurns();
    EXPECT_TRUE(first.expired());
}

TEST_F(WindowSet, SteppingWrapsAroundAndHidesTheWindowLeftBehind) {
    open(1);
    manager.showAdjacentWindow(+1);
    EXPECT_EQ(log, (Log{"w1:move", "w1:front", "w1:key", "activate", "post:w1"}));

    open(2);
    manager.showAdjacentWindow(+1);
    EXPECT_EQ(log, (Log{"w3:hide", "w1:move", "w1:front", "w1:key", "activate", "post:w1"}));
    EXPECT_EQ(manager.activeWindow(), window(1));
    EXPECT_EQ(manager.nextIndex(), 0);
    log.clear();
    manager.showAdjacentWindow(-1);
    EXPECT_EQ(log, (Log{"w1:hide", "w3:move", "w3:front", "w3:key", "activate", "post:w3"}));
    EXPECT_EQ(manager.nextIndex(), 2);
}

TEST_F(WindowSet, BossKeyTogglesTheCurrentWindowUnlessItSitsOnAnotherScreen) {
    open(2);
    manager.markActive(*window(1));
    const Log broughtForward{"w1:move", "w1:front", "w1:key", "activate", "post:w1"};

    manager.toggleBossVisibility();
    EXPECT_EQ(log, (Log{"w1:move", "w1:hide"}));
    log.clear();
    manager.toggleBossVisibility();
    EXPECT_EQ(log, broughtForward);

    // Visible, but on another screen than the pointer: moved there and shown.
    window(1)->movesToPointer = true;
    log.clear();
    manager.toggleBossVisibility();
    EXPECT_EQ(log, broughtForward);
}

TEST_F(WindowSet, BossKeyBringsBackTheWindowItHidWhateverTheDesktopFocusedMeanwhile) {
    open(3);
    manager.toggleBossVisibility();
    // The window manager gives the focus to another window when one hides.
    manager.markActive(*window(2));
    log.clear();
    manager.toggleBossVisibility();
    EXPECT_EQ(log, (Log{"w3:move", "w3:front", "w3:key", "activate", "post:w3"}));
    EXPECT_EQ(manager.activeWindow(), window(3));

    // Another command in between: the press acts on the current window again.
    manager.toggleBossVisibility();
    manager.markActive(*window(2));
    manager.hideAll();
    log.clear();
    manager.toggleBossVisibility();
    EXPECT_EQ(log, (Log{"w2:move", "w2:front", "w2:key", "activate", "post:w2"}));
    // So does a window closed since it was hidden.
    manager.toggleBossVisibility();
    manager.markActive(*window(1));
    close(2);
    log.clear();
    manager.toggleBossVisibility();
    EXPECT_EQ(log, (Log{"w1:move", "w1:front", "w1:key", "activate", "post:w1"}));
}

// Only coming back from the boss key or ghost-off makes a ghost take the
// pointer again; other ways of showing it leave it as the person set it.
TEST_F(WindowSet, GhostsTakeThePointerAgainOnlyWhenTheBossKeyBringsThemBackOrOnGhostOff) {
    open(3);
    window(1)->ghost = true;
    window(3)->ghost = true;
    manager.toggleBossVisibility();
    manager.toggleBossVisibility();
    EXPECT_EQ(log, (Log{"w3:move", "w3:hide", "w3:move", "w3:solid", "w3:front", "w3:key",
                        "activate", "post:w3"}));

    // Visible, only moved to the pointer's screen.
    window(3)->ghost = true;
    window(3)->movesToPointer = true;
    manager.toggleBossVisibility();
    manager.showAll();
    manager.bringForward(*window(1));
    manager.showAdjacentWindow(+1);
    EXPECT_TRUE(window(1)->ghost && window(3)->ghost);

    log.clear();
    manager.endGhosts();
    EXPECT_EQ(log, (Log{"w1:solid", "w3:solid"}));
}

TEST_F(WindowSet, HotKeysWithNoWindowShowTheWorkbench) {
    int presented = 0;
    manager.toggleBossVisibility();  // no presenter yet: nothing happens
    manager.setWorkbenchPresenter([&] { ++presented; });
    manager.toggleBossVisibility();
    manager.showAdjacentWindow(+1);
    manager.showAdjacentWindow(-1);
    EXPECT_EQ(presented, 3);
    EXPECT_TRUE(log.empty());
}

TEST_F(WindowSet, ShowAllBringsEachForwardInOrderThenActivatesOnce) {
    open(2);
    manager.markActive(*window(1));
    manager.showAll();
    EXPECT_EQ(log,
              (Log{"w1:front", "w1:key", "post:w1", "w2:front", "w2:key", "post:w2", "activate"}));
    EXPECT_EQ(manager.activeWindow(), window(2));
}

TEST_F(WindowSet, CloseAllAsksFirstAndClosesEveryWindowWhileEachRemovesItself) {
    manager.closeAll();
    EXPECT_TRUE(log.empty());

    open(3);
    application.answer = 1;
    manager.closeAll();
    EXPECT_EQ(log, (Log{"alert:关闭全部浮窗？|所有正在播放的页面都会停止。|关闭全部|取消"}));

    log.clear();
    window(2)->closing = true;  // already on its way out: not closed twice
    application.answer = 0;
    manager.closeAll();
    EXPECT_EQ(log, (Log{"alert:关闭全部浮窗？|所有正在播放的页面都会停止。|关闭全部|取消",
                        "post:manager", "w1:closed", "post:manager", "w3:closed"}));
    EXPECT_EQ(manager.windows(), (std::vector<std::shared_ptr<FloatingWindow>>{window(2)}));
}

TEST_F(WindowSet, WindowsAreKeptAsTheyChangeAndComeBackAtTheNextStartHiddenOrNot) {
    StateStore state(folder.path() / "state.json", std::chrono::hours(1));
    manager.setStateStore(&state);
    open(3);
    window(2)->restored.opacity = 0.5;
    window(2)->visible = false;
    manager.windowStateChanged();
    close(3);
    const auto kept = [&] {
        std::vector<std::string> windows;
        for (const auto& window : state.snapshot().windows) {
            windows.push_back(window.url + (window.hidden ? " hidden" : ""));
        }
        return windows;
    };
    const std::vector<std::string> two{"https://example.com/0", "https://example.com/1 hidden"};
    EXPECT_EQ(kept(), two) << "a window closed by hand is forgotten";

    // Closing them as the run ends forgets nothing.
    manager.keepWindowsForNextStart();
    manager.closeEveryWindow();
    EXPECT_EQ(kept(), two);
    EXPECT_EQ(SavedState::decode(*DurableFile::read(state.path(), 1 << 20))->windows.size(), 2U);

    manager.setStateStore(&state);
    log.clear();
    manager.restoreWindows();
    EXPECT_EQ(log, (Log{"w4:restore", "w4:show", "w5:restore", "post:manager"}));
    EXPECT_EQ(window(5)->restored.opacity, 0.5);
    EXPECT_EQ(manager.activeWindow(), window(4));
    EXPECT_EQ(kept(), two);

    manager.closeEveryWindow();
    state.change([](SavedState& saved) {
        saved.restoreWindows = false;
        saved.windows.resize(1);
    });
    log.clear();
    manager.restoreWindows();
    EXPECT_EQ(log, Log{});
}

}  // namespace
}  // namespace velumo
