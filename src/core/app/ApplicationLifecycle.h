#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <string_view>
#include <vector>

#include "MainQueue.h"
#include "NotificationCenter.h"
#include "app/ApplicationShell.h"
#include "browser/ApplicationPort.h"
#include "shell/GlobalHotKeyManager.h"

namespace velumo {

// A command of the application by the name it is exported under on the
// session bus, so a desktop can run it (`gapplication action
// com.orvantis.velumo NAME`), with the key that runs it in every window of
// the application (a GTK accelerator; empty when none).
struct ApplicationAction {
    std::string_view name;
    std::string_view accelerator;
    std::function<void()> run;
};

class AppDataStore;
class BrowserWindowManager;

// Where the lifecycle's deferred steps go: the main loop, unless a test runs
// them itself.
struct DeferredSteps {
    std::function<void(MainQueue::Step)> async = &MainQueue::async;
    std::function<void(std::chrono::milliseconds, MainQueue::Step)> asyncAfter =
        &MainQueue::asyncAfter;
};

// The order of the application's life: the launch steps, reopening, and the
// steps at termination. The desktop layer calls it from its application
// object's signals. Main thread only.
class ApplicationLifecycle {
  public:
    // The status icon and the workbench come up together this long after
    // launch, once the desktop has taken in the application.
    static constexpr std::chrono::milliseconds settleDelay{150};
    // Pages the launch opened show sooner without the status icon and the
    // workbench competing with their web processes: those wait until the
    // pages are drawn and this long more (their content follows the first
    // drawing), at most pageWaitLimit after settleDelay.
    static constexpr std::chrono::milliseconds pageSettleDelay{500};
    static constexpr std::chrono::milliseconds pageWaitLimit{2000};

    struct Services {
        ApplicationShell& shell;
        ApplicationPort& application;
        AppDataStore& store;
        BrowserWindowManager& windows;
        GlobalHotKeyManager& hotKeys;
    };

    explicit ApplicationLifecycle(Services services, DeferredSteps deferred = {});
    ApplicationLifecycle(const ApplicationLifecycle&) = delete;
    ApplicationLifecycle& operator=(const ApplicationLifecycle&) = delete;

    // Theme, the window set's workbench presenter, hot keys, the floating
    // windows the last run left. Once the launch's own command line has run,
    // the workbench is made and laid out, unless a page is on its way; the
    // status icon and the workbench follow after settleDelay and the pages.
    void applicationDidFinishLaunching();
    // Gives the hot keys their actions and the stored shortcuts. A refusal is
    // shown in an alert once the current step has returned, saying which
    // keys work now; the stored settings are never touched. A set the
    // desktop refuses later is told of in the same way when it does, and
    // when the earlier set came back, the stored shortcuts return to it.
    void registerHotKeys();
    // The application was started again while it runs: shows the workbench.
    bool applicationShouldHandleReopen();
    // Releases the hot keys, keeps the floating windows for the next start,
    // closes them for good, then writes the visits the store still gathers.
    void applicationWillTerminate();

    // The status menu's commands and the hot keys' actions, one table. The
    // actions hold this lifecycle: they must not outlive it.
    std::vector<ApplicationAction> actions();

  private:
    void settle();
    void finishLaunch();
    void makeWorkbench();
    void presentWorkbench();
    void desktopRefused(const GlobalHotKeyManager::LateRefusal& refusal);
    void alert(std::string message, std::string informative);

    Services services_;
    DeferredSteps deferred_;
    bool launched_ = false;
    bool pagesArrived_ = false;
    bool workbenchMade_ = false;
    NotificationCenter::Token pageArrival_;
    // Deferred steps and the presenter hold this weakly and do nothing once
    // the lifecycle is gone.
    std::shared_ptr<ApplicationLifecycle*> lifetime_;
};

}  // namespace velumo
