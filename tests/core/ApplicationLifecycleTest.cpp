#include <chrono>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "FakeApplication.h"
#include "FakeHotKeyService.h"
#include "FakeWindow.h"
#include "NotificationCenter.h"
#include "PendingTurns.h"
#include "TemporaryFolder.h"
#include "app/ApplicationLifecycle.h"
#include "data/AppDataStore.h"
#include "shell/HotKeyBackend.h"

namespace velumo {
namespace {

using Log = FakeWindow::Log;
using std::chrono::milliseconds;
const std::string noneActive = "目前没有生效的全局快捷键，可在“设置”中另选组合键。";

class RecordingShell final : public ApplicationShell {
  public:
    explicit RecordingShell(Log& log) : log_(log) {}

    void applyTheme(std::string_view preference) override {
        log_.push_back("theme:" + std::string(preference));
    }
    void createWorkbench() override { log_.push_back("create workbench"); }
    void prepareWorkbench() override { log_.push_back("prepare workbench"); }
    void showWorkbench() override { log_.push_back("show workbench"); }
    void createStatusItem() override { log_.push_back("create status item"); }
    void showSettings() override { log_.push_back("show settings"); }
    void quit() override { log_.push_back("quit"); }

  private:
    Log& log_;
};

struct QueuedStep {
    std::optional<milliseconds> delay;
    MainQueue::Step step;
};

class Lifecycle : public ::testing::Test {
  protected:
    Lifecycle() {
        windows.setApplicationPort(&application);
        windows.setWindowFactory(FakeWindow::factory(log, made));
    }
    ~Lifecycle() override { runPendingTurns(); }

    // Runs the steps queued so far, in their order, whatever their delay.
    void runQueued() {
        const auto steps = std::exchange(queued, {});
        for (const auto& queuedStep : steps) {
            queuedStep.step();
        }
    }
    void storeSettings(const std::function<void(AppSettings&)>& change) {
        AppSettings settings = store.snapshot().settings;
        change(settings);
        ASSERT_TRUE(store.updateSettings(settings));
    }

