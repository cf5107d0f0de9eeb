// The hot keys on a Wayland desktop: bound through a desktop portal played
// on the test's session bus, pressed by the portal's Activated signal.
#include <chrono>
#include <map>
#include <memory>
#include <string>

#include "TestShortcutsPortal.h"
#include "UiTestSupport.h"
#include "shell/GlobalHotKeyManager.h"
#include "shell/PortalHotKeyService.h"

namespace velumo::uitest {
namespace {

using Shortcuts = TestShortcutsPortal::Shortcuts;
using Presses = std::map<std::string, int>;

const Shortcuts defaultsBound{
    {"toggle-boss", {"老板键：隐藏或恢复当前浮窗", "LOGO+ALT+b"}},
    {"previous-window", {"显示上一个浮窗", "LOGO+ALT+bracketleft"}},
    {"next-window", {"显示下一个浮窗", "LOGO+ALT+bracketright"}},
};

class PortalHotKeys : public UiTest {
  protected:
    PortalHotKeys() {
        manager_.setActions([this] { ++presses_["boss"]; }, [this] { ++presses_["previous"]; },
                            [this] { ++presses_["next"]; });
        manager_.installHandlerIfNeeded();
    }

    bool applyDefaults() {
        return manager_.updateShortcuts("Command+Option+B", "Command+Option+[", "Command+Option+]")
            .has_value();
    }
    // Presses the shortcut on the desktop and waits for the actions it runs.
    Presses press(const std::string& id, const std::string& session = {}) {
        presses_.clear();
        portal_->activate(id, session);
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(1);
        runUntil([&] { return !presses_.empty() || std::chrono::steady_clock::now() > deadline; });
        drainMainLoop();
        return presses_;
    }

    std::unique_ptr<TestShortcutsPortal> portal_ = std::make_unique<TestShortcutsPortal>();
    PortalHotKeyService service_{std::chrono::milliseconds(500)};
    GlobalHotKeyManager manager_{&service_};
    Presses presses_;
};

TEST_F(PortalHotKeys, TheDesktopBindsTheSetAndItsPressesReachTheirActions) {
    EXPECT_TRUE(PortalHotKeyService::available());
    ASSERT_TRUE(applyDefaults());
    EXPECT_EQ(portal_->bound(), defaultsBound);
    EXPECT_EQ(press("toggle-boss"), (Presses{{"boss", 1}}));
    EXPECT_EQ(press("previous-window"), (Presses{{"previous", 1}}));
    EXPECT_EQ(press("next-window"), (Presses{{"next", 1}}));

    // A new set replaces the old one; the old session's presses are not ours.
    const std::string oldSession = portal_->sessionOf("toggle-boss");
    ASSERT_TRUE(manager_.updateShortcuts("Control+Shift+/", "Control+Option+,", "Shift+Command+="));
    EXPECT_EQ(portal_->bound().at("toggle-boss").trigger, "CTRL+SHIFT+slash");
    EXPECT_EQ(portal_->bound().at("previous-window").trigger, "CTRL+ALT+comma");
    EXPECT_EQ(portal_->bound().at("next-window").trigger, "LOGO+SHIFT+equal");
    EXPECT_EQ(press("toggle-boss", oldSession), Presses{});
    EXPECT_EQ(press("toggle-boss"), (Presses{{"boss", 1}}));

    manager_.unregisterAll();
    EXPECT_TRUE(runUntil([&] { return portal_->bound().empty(); }));
}

TEST_F(PortalHotKeys, ARefusedBindingIsARefusedRegistrationAndTheEarlierSetKeepsWorking) {
    ASSERT_TRUE(applyDefaults());
    portal_->refuseTrigger("LOGO+ALT+x");
    const auto refused =
        manager_.updateShortcuts("Command+Option+B", "Command+Option+[", "Command+Option+X");
    ASSERT_FALSE(refused);
    EXPECT_EQ(refused.error().description(), "该快捷键已被系统或其他应用占用，已保留原快捷键。");
    EXPECT_EQ(portal_->bound(), defaultsBound);
    EXPECT_EQ(press("toggle-boss"), (Presses{{"boss", 1}}));

    // A desktop that does not answer refuses too, once the wait is over.
    portal_->stopAnswering();
    EXPECT_FALSE(manager_.updateShortcuts("Control+B", "Control+[", "Control+]"));

    portal_.reset();
    EXPECT_FALSE(PortalHotKeyService::available());
    EXPECT_FALSE(applyDefaults()) << "without a portal nothing can be bound";
}

}  // namespace
}  // namespace velumo::uitest
