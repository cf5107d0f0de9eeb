// The hot keys on a real X server: grabs made through keybinder and pressed
// through XTest, as a person's keyboard would.
#include <chrono>
#include <initializer_list>
#include <map>
#include <memory>

#include "OtherXClient.h"
#include "UiTestSupport.h"
#include "shell/GlobalHotKeyManager.h"
#include "shell/KeybinderHotKeyService.h"

// After every other header: Xlib's macros clash with theirs.
#include <X11/keysym.h>

namespace velumo::uitest {
namespace {

class HotKeys : public UiTest {
  protected:
    HotKeys() {
        manager_.setActions([this] { ++presses_["boss"]; }, [this] { ++presses_["previous"]; },
                            [this] { ++presses_["next"]; });
        manager_.installHandlerIfNeeded();
    }

    // Types the combination and waits briefly for the actions it runs: the
    // grab delivers a press to this very process at once.
    std::map<std::string, int> press(std::initializer_list<unsigned> keys) {
        presses_.clear();
        tapKeys(keys);
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(1);
        runUntil([&] { return !presses_.empty() || std::chrono::steady_clock::now() > deadline; });
        drainMainLoop();
        return presses_;
    }

    using Presses = std::map<std::string, int>;

    KeybinderHotKeyService service_;
    GlobalHotKeyManager manager_{&service_};
    Presses presses_;
};

TEST_F(HotKeys, EachModifierAndKeyReachesItsActionWhateverTheLockKeys) {
    ASSERT_TRUE(
        manager_.updateShortcuts("Command+Option+B", "Command+Option+[", "Command+Option+]"));
    for (const unsigned lock : {0U, unsigned{XK_Num_Lock}, unsigned{XK_Caps_Lock}}) {
        if (lock != 0) {
            tapKey(lock);
        }
        EXPECT_EQ(press({XK_Super_L, XK_Alt_L, XK_b}), (Presses{{"boss", 1}})) << lock;
        EXPECT_EQ(press({XK_Super_L, XK_Alt_L, XK_bracketleft}), (Presses{{"previous", 1}}));
        EXPECT_EQ(press({XK_Super_L, XK_Alt_L, XK_bracketright}), (Presses{{"next", 1}}));
        if (lock != 0) {
            tapKey(lock);
        }
    }

    ASSERT_TRUE(manager_.updateShortcuts("Control+Shift+/", "Control+Option+,", "Shift+Command+="));
    EXPECT_EQ(press({XK_Control_L, XK_Shift_L, XK_slash}), (Presses{{"boss", 1}}));
    EXPECT_EQ(press({XK_Control_L, XK_Alt_L, XK_comma}), (Presses{{"previous", 1}}));
    EXPECT_EQ(press({XK_Shift_L, XK_Super_L, XK_equal}), (Presses{{"next", 1}}));
    // A combination with one modifier too many is not the hot key.
    EXPECT_EQ(press({XK_Control_L, XK_Shift_L, XK_Alt_L, XK_slash}), Presses{});
}

TEST_F(HotKeys, AGrabOfAnotherClientIsRefusedAndTheEarlierSetKeepsWorking) {
    ASSERT_TRUE(
        manager_.updateShortcuts("Command+Option+B", "Command+Option+[", "Command+Option+]"));
    OtherXClient other;
    ASSERT_TRUE(other.grab(XK_x, {XK_Super_L, XK_Alt_L}));

    const auto refused =
        manager_.updateShortcuts("Command+Option+B", "Command+Option+[", "Command+Option+X");
    ASSERT_FALSE(refused);
    EXPECT_EQ(refused.error(), GlobalHotKeyError::registrationFailed(HotKeyStatus::hotKeyExists));
    EXPECT_EQ(refused.error().description(), "该快捷键已被系统或其他应用占用，已保留原快捷键。");
    EXPECT_EQ(press({XK_Super_L, XK_Alt_L, XK_b}), (Presses{{"boss", 1}}));
    EXPECT_EQ(press({XK_Super_L, XK_Alt_L, XK_bracketright}), (Presses{{"next", 1}}));
}

TEST_F(HotKeys, ReleasedCombinationsAreFreeForOtherClientsAndRunNothing) {
    ASSERT_TRUE(
        manager_.updateShortcuts("Command+Option+B", "Command+Option+[", "Command+Option+]"));
    OtherXClient other;
    EXPECT_FALSE(other.grab(XK_b, {XK_Super_L, XK_Alt_L}));
    // keybinder holds the combination with Num Lock on as well.
    EXPECT_FALSE(other.grab(XK_b, {XK_Super_L, XK_Alt_L, XK_Num_Lock}));

    manager_.unregisterAll();
    EXPECT_EQ(press({XK_Super_L, XK_Alt_L, XK_b}), Presses{});
    EXPECT_TRUE(other.grab(XK_b, {XK_Super_L, XK_Alt_L}));
    EXPECT_TRUE(other.grab(XK_b, {XK_Super_L, XK_Alt_L, XK_Num_Lock}));
}

}  // namespace
}  // namespace velumo::uitest
