#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "NotificationCenter.h"
#include "browser/ApplicationPort.h"
#include "browser/FloatingWindow.h"
#include "data/Models.h"

namespace velumo {

class AppDataStore;
class BrowserWindowManager;
class StateStore;

inline constexpr std::string_view browserWindowsDidChange = "Velumo.WindowsDidChange";

// Makes the desktop's floating window for an address and a mode. The window
// keeps a reference to its manager to report activation and closing.
using FloatingWindowFactory = std::function<std::shared_ptr<FloatingWindow>(
    BrowserWindowManager& manager, const std::string& url, BrowserWindowMode mode)>;

// The set of up to five floating windows, in opening order, with the current
// one. Main thread only.
class BrowserWindowManager {
  public:
    static constexpr std::size_t windowLimit = 5;
    // The alert that refuses a window beyond the limit.
    static constexpr std::string_view limitMessage = "最多同时打开 5 个浮窗";
    static constexpr std::string_view limitInformative = "请先关闭一个不再使用的窗口。";

    explicit BrowserWindowManager(AppDataStore& store);
    BrowserWindowManager(const BrowserWindowManager&) = delete;
    BrowserWindowManager& operator=(const BrowserWindowManager&) = delete;

    // The process-wide manager over AppDataStore::shared(); the desktop layer
    // gives it its factory and application port at start-up.
    static BrowserWindowManager& shared();

    void setWindowFactory(FloatingWindowFactory factory);
    void setApplicationPort(ApplicationPort* application);
    void setWorkbenchPresenter(std::function<void()> presenter);
    // From now on the windows are kept in `state` as they change, and their
    // sites' choices come from there. Main thread only, like the windows.
    void setStateStore(StateStore* state);
    StateStore* stateStore() const { return state_; }

    const std::vector<std::shared_ptr<FloatingWindow>>& windows() const { return windows_; }
    std::shared_ptr<FloatingWindow> activeWindow() const { return activeWindow_.lock(); }
    int nextIndex() const { return nextIndex_; }

    // Opens a window and answers true; with windowLimit windows open, shows
    // the limit alert without waiting for it and answers false.
    bool createWindow(std::optional<std::string> url, BrowserWindowMode mode);
    bool isFull() const { return windows_.size() >= windowLimit; }
    // A window on screen still waits for its first page.
    bool pageOnItsWay() const;
    void remove(const FloatingWindow& window);
    void markActive(const FloatingWindow& window);
    void showAll();
    void hideAll();
    // Asks first; only the first button closes.
    void closeAll();
    // Closes every window for good without asking, skipping windows already
    // closing.
    void closeEveryWindow();
    // Hides the current window, or brings it back. A press that follows a
    // boss-key hide, with no other command of the window set in between,
    // brings back the window it hid, whichever window the desktop focused
    // meanwhile: a window manager that moves the focus to another window on
    // hiding must not turn the second press into a second hide. A hidden
    // ghost comes back taking the pointer: it was called back to be used.
    void toggleBossVisibility();
    void showAdjacentWindow(int offset);
    // Opens the windows the state file keeps, unless the person turned that
    // off; hidden ones stay hidden, and their pages wait until they show.
    void restoreWindows();
    // A window's place, size or setting changed: the state file follows.
    void windowStateChanged();
    // Keeps the windows as they are now for the next start and stops
    // following them, so that closing them as the run ends forgets nothing.
    void keepWindowsForNextStart();

    // Orders the window to the front, makes it key, activates the application
    // and announces the window: what choosing it in a list of windows does.
    void bringForward(FloatingWindow& window);
    // Every ghost window takes the pointer again.
    void endGhosts();

  private:
    void present(FloatingWindow& window);
    void bringBackFromBossKey(FloatingWindow& window);
    void activateApplication();
    void presentWorkbench();
    void postChange();

    AppDataStore& store_;
    FloatingWindowFactory factory_;
    ApplicationPort* application_ = nullptr;
    std::function<void()> workbenchPresenter_;
    std::vector<std::shared_ptr<FloatingWindow>> windows_;
    std::weak_ptr<FloatingWindow> activeWindow_;
    // The window the last command hid with the boss key; every other command
    // of the set forgets it.
    std::weak_ptr<FloatingWindow> bossHidden_;
    int nextIndex_ = -1;
    StateStore* state_ = nullptr;
    NotificationCenter::Token stateObserver_;
};

}  // namespace velumo