    TemporaryFolder folder;
    // Visits wait for the store's flush, never for its clock.
    AppDataStore store{folder.path() / "app-data.json", AppDataStore::systemClock(),
                       std::chrono::hours(24)};
    Log log;
    FakeApplication application{log};
    RecordingShell shell{log};
    FakeHotKeyService service;
    GlobalHotKeyManager hotKeys{&service};
    BrowserWindowManager windows{store};
    std::vector<std::weak_ptr<FakeWindow>> made;
    std::vector<QueuedStep> queued;
    // Its deferred steps wait in `queued`.
    std::unique_ptr<ApplicationLifecycle> makeLifecycle() {
        return std::make_unique<ApplicationLifecycle>(
            ApplicationLifecycle::Services{shell, application, store, windows, hotKeys},
            DeferredSteps{[this](MainQueue::Step step) {
                              queued.push_back({std::nullopt, std::move(step)});
                          },
                          [this](milliseconds delay, MainQueue::Step step) {
                              queued.push_back({delay, std::move(step)});
                          }});
    }
    std::unique_ptr<ApplicationLifecycle> lifecycle = makeLifecycle();
};

TEST_F(Lifecycle, LaunchRunsItsStepsInOrderAndBringsUpStatusIconAndWorkbenchTogetherLater) {
    storeSettings([](AppSettings& settings) { settings.themePreference = "dark"; });
    lifecycle->applicationDidFinishLaunching();

    EXPECT_EQ(log, (Log{"theme:dark"}));
    EXPECT_EQ(service.active(), (std::map<std::uint32_t, std::string>{
                                    {1, "11-2304"}, {2, "33-2304"}, {3, "30-2304"}}));
    ASSERT_EQ(queued.size(), 2U);
    EXPECT_EQ(queued[1].delay, milliseconds(150));

    runQueued();
    EXPECT_EQ(log, (Log{"theme:dark", "create workbench", "prepare workbench", "create status item",
                        "show workbench"}));
    // No floating window at start.
    EXPECT_TRUE(windows.windows().empty());
}

// A window opened by the launch's command line, or brought back from the
// last run, whose page is on its way.
TEST_F(Lifecycle, StatusIconAndWorkbenchWaitForThePagesTheLaunchOpened) {
    for (const bool arrives : {true, false}) {
        SCOPED_TRACE(arrives ? "arriving" : "never arriving");
        log.clear();
        queued.clear();
        made.clear();
        const auto launch = makeLifecycle();
        launch->applicationDidFinishLaunching();
        windows.createWindow("https://example.com/", BrowserWindowMode::window);
        made.back().lock()->arrived = false;
        runQueued();
        ASSERT_EQ(queued.size(), 1U);
        EXPECT_EQ(queued[0].delay, milliseconds(2000));
        EXPECT_EQ(log, (Log{"theme:system", "w1:show"}));

        log.clear();
        if (arrives) {
            made.back().lock()->arrived = true;
            made.back().lock()->announceChange();
            ASSERT_EQ(queued.size(), 2U);
            EXPECT_EQ(queued[1].delay, milliseconds(500));
            queued[1].step();
            EXPECT_EQ(log, (Log{"create workbench", "create status item", "show workbench"}));
        } else {
            // Asked for meanwhile, it is made then.
            EXPECT_TRUE(launch->applicationShouldHandleReopen());
            EXPECT_EQ(log, (Log{"create workbench", "show workbench", "activate"}));
        }
        log.clear();
        // The limit finishes the launch unless the arrival did.
        queued[0].step();
        EXPECT_EQ(log, arrives ? Log{} : (Log{"create status item", "show workbench"}));
        queued.clear();
        log.clear();
        windows.closeEveryWindow();
        EXPECT_EQ(log, (Log{"w1:closed"}));
    }
}

struct LaunchRefusal {
    const char* name;
    std::function<void(AppSettings&, FakeHotKeyService&)> arrange;
    const char* alert;
};

class LaunchWithRefusedHotKeys : public Lifecycle,
                                 public ::testing::WithParamInterface<LaunchRefusal> {};

TEST_P(LaunchWithRefusedHotKeys, AlertFollowsTheStepAndLaunchGoesOnWithoutHotKeys) {
    AppSettings stored;
    storeSettings([&](AppSettings& settings) {
        GetParam().arrange(settings, service);
        stored = settings;
    });
    lifecycle->applicationDidFinishLaunching();
    EXPECT_EQ(log, (Log{"theme:system"}));
    EXPECT_TRUE(service.active().empty());

    ASSERT_EQ(queued.size(), 3U);
    EXPECT_EQ(queued[0].delay, std::nullopt);
    runQueued();
    EXPECT_EQ(log, (Log{"theme:system", std::string("alert:") + GetParam().alert + "|" + noneActive,
                        "create workbench", "prepare workbench", "create status item",
                        "show workbench"}));
    EXPECT_EQ(store.snapshot().settings, stored);
}

// Nothing was registered before launch: the alert says that no hot key works.
INSTANTIATE_TEST_SUITE_P(
    StoredShortcuts, LaunchWithRefusedHotKeys,
    ::testing::Values(LaunchRefusal{"Unparsable",
                                    [](AppSettings& settings, FakeHotKeyService&) {
                                        settings.nextWindowShortcut = "Command+F1";
                                    },
                                    "快捷键格式无效，请按下带修饰键的组合键。"},
                      LaunchRefusal{"Duplicate",
                                    [](AppSettings& settings, FakeHotKeyService&) {
                                        settings.previousWindowShortcut = "Option+Command+B";
                                    },
                                    "三个快捷键不能重复，请重新设置。"},
                      LaunchRefusal{"TypingProducesIt",
                                    [](AppSettings& settings, FakeHotKeyService&) {
                                        settings.shortcut = "Shift+A";
                                    },
                                    "快捷键至少要包含 Super、Ctrl 或 Alt 中的一个键，只加 Shift "
                                    "会妨碍正常打字。"},
                      LaunchRefusal{"HeldByAnotherApplication",
                                    [](AppSettings&, FakeHotKeyService& service) {
                                        service.refusals["33-2304"] = HotKeyStatus::hotKeyExists;
                                    },
                                    "该快捷键已被系统或其他应用占用。"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(Lifecycle, ASetTheDesktopRefusesLaterIsToldOfAndTheStoredKeysFollowTheRestoredSet) {
    lifecycle->applicationDidFinishLaunching();
    runQueued();
    const AppSettings before = store.snapshot().settings;
    // Settings saved a new set, which the desktop accepted before it answered.
    ASSERT_TRUE(
        hotKeys.updateShortcuts("Control+Option+B", "Control+Option+[", "Control+Option+]"));
    storeSettings([](AppSettings& settings) {
        settings.shortcut = "Control+Option+B";
        settings.previousWindowShortcut = "Control+Option+[";
        settings.nextWindowShortcut = "Control+Option+]";
    });
    log.clear();
    service.observer({DesktopBindings::Answer::refused, {}});
    runPendingTurns();
    runQueued();
    EXPECT_EQ(log, (Log{"alert:桌面没有登记新的快捷键。|目前生效的快捷键：全局老板键 Super+Alt+B，"
                        "上一个浮窗 Super+Alt+[，下一个浮窗 Super+Alt+]。"}));
    EXPECT_EQ(store.snapshot().settings, before);

    // The restored set refused too: nothing to go back to, and nothing works.
    log.clear();
    service.observer({DesktopBindings::Answer::refused, {}});
    runPendingTurns();
    runQueued();
    EXPECT_EQ(log, (Log{"alert:桌面没有登记新的快捷键。|" + noneActive}));
    EXPECT_EQ(store.snapshot().settings, before);
}

TEST_F(Lifecycle, HotKeysDriveTheWindowSetAndReopeningShowsTheWorkbench) {
    lifecycle->applicationDidFinishLaunching();
    runQueued();
    log.clear();

    // Without floating windows every hot key brings up the workbench.
    service.press(1);
    runPendingTurns();
    EXPECT_EQ(log, (Log{"show workbench", "activate"}));

    // Three windows, so that a step back and a step forward differ.
    for (int i = 0; i < 3; ++i) {
        windows.createWindow("https://example.com/", BrowserWindowMode::window);
    }
    log.clear();
    service.press(2);
    runPendingTurns();
    EXPECT_EQ(log, (Log{"w3:hide", "w2:move", "w2:front", "w2:key", "activate"}));
    log.clear();
    service.press(3);
    service.press(1);
    runPendingTurns();
    EXPECT_EQ(log,
              (Log{"w2:hide", "w3:move", "w3:front", "w3:key", "activate", "w3:move", "w3:hide"}));

    log.clear();
    EXPECT_TRUE(lifecycle->applicationShouldHandleReopen());
    EXPECT_EQ(log, (Log{"show workbench", "activate"}));
}

TEST_F(Lifecycle, TerminationReleasesHotKeysClosesEveryWindowOnceAndWritesTheVisits) {
    lifecycle->applicationDidFinishLaunching();
    ASSERT_TRUE(store.recordVisitThrowing("https://example.com/", "Example"));
    for (int i = 0; i < 3; ++i) {
        windows.createWindow("https://example.com/", BrowserWindowMode::window);
    }
    made[1].lock()->closing = true;
    log.clear();
    const auto token = NotificationCenter::defaultCenter().addObserver(
        std::string(browserWindowsDidChange), &windows, [this](const Notification&) {
            log.push_back("grabs:" + std::to_string(service.grabs.size()));
        });

    lifecycle->applicationWillTerminate();
    EXPECT_EQ(log, (Log{"grabs:0", "w1:closed", "grabs:0", "w3:closed"}));
    EXPECT_EQ(windows.windows(), (std::vector<std::shared_ptr<FloatingWindow>>{made[1].lock()}));
    EXPECT_FALSE(service.handler);
    EXPECT_EQ(AppDataStore(store.path()).snapshot().history, store.snapshot().history);
}

TEST_F(Lifecycle, DeferredStepsAndThePresenterDoNothingOnceTheLifecycleIsGone) {
    storeSettings([](AppSettings& settings) { settings.shortcut = "B"; });
    lifecycle->applicationDidFinishLaunching();
    lifecycle.reset();
    log.clear();
    runQueued();
    windows.toggleBossVisibility();
    EXPECT_TRUE(log.empty());
}

TEST_F(Lifecycle, ActionsRunTheStatusMenusCommandsAndTheHotKeysByName) {
    lifecycle->applicationDidFinishLaunching();
    runQueued();
    for (int i = 0; i < 3; ++i) {
        windows.createWindow("https://example.com/", BrowserWindowMode::window);
    }
    made[1].lock()->ghost = true;
    std::map<std::string, ApplicationAction> byName;
    for (auto& action : lifecycle->actions()) {
        byName.emplace(action.name, std::move(action));
    }
    struct Case {
        const char* name;
        Log log;
    };
    const std::vector<Case> cases = {
        {"hide-all", {"w1:hide", "w2:hide", "w3:hide"}},
        {"show-all",
         {"w1:front", "w1:key", "w2:front", "w2:key", "w3:front", "w3:key", "activate"}},
        {"toggle-boss", {"w3:move", "w3:hide"}},
        {"previous-window", {"w3:hide", "w2:move", "w2:front", "w2:key", "activate"}},
        {"next-window", {"w2:hide", "w3:move", "w3:front", "w3:key", "activate"}},
        {"ghost-off", {"w2:solid"}},
        {"new-window", {"w4:show"}},
        {"show-workbench", {"show workbench", "activate"}},
        {"settings", {"show settings"}},
        {"quit", {"quit"}},
    };
    ASSERT_EQ(byName.size(), cases.size());
    for (const auto& [name, expected] : cases) {
        log.clear();
        byName.at(name).run();
        EXPECT_EQ(log, expected) << name;
    }
    EXPECT_EQ(windows.windows().size(), 4U);

    // The keys of the application's main menu.
    EXPECT_EQ(byName.at("new-window").accelerator, "<Primary>n");
    EXPECT_EQ(byName.at("settings").accelerator, "<Primary>comma");
    EXPECT_EQ(byName.at("quit").accelerator, "<Primary>q");
    // Each command offered for a desktop shortcut names one of them.
    for (const auto& [title, command] : HotKeyBackends::desktopShortcutCommands()) {
        const std::string prefix = "gapplication action com.orvantis.velumo ";
        ASSERT_TRUE(command.starts_with(prefix)) << command;
        EXPECT_TRUE(byName.contains(command.substr(prefix.size()))) << command;
    }
}

}  // namespace
}  // namespace velumo
