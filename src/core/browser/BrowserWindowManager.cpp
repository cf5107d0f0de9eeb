#include "browser/BrowserWindowManager.h"

#include <algorithm>
#include <utility>

#include "MainQueue.h"
#include "NotificationCenter.h"
#include "browser/StateStore.h"
#include "data/AddressResolver.h"
#include "data/AppDataStore.h"

namespace velumo {
namespace {

using WindowList = std::vector<std::shared_ptr<FloatingWindow>>;

WindowList::const_iterator find(const WindowList& windows, const FloatingWindow& window) {
    return std::ranges::find_if(windows, [&](const auto& entry) { return entry.get() == &window; });
}

}  // namespace

BrowserWindowManager::BrowserWindowManager(AppDataStore& store) : store_(store) {}

// Never destroyed: windows may still report to it while the process ends.
BrowserWindowManager& BrowserWindowManager::shared() {
    static auto* manager = new BrowserWindowManager(AppDataStore::shared());
    return *manager;
}

void BrowserWindowManager::setWindowFactory(FloatingWindowFactory factory) {
    factory_ = std::move(factory);
}

void BrowserWindowManager::setApplicationPort(ApplicationPort* application) {
    application_ = application;
}

void BrowserWindowManager::setWorkbenchPresenter(std::function<void()> presenter) {
    workbenchPresenter_ = std::move(presenter);
}

void BrowserWindowManager::setStateStore(StateStore* state) {
    state_ = state;
    stateObserver_.reset();
    if (state_ != nullptr) {
        // Every announced change of a window may be one to keep.
        stateObserver_ = NotificationCenter::defaultCenter().addObserver(
            std::string(browserWindowsDidChange), nullptr,
            [this](const Notification&) { windowStateChanged(); });
    }
}

void BrowserWindowManager::restoreWindows() {
    if (state_ == nullptr || !factory_) {
        return;
    }
    const SavedState saved = state_->snapshot();
    if (!saved.restoreWindows || saved.windows.empty()) {
        return;
    }
    for (const SavedWindow& entry : saved.windows) {
        auto window = isFull() ? nullptr : factory_(*this, entry.url, entry.mode);
        if (!window) {
            continue;
        }
        window->restore(entry);
        windows_.push_back(window);
        if (!entry.hidden) {
            activeWindow_ = window;
            window->showWindow();
        }
    }
    postChange();
}

bool BrowserWindowManager::pageOnItsWay() const {
    return std::ranges::any_of(windows_, [](const auto& window) {
        return !window->isClosing() && window->isVisible() && !window->pageArrived();
    });
}

void BrowserWindowManager::windowStateChanged() {
    if (state_ == nullptr) {
        return;
    }
    std::vector<SavedWindow> kept;
    for (const auto& window : windows_) {
        if (!window->isClosing()) {
            kept.push_back(window->savedState());
        }
    }
    state_->change([&](SavedState& state) { state.windows = std::move(kept); });
}

void BrowserWindowManager::keepWindowsForNextStart() {
    if (state_ == nullptr) {
        return;
    }
    windowStateChanged();
    state_->flush();
    setStateStore(nullptr);
}

bool BrowserWindowManager::createWindow(std::optional<std::string> url, BrowserWindowMode mode) {
    bossHidden_.reset();
    if (isFull()) {
        // Whoever asked (a key, a menu, another process) goes on at once.
        if (application_) {
            application_->showAlert(std::string(limitMessage), std::string(limitInformative));
        }
        return false;
    }
    const std::string address =
        url ? std::move(*url) : homeURL(store_.snapshot().settings.searchEngine);
    auto window = factory_ ? factory_(*this, address, mode) : nullptr;
    if (!window) {
        return false;
    }
    windows_.push_back(window);
    activeWindow_ = window;
    postChange();
    window->showWindow();
    return true;
}

void BrowserWindowManager::remove(const FloatingWindow& window) {
    WindowList removed;
    std::erase_if(windows_, [&](const auto& entry) {
        if (entry.get() != &window) {
            return false;
        }
        removed.push_back(entry);
        return true;
    });
    if (activeWindow_.lock().get() == &window) {
        activeWindow_ = windows_.empty() ? nullptr : windows_.back();
    }
    nextIndex_ = std::min(nextIndex_, static_cast<int>(windows_.size()) - 1);
    if (!removed.empty()) {
        // The window is usually still inside its own close handler: it goes
        // once that handler has returned.
        MainQueue::async([removed = std::move(removed)] {});
    }
    postChange();
}

void BrowserWindowManager::markActive(const FloatingWindow& window) {
    if (auto entry = find(windows_, window); entry != windows_.end()) {
        activeWindow_ = *entry;
    }
}

// Each step below walks a copy of the list: a window's calls and the observers
// of each announcement may close windows, and closing shrinks the list.

void BrowserWindowManager::showAll() {
    bossHidden_.reset();
    for (const auto windows = windows_; const auto& window : windows) {
        window->orderFrontRegardless();
        window->makeKey();
        window->announceChange();
    }
    activateApplication();
}

void BrowserWindowManager::hideAll() {
    bossHidden_.reset();
    for (const auto windows = windows_; const auto& window : windows) {
        window->hideWindow();
    }
}

void BrowserWindowManager::closeAll() {
    if (windows_.empty() || !application_) {
        return;
    }
    const std::size_t choice = application_->runAlert(
        "关闭全部浮窗？", "所有正在播放的页面都会停止。", {"关闭全部", "取消"});
    if (choice == 0) {
        closeEveryWindow();
    }
}

void BrowserWindowManager::closeEveryWindow() {
    bossHidden_.reset();
    for (const auto windows = windows_; const auto& window : windows) {
        if (!window->isClosing()) {
            window->closePermanently();
        }
    }
}

void BrowserWindowManager::toggleBossVisibility() {
    const auto hidden = std::exchange(bossHidden_, {}).lock();
    if (hidden && find(windows_, *hidden) != windows_.end() && !hidden->isVisible()) {
        activeWindow_ = hidden;
        hidden->moveToMouseScreenIfNeeded();
        bringBackFromBossKey(*hidden);
        return;
    }
    auto window = activeWindow_.lock();
    if (!window) {
        if (windows_.empty()) {
            presentWorkbench();
            return;
        }
        window = windows_.back();
    }
    if (!window->moveToMouseScreenIfNeeded() && window->isVisible()) {
        window->hideWindow();
        bossHidden_ = window;
        return;
    }
    bringBackFromBossKey(*window);
}

void BrowserWindowManager::showAdjacentWindow(int offset) {
    bossHidden_.reset();
    if (windows_.empty()) {
        presentWorkbench();
        return;
    }
    auto current = activeWindow_.lock();
    if (!current) {
        current = windows_.back();
    }
    const auto entry = find(windows_, *current);
    const int position = entry == windows_.end() ? 0 : static_cast<int>(entry - windows_.begin());
    // A floored remainder keeps any offset within the list, not only +1 and -1.
    const int count = static_cast<int>(windows_.size());
    const int index = (((position + offset) % count) + count) % count;
    const auto target = windows_[static_cast<std::size_t>(index)];
    if (current != target) {
        current->hideWindow();
    }
    nextIndex_ = index;
    activeWindow_ = target;
    target->moveToMouseScreenIfNeeded();
    present(*target);
}

void BrowserWindowManager::bringForward(FloatingWindow& window) {
    bossHidden_.reset();
    present(window);
}

void BrowserWindowManager::endGhosts() {
    bossHidden_.reset();
    for (const auto windows = windows_; const auto& window : windows) {
        if (window->isGhost()) {
            window->setGhost(false);
        }
    }
}

void BrowserWindowManager::bringBackFromBossKey(FloatingWindow& window) {
    if (!window.isVisible() && window.isGhost()) {
        window.setGhost(false);
    }
    present(window);
}

void BrowserWindowManager::present(FloatingWindow& window) {
    window.orderFrontRegardless();
    window.makeKey();
    activateApplication();
    window.announceChange();
}

void BrowserWindowManager::activateApplication() {
    if (application_) {
        application_->activateApplication();
    }
}

void BrowserWindowManager::presentWorkbench() {
    if (workbenchPresenter_) {
        workbenchPresenter_();
    }
}

void BrowserWindowManager::postChange() {
    NotificationCenter::defaultCenter().post(browserWindowsDidChange, this);
}

}  // namespace velumo
