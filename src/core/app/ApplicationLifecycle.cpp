#include "app/ApplicationLifecycle.h"

#include <optional>
#include <string>

#include "browser/BrowserWindowManager.h"
#include "data/AppDataStore.h"
#include "shell/GlobalHotKeyManager.h"

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
    services_.shell.createWorkbench();
    services_.windows.setWorkbenchPresenter(
        whileAlive(lifetime_, [](ApplicationLifecycle& self) { self.presentWorkbench(); }));
    registerHotKeys();
    deferred_.asyncAfter(settleDelay, whileAlive(lifetime_, [](ApplicationLifecycle& self) {
                             self.services_.shell.createStatusItem();
                             self.services_.shell.showWorkbench();
                         }));
}

void ApplicationLifecycle::registerHotKeys() {
    const AppSettings settings = services_.store.snapshot().settings;
    BrowserWindowManager& windows = services_.windows;
    services_.hotKeys.setActions([&windows] { windows.toggleBossVisibility(); },
                                 [&windows] { windows.showAdjacentWindow(-1); },
                                 [&windows] { windows.showAdjacentWindow(+1); });
    services_.hotKeys.installHandlerIfNeeded();
    const auto applied = services_.hotKeys.updateShortcuts(
        settings.shortcut, settings.previousWindowShortcut, settings.nextWindowShortcut);
    if (!applied) {
        deferred_.async(whileAlive(
            lifetime_,
            [message = std::string(applied.error().description())](ApplicationLifecycle& self) {
                self.services_.application.runAlert(message, {}, {});
            }));
    }
}

bool ApplicationLifecycle::applicationShouldHandleReopen() {
    presentWorkbench();
    return true;
}

void ApplicationLifecycle::applicationWillTerminate() {
    services_.hotKeys.unregisterAll();
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
        {"settings", "<Primary>comma", [&shell] { shell.showSettings(); }},
        {"quit", "<Primary>q", [&shell] { shell.quit(); }},
    };
}

void ApplicationLifecycle::presentWorkbench() {
    services_.shell.showWorkbench();
    services_.application.activateApplication();
}

}  // namespace velumo
