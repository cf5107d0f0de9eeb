#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include <glib.h>
#include <gtest/gtest.h>

#include "NotificationCenter.h"
#include "browser/BrowserWindowManager.h"
#include "data/AddressResolver.h"
#include "data/AppDataStore.h"

namespace velumo {
namespace {

using Log = std::vector<std::string>;

// Records every call in the shared log as "name:call". Making a window key
// reports it to the manager, as the desktop's focus handler does.
class FakeWindow final : public FloatingWindow {
  public:
    FakeWindow(BrowserWindowManager& manager, std::string name, std::string url, Log& log)
        : manager_(manager), name_(std::move(name)), url_(std::move(url)), log_(log) {}

    void showWindow() override {
        visible = true;
        record("show");
    }
    void hideWindow() override {
        visible = false;
        record("hide");
    }
    void toggleVisibility() override { visible = !visible; }
    bool moveToMouseScreenIfNeeded() override {
        record("move");
        return movesToPointer;
    }
    void orderFrontRegardless() override {
        visible = true;
        record("front");
    }
    void makeKey() override {
        record("key");
        manager_.markActive(*this);
    }
    bool isVisible() const override { return visible; }
    // Removes itself from the manager from inside its own close, then goes on
    // touching its members, as the desktop's close handler does.
    void closePermanently() override {
        if (closing) {
            return;
        }
        closing = true;
        manager_.remove(*this);
        record("closed");
    }
    bool isClosing() const override { return closing; }
    std::string displayTitle() const override { return name_; }
    std::string currentURL() const override { return url_; }
    BrowserWindowMode mode() const override { return BrowserWindowMode::window; }

    bool visible = false;
    bool closing = false;
    bool movesToPointer = false;

  private:
    void record(const std::string& call) { log_.push_back(name_ + ":" + call); }

    BrowserWindowManager& manager_;
    std::string name_;
    std::string url_;
    Log& log_;
};

struct Alert {
    std::string message;
    std::string informative;
    std::vector<std::string> buttons;
    bool operator==(const Alert&) const = default;
};

class FakeApplication final : public ApplicationPort {
  public:
    explicit FakeApplication(Log& log) : log_(log) {}

    std::size_t runAlert(const std::string& message, const std::string& informative,
                         const std::vector<std::string>& buttons) override {
        alerts.push_back({message, informative, buttons});
        return answer;
    }
    void activateApplication() override { log_.push_back("activate"); }

    std::vector<Alert> alerts;
    std::size_t answer = 0;

  private:
    Log& log_;
};

class WindowSet : public ::testing::Test {
  protected:
    WindowSet() {
        manager.setApplicationPort(&application);
        manager.setWindowFactory(
            [this](BrowserWindowManager& owner, const std::string& url, BrowserWindowMode) {
                auto window = std::make_shared<FakeWindow>(
                    owner, "w" + std::to_string(made.size() + 1), url, log);
                made.push_back(window);
                return window;
            });
        // Notifications go to the log too, named after their object.
        token = NotificationCenter::defaultCenter().addObserver(
            std::string(browserWindowsDidChange), nullptr,
            [this](const Notification& n) { log.push_back("post:" + nameOf(n.object)); });
    }

    ~WindowSet() override {
        runPendingTurns();
        std::filesystem::remove_all(folder);
    }

    static std::filesystem::path makeFolder() {
        char* path = g_dir_make_tmp("velumo-windows-XXXXXX", nullptr);
        std::filesystem::path folder(path);
        g_free(path);
        return folder;
    }

    static void runPendingTurns() {
        while (g_main_context_iteration(nullptr, FALSE)) {
        }
    }

    std::string nameOf(const void* object) const {
        if (object == &manager) {
            return "manager";
        }
        for (const auto& weak : made) {
            if (auto window = weak.lock(); window && window.get() == object) {
                return window->displayTitle();
            }
        }
        return "?";
    }

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

