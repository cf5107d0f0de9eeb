#include "app/ApplicationLifecycle.h"

#include <optional>
#include <string>
#include <utility>

#include "browser/BrowserWindowManager.h"
#include "data/AppDataStore.h"
#include "shell/HotKeyMessages.h"

namespace velumo {
namespace {

// Runs `step` on the lifecycle if it still exists.
template <typename Step>
auto whileAlive(const std::shared_ptr<ApplicationLifecycle*>& lifetime, Step step) {
    return [weak = std::weak_ptr(lifetime), step = std::move(step)] {
        if (const auto self = weak.lock()) {
            step(**self);
        }
    };
}

}  // namespace

ApplicationLifecycle::ApplicationLifecycle(Services services, DeferredSteps deferred)
    : services_(services),
      deferred_(std::move(deferred)),
      lifetime_(std::make_shared<ApplicationLifecycle*>(this)) {}

void ApplicationLifecycle::applicationDidFinishLaunching() {
    services_.shell.applyTheme(services_.store.snapshot().settings.themePreference);
    services_.windows.setWorkbenchPresenter(
        whileAlive(lifetime_, [](ApplicationLifecycle& self) { self.presentWorkbench(); }));
    registerHotKeys();
    services_.windows.restoreWindows();
    // Once the launch's own command line has opened its windows: making the
    // workbench takes the processor from their pages for a tenth of a second.
    deferred_.async(whileAlive(lifetime_, [](ApplicationLifecycle& self) {
        if (!self.services_.windows.pageOnItsWay()) {
            self.makeWorkbench();
            self.services_.shell.prepareWorkbench();
        }
    }));
    deferred_.asyncAfter(settleDelay,
                         whileAlive(lifetime_, [](ApplicationLifecycle& self) { self.settle(); }));
}

void ApplicationLifecycle::settle() {
    if (!services_.windows.pageOnItsWay()) {
        finishLaunch();
        return;
    }
    pageArrival_ = NotificationCenter::defaultCenter().addObserver(
        std::string(browserWindowsDidChange), nullptr, [this](const Notification&) {
            if (!services_.windows.pageOnItsWay() && !std::exchange(pagesArrived_, true)) {
                deferred_.asyncAfter(pageSettleDelay, whileAlive(lifetime_, [](auto& self) {
                                         self.finishLaunch();
                                     }));
            }
        });
    deferred_.asyncAfter(pageWaitLimit, whileAlive(lifetime_, [](ApplicationLifecycle& self) {
                             self.finishLaunch();
                         }));
}

void ApplicationLifecycle::finishLaunch() {
    if (launched_) {
        return;
    }
    launched_ = true;
    pageArrival_.reset();
    makeWorkbench();
    services_.shell.createStatusItem();
    services_.shell.showWorkbench();
}

void ApplicationLifecycle::registerHotKeys() {
    const AppSettings settings = services_.store.snapshot().settings;
    BrowserWindowManager& windows = services_.windows;
    services_.hotKeys.setActions([&windows] { windows.toggleBossVisibility(); },
                                 [&windows] { windows.showAdjacentWindow(-1); },
                                 [&windows] { windows.showAdjacentWindow(+1); });
    services_.hotKeys.setLateRefusalHandler(
        [weak = std::weak_ptr(lifetime_)](const GlobalHotKeyManager::LateRefusal& refusal) {
            if (const auto self = weak.lock()) {
                (*self)->desktopRefused(refusal);
            }
        });
    services_.hotKeys.installHandlerIfNeeded();
    const auto applied = services_.hotKeys.updateShortcuts(
        settings.shortcut, settings.previousWindowShortcut, settings.nextWindowShortcut);
    if (!applied) {
        auto [message, informative] =
            HotKeyMessages::launchRefusal(applied.error(), services_.hotKeys.activeShortcuts());
        alert(std::move(message), std::move(informative));
    }
}

void ApplicationLifecycle::desktopRefused(const GlobalHotKeyManager::LateRefusal& refusal) {
    // The settings window stored the refused set before the desktop answered.
    AppSettings settings = services_.store.snapshot().settings;
    const ShortcutTexts stored{settings.shortcut, settings.previousWindowShortcut,
                               settings.nextWindowShortcut};
    if (refusal.restored && stored == refusal.refused) {
        settings.shortcut = refusal.restored->at(0);
        settings.previousWindowShortcut = refusal.restored->at(1);
        settings.nextWindowShortcut = refusal.restored->at(2);
        // Should the file refuse, the alert still says which keys work.
        const auto stored = services_.store.updateSettings(settings);
        static_cast<void>(stored);
    }
    auto [message, informative] = HotKeyMessages::desktopRefusal(refusal);
    alert(std::move(message), std::move(informative));
}

// After the current step has returned.
void ApplicationLifecycle::alert(std::string message, std::string informative) {
    deferred_.async(
        whileAlive(lifetime_, [message = std::move(message),
                               informative = std::move(informative)](ApplicationLifecycle& self) {
            self.services_.application.showAlert(message, informative);
        }));
}

bool ApplicationLifecycle::applicationShouldHandleReopen() {
    presentWorkbench();
    return true;
}

void ApplicationLifecycle::applicationWillTerminate() {
    services_.hotKeys.unregisterAll();
    services_.windows.keepWindowsForNextStart();
    services_.windows.closeEveryWindow();
    // The visits gathered since the last write; nobody is left to be told
    // should it fail.
    [[maybe_unused]] const auto written = services_.store.flush();
}

std::vector<ApplicationAction> ApplicationLifecycle::actions() {
    BrowserWindowManager& windows = services_.windows;
    ApplicationShell& shell = services_.shell;
    return {
        {"new-window", "<Primary>n",
         [&windows] { windows.createWindow(std::nullopt, BrowserWindowMode::window); }},
        {"show-workbench", "", [this] { applicationShouldHandleReopen(); }},
        {"toggle-boss", "", [&windows] { windows.toggleBossVisibility(); }},
        {"previous-window", "", [&windows] { windows.showAdjacentWindow(-1); }},
        {"next-window", "", [&windows] { windows.showAdjacentWindow(+1); }},
        {"show-all", "", [&windows] { windows.showAll(); }},
        {"hide-all", "", [&windows] { windows.hideAll(); }},
        {"ghost-off", "", [&windows] { windows.endGhosts(); }},
        {"settings", "<Primary>comma", [&shell] { shell.showSettings(); }},
        {"quit", "<Primary>q", [&shell] { shell.quit(); }},
    };
}

void ApplicationLifecycle::makeWorkbench() {
    if (!workbenchMade_) {
        workbenchMade_ = true;
        services_.shell.createWorkbench();
    }
}

void ApplicationLifecycle::presentWorkbench() {
    makeWorkbench();
    services_.shell.showWorkbench();
    services_.application.activateApplication();
}

}  // namespace velumo
