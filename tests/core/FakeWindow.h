#pragma once

#include <memory>
#include <string>
#include <vector>

#include "browser/BrowserWindowManager.h"
#include "browser/FloatingWindow.h"

namespace velumo {

// A floating window that logs its calls as "name:call". With a manager it
// behaves as the desktop's window does: making it key reports it as active,
// and closing removes it from inside its own close handler, which then goes
// on touching its members.
class FakeWindow final : public FloatingWindow {
  public:
    using Log = std::vector<std::string>;

    explicit FakeWindow(bool shown) : visible(shown) {}

    // Makes windows named w1, w2... in the order they are made, logging to
    // `log`; each is also appended to `made`.
    static FloatingWindowFactory factory(Log& log, std::vector<std::weak_ptr<FakeWindow>>& made) {
        return
            [&log, &made](BrowserWindowManager& owner, const std::string& url, BrowserWindowMode) {
                auto window = std::make_shared<FakeWindow>("w" + std::to_string(made.size() + 1),
                                                           url, log, owner);
                made.push_back(window);
                return window;
            };
    }
    FakeWindow(std::string name, std::string url, Log& log, BrowserWindowManager& manager)
        : name_(std::move(name)), url_(std::move(url)), log_(&log), manager_(&manager) {}

    void showWindow() override { setVisible(true, "show"); }
    void hideWindow() override { setVisible(false, "hide"); }
    void toggleVisibility() override { visible = !visible; }
    bool moveToMouseScreenIfNeeded() override {
        record("move");
        return movesToPointer;
    }
    void orderFrontRegardless() override { setVisible(true, "front"); }
    void makeKey() override {
        record("key");
        manager_->markActive(*this);
    }
    bool isVisible() const override { return visible; }
    // A real window ignores a second request; the log shows it, so that a
    // caller that asks a closing window again is seen.
    void closePermanently() override {
        if (closing) {
            record("asked again");
            return;
        }
        closing = true;
        manager_->remove(*this);
        record("closed");
    }
    bool isClosing() const override { return closing; }
    std::string displayTitle() const override { return name_; }
    std::string currentURL() const override { return url_; }
    BrowserWindowMode mode() const override { return BrowserWindowMode::window; }
    void toggleModeFromUI() override { record("mode"); }
    bool isGhost() const override { return ghost; }
    void setGhost(bool on) override {
        ghost = on;
        record(on ? "ghost" : "solid");
    }
    bool pageArrived() const override { return arrived; }
    SavedWindow savedState() const override {
        SavedWindow saved = restored;
        saved.url = url_;
        saved.hidden = !visible;
        saved.ghost = ghost;
        return saved;
    }
    void restore(const SavedWindow& saved) override {
        restored = saved;
        ghost = saved.ghost;
        record("restore");
    }

    // What restore() was given; savedState() hands it back.
    SavedWindow restored{.frame = {0, 0, 760, 520}};

    bool visible = false;
    bool closing = false;
    bool movesToPointer = false;
    bool ghost = false;
    bool arrived = true;

  private:
    void record(const std::string& call) { log_->push_back(name_ + ":" + call); }
    void setVisible(bool shown, const std::string& call) {
        visible = shown;
        record(call);
    }

    std::string name_;
    std::string url_;
    Log* log_ = nullptr;
    BrowserWindowManager* manager_ = nullptr;
};

}  // namespace velumo