    std::filesystem::path folder = makeFolder();
    AppDataStore store{folder / "app-data.json"};
    Log log;
    FakeApplication application{log};
    std::vector<std::weak_ptr<FakeWindow>> made;
    BrowserWindowManager manager{store};
    NotificationCenter::Token token;
};

TEST_F(WindowSet, CreatingAppendsMakesCurrentAnnouncesAndThenShows) {
    manager.createWindow("https://example.com/a", BrowserWindowMode::advertisement);
    manager.createWindow("https://example.com/b", BrowserWindowMode::window);

    EXPECT_EQ(log, (Log{"post:manager", "w1:show", "post:manager", "w2:show"}));
    ASSERT_EQ(manager.windows().size(), 2U);
    EXPECT_EQ(manager.windows()[0], window(1));
    EXPECT_EQ(manager.activeWindow(), window(2));
    EXPECT_EQ(window(1)->currentURL(), "https://example.com/a");
}

TEST_F(WindowSet, WithoutAnAddressTheChosenSearchEnginesHomePageOpens) {
    auto settings = store.snapshot().settings;
    settings.searchEngine = SearchEngine::duckduckgo;
    ASSERT_TRUE(store.updateSettings(settings));

    manager.createWindow(std::nullopt, BrowserWindowMode::window);
    EXPECT_EQ(window(1)->currentURL(), homeURL(SearchEngine::duckduckgo));
}

TEST_F(WindowSet, FiveWindowsHiddenOrNotAreTheLimitUntilOneCloses) {
    open(5);
    manager.hideAll();
    log.clear();

    manager.createWindow("https://example.com/six", BrowserWindowMode::window);
    EXPECT_EQ(application.alerts,
              (std::vector<Alert>{{"最多同时打开 5 个浮窗", "请先关闭一个不再使用的窗口。", {}}}));
    EXPECT_EQ(made.size(), 5U);
    EXPECT_TRUE(log.empty());

    close(3);
    manager.createWindow("https://example.com/six", BrowserWindowMode::window);
    EXPECT_EQ(made.size(), 6U);
    EXPECT_EQ(manager.windows().size(), 5U);
    EXPECT_EQ(application.alerts.size(), 1U);
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
    EXPECT_TRUE(manager.windows().empty());
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

    FakeWindow stranger(manager, "x", "https://example.com/x", log);
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
    open(3);
    manager.showAdjacentWindow(+1);
    EXPECT_EQ(log, (Log{"w3:hide", "w1:move", "w1:front", "w1:key", "activate", "post:w1"}));
    EXPECT_EQ(manager.activeWindow(), window(1));
    EXPECT_EQ(manager.nextIndex(), 0);

    log.clear();
    manager.showAdjacentWindow(-1);
    EXPECT_EQ(log, (Log{"w1:hide", "w3:move", "w3:front", "w3:key", "activate", "post:w3"}));
    EXPECT_EQ(manager.nextIndex(), 2);

    manager.showAdjacentWindow(-1);
    EXPECT_EQ(manager.activeWindow(), window(2));
    EXPECT_FALSE(window(3)->visible);
    EXPECT_FALSE(window(1)->visible);
    EXPECT_TRUE(window(2)->visible);
}

TEST_F(WindowSet, SteppingWithOneVisibleWindowHidesNothing) {
    open(1);
    manager.showAdjacentWindow(+1);
    EXPECT_EQ(log, (Log{"w1:move", "w1:front", "w1:key", "activate", "post:w1"}));
    EXPECT_TRUE(window(1)->visible);
    EXPECT_EQ(manager.nextIndex(), 0);
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
    EXPECT_TRUE(window(2)->visible);

    // Visible, but on another screen than the pointer: moved there and shown.
    window(1)->movesToPointer = true;
    log.clear();
    manager.toggleBossVisibility();
    EXPECT_EQ(log, broughtForward);
    EXPECT_TRUE(window(1)->visible);
}

TEST_F(WindowSet, HotKeysWithNoWindowShowTheWorkbench) {
    int presented = 0;
    manager.toggleBossVisibility();
    manager.showAdjacentWindow(+1);  // no presenter yet: nothing happens

    manager.setWorkbenchPresenter([&] { ++presented; });
    manager.toggleBossVisibility();
    manager.showAdjacentWindow(+1);
    manager.showAdjacentWindow(-1);
    EXPECT_EQ(presented, 3);
    EXPECT_TRUE(log.empty());
}

TEST_F(WindowSet, ShowAllBringsEachForwardInOrderThenActivatesOnce) {
    manager.showAll();
    EXPECT_EQ(log, (Log{"activate"}));

    open(2);
    manager.hideAll();
    EXPECT_EQ(log, (Log{"w1:hide", "w2:hide"}));

    log.clear();
    manager.markActive(*window(1));
    manager.showAll();
    EXPECT_EQ(log,
              (Log{"w1:front", "w1:key", "post:w1", "w2:front", "w2:key", "post:w2", "activate"}));
    EXPECT_EQ(manager.activeWindow(), window(2));
}

TEST_F(WindowSet, CloseAllAsksFirstAndClosesEveryWindowWhileEachRemovesItself) {
    manager.closeAll();
    EXPECT_TRUE(application.alerts.empty());

    open(3);
    application.answer = 1;
    manager.closeAll();
    const Alert confirmation{
        "关闭全部浮窗？", "所有正在播放的页面都会停止。", {"关闭全部", "取消"}};
    EXPECT_EQ(application.alerts, (std::vector<Alert>{confirmation}));
    EXPECT_EQ(manager.windows().size(), 3U);
    EXPECT_TRUE(log.empty());

    window(2)->closing = true;  // already on its way out: not closed twice
    application.answer = 0;
    manager.closeAll();
    EXPECT_EQ(log, (Log{"post:manager", "w1:closed", "post:manager", "w3:closed"}));
    ASSERT_EQ(manager.windows().size(), 1U);
    EXPECT_EQ(manager.windows()[0], window(2));

    runPendingTurns();
    EXPECT_EQ(window(1), nullptr);
    EXPECT_EQ(window(3), nullptr);
}

}  // namespace
}  // namespace velumo
