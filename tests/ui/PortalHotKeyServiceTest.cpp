// The hot keys on a Wayland desktop: bound through a desktop portal played
// on the test's session bus, pressed by the portal's Activated signal.
#include <chrono>
#include <memory>
#include <optional>
#include <string>

#include "HotKeyPresses.h"
#include "TestShortcutsPortal.h"
#include "shell/PortalHotKeyService.h"

namespace velumo::uitest {
namespace {

using Shortcuts = TestShortcutsPortal::Shortcuts;
using Answer = DesktopBindings::Answer;

const ShortcutTexts defaults{"Command+Option+B", "Command+Option+[", "Command+Option+]"};
const Shortcuts defaultsBound{
    {"toggle-boss", {"老板键：隐藏或恢复当前浮窗", "LOGO+ALT+b"}},
    {"previous-window", {"显示上一个浮窗", "LOGO+ALT+bracketleft"}},
    {"next-window", {"显示下一个浮窗", "LOGO+ALT+bracketright"}},
};
const DesktopBindings defaultsGiven{
    Answer::answered,
    {{1, "LOGO+ALT+b"}, {2, "LOGO+ALT+bracketleft"}, {3, "LOGO+ALT+bracketright"}}};

class PortalHotKeys : public UiTest {
  protected:
    PortalHotKeys() {
        manager_.setLateRefusalHandler(
            [this](const GlobalHotKeyManager::LateRefusal& refusal) { refusal_ = refusal; });
    }

    bool applyDefaults() {
        return manager_.updateShortcuts(defaults[0], defaults[1], defaults[2]).has_value();
    }
    // Waits until the desktop's latest answer about the keys is `expected`.
    bool desktopSays(const DesktopBindings& expected) {
        return runUntil([&] { return manager_.desktopBindings() == expected; });
    }
    // Presses the shortcut on the desktop.
    Presses press(const std::string& id) {
        return presses_.after([&] { portal_->activate(id); });
    }

    std::unique_ptr<TestShortcutsPortal> portal_ = std::make_unique<TestShortcutsPortal>();
    int unavailable_ = 0;
    PortalHotKeyService service_{[this] { ++unavailable_; }};
    GlobalHotKeyManager manager_{&service_};
    HotKeyPresses presses_{manager_};
    std::optional<GlobalHotKeyManager::LateRefusal> refusal_;
};

TEST_F(PortalHotKeys, TheDesktopBindsTheSetAndItsPressesReachTheirActions) {
    ASSERT_TRUE(applyDefaults());
    EXPECT_TRUE(desktopSays(defaultsGiven));
    EXPECT_EQ(portal_->bound(), defaultsBound);
    // The same session name every run: the desktop files the keys under it.
    EXPECT_TRUE(portal_->sessionOf("toggle-boss").ends_with("/velumo_hot_keys"));
    EXPECT_EQ(press("toggle-boss"), (Presses{{"boss", 1}}));
    EXPECT_EQ(press("previous-window"), (Presses{{"previous", 1}}));
    EXPECT_EQ(press("next-window"), (Presses{{"next", 1}}));

    // A new set replaces the old one.
    ASSERT_TRUE(manager_.updateShortcuts("Control+Shift+/", "Control+Option+,", "Shift+Command+="));
    EXPECT_TRUE(
        desktopSays({Answer::answered,
                     {{1, "CTRL+SHIFT+slash"}, {2, "CTRL+ALT+comma"}, {3, "LOGO+SHIFT+equal"}}}));
    EXPECT_EQ(press("toggle-boss"), (Presses{{"boss", 1}}));

    manager_.unregisterAll();
    EXPECT_TRUE(runUntil([&] { return portal_->bound().empty(); }));
}

TEST_F(PortalHotKeys, KeysWithoutATriggerAreNotBoundYetAndADeclinedSetBringsTheEarlierBack) {
    portal_->refuseTrigger("LOGO+ALT+bracketright");
    ASSERT_TRUE(applyDefaults());
    auto given = defaultsGiven;
    given.triggers.erase(3);
    EXPECT_TRUE(desktopSays(given));
    EXPECT_FALSE(refusal_) << "a key the desktop has not given yet is no refusal";

    portal_->refuseNextBinding();
    ASSERT_TRUE(manager_.updateShortcuts("Control+B", "Control+[", "Control+]"));
    ASSERT_TRUE(runUntil([&] { return refusal_.has_value(); }));
    EXPECT_EQ(refusal_->restored, defaults);
    EXPECT_TRUE(desktopSays(given));
    EXPECT_EQ(press("toggle-boss"), (Presses{{"boss", 1}}));
}

TEST_F(PortalHotKeys, NothingWaitsForAPortalThatAnswersLateOrNever) {
    portal_->stopAnswering();
    ASSERT_TRUE(applyDefaults());
    runFor(std::chrono::milliseconds(300));
    EXPECT_EQ(manager_.desktopBindings(), (DesktopBindings{Answer::waiting, {}}));
    // Its late answer is taken as it comes.
    portal_->answerNow();
    EXPECT_TRUE(desktopSays(defaultsGiven));
    EXPECT_EQ(press("next-window"), (Presses{{"next", 1}}));
}

TEST_F(PortalHotKeys, ADesktopThatCannotMakeASessionIsUnavailable) {
    portal_->refuseSessions();
    ASSERT_TRUE(applyDefaults());
    EXPECT_TRUE(runUntil([&] { return unavailable_ == 1; }));
    EXPECT_FALSE(refusal_);

    portal_.reset();
    int gone = 0;
    PortalHotKeyService without([&] { ++gone; });
    GlobalHotKeyManager manager(&without);
    ASSERT_TRUE(manager.updateShortcuts(defaults[0], defaults[1], defaults[2]));
    EXPECT_TRUE(runUntil([&] { return gone == 1; })) << "without a portal nothing can be bound";
}

}  // namespace
}  // namespace velumo::uitest
