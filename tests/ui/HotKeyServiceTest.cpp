// The hot keys on a real X server: grabs of physical keys pressed through
// XTest, as a person's keyboard would, under several keyboard layouts.
#include <initializer_list>
#include <string>

#include "HotKeyPresses.h"
#include "OtherXClient.h"
#include "shell/KeyGrabHotKeyService.h"

// After every other header: Xlib's macros clash with theirs.
#include <X11/keysym.h>

namespace velumo::uitest {
namespace {

const Presses boss{{"boss", 1}};
const Presses previous{{"previous", 1}};
const Presses next{{"next", 1}};

class HotKeys : public UiTest {
  protected:
    // The display keeps the layout the other tests expect.
    ~HotKeys() override { EXPECT_TRUE(setKeyboardLayout("us")); }

    bool applyDefaults() {
        return manager_.updateShortcuts("Command+Option+B", "Command+Option+[", "Command+Option+]")
            .has_value();
    }
    Presses press(std::initializer_list<unsigned> keys) {
        return presses_.after([&] { tapKeys(keys); });
    }
    // The same with the key named by its place on the keyboard.
    Presses pressAt(std::initializer_list<unsigned> modifiers, const std::string& keyName) {
        return presses_.after([&] { tapKeysAt(modifiers, keyName); });
    }
    // Boss, previous and next by the places of B, [ and ] in the US layout.
    void expectTheDefaultsWork(const std::string& layout) {
        EXPECT_EQ(pressAt({XK_Super_L, XK_Alt_L}, "AB05"), boss) << layout;
        EXPECT_EQ(pressAt({XK_Super_L, XK_Alt_L}, "AD11"), previous) << layout;
        EXPECT_EQ(pressAt({XK_Super_L, XK_Alt_L}, "AD12"), next) << layout;
    }

    KeyGrabHotKeyService service_;
    GlobalHotKeyManager manager_{&service_};
    HotKeyPresses presses_{manager_};
};

TEST_F(HotKeys, EachModifierAndKeyReachesItsActionWhateverTheLockKeys) {
    ASSERT_TRUE(applyDefaults());
    for (const unsigned lock : {0U, unsigned{XK_Num_Lock}, unsigned{XK_Caps_Lock}}) {
        if (lock != 0) {
            tapKey(lock);
        }
        EXPECT_EQ(press({XK_Super_L, XK_Alt_L, XK_b}), boss) << lock;
        EXPECT_EQ(press({XK_Super_L, XK_Alt_L, XK_bracketleft}), previous);
        EXPECT_EQ(press({XK_Super_L, XK_Alt_L, XK_bracketright}), next);
        if (lock != 0) {
            tapKey(lock);
        }
    }

    ASSERT_TRUE(manager_.updateShortcuts("Control+Shift+/", "Control+Option+,", "Shift+Command+="));
    EXPECT_EQ(press({XK_Control_L, XK_Shift_L, XK_slash}), boss);
    EXPECT_EQ(press({XK_Control_L, XK_Alt_L, XK_comma}), previous);
    EXPECT_EQ(press({XK_Shift_L, XK_Super_L, XK_equal}), next);
    // A combination with one modifier too many is not the hot key.
    EXPECT_EQ(press({XK_Control_L, XK_Shift_L, XK_Alt_L, XK_slash}), Presses{});
}

// The stored keys are places on the keyboard: under German and French
// layouts the keys right of P type ü and + or ^ and $, and are still the
// previous and next keys.
TEST_F(HotKeys, EachKeyIsItsPlaceOnTheKeyboardWhateverTheLayout) {
    for (const char* layout : {"de", "fr"}) {
        ASSERT_TRUE(setKeyboardLayout(layout));
        ASSERT_TRUE(applyDefaults()) << layout;
        expectTheDefaultsWork(layout);
        manager_.unregisterAll();
        manager_.installHandlerIfNeeded();
    }

    // A layout switch while the keys are registered.
    ASSERT_TRUE(setKeyboardLayout("us"));
    ASSERT_TRUE(applyDefaults());
    for (const char* layout : {"de", "fr", "us"}) {
        ASSERT_TRUE(setKeyboardLayout(layout));
        expectTheDefaultsWork(layout);
    }
}

TEST_F(HotKeys, AGrabOfAnotherClientIsRefusedAndTheEarlierSetKeepsWorking) {
    ASSERT_TRUE(applyDefaults());
    OtherXClient other;
    ASSERT_TRUE(other.grab(XK_x, {XK_Super_L, XK_Alt_L}));

    const auto refused =
        manager_.updateShortcuts("Command+Option+B", "Command+Option+[", "Command+Option+X");
    ASSERT_FALSE(refused);
    EXPECT_EQ(refused.error(), GlobalHotKeyError::registrationFailed(HotKeyStatus::hotKeyExists));
    EXPECT_EQ(press({XK_Super_L, XK_Alt_L, XK_b}), boss);
    EXPECT_EQ(press({XK_Super_L, XK_Alt_L, XK_bracketright}), next);
}

TEST_F(HotKeys, ReleasedCombinationsAreFreeForOtherClientsAndRunNothing) {
    ASSERT_TRUE(applyDefaults());
    OtherXClient other;
    EXPECT_FALSE(other.grab(XK_b, {XK_Super_L, XK_Alt_L}));
    // The combination is held with Num Lock on as well.
    EXPECT_FALSE(other.grab(XK_b, {XK_Super_L, XK_Alt_L, XK_Num_Lock}));

    manager_.unregisterAll();
    EXPECT_EQ(press({XK_Super_L, XK_Alt_L, XK_b}), Presses{});
    EXPECT_TRUE(other.grab(XK_b, {XK_Super_L, XK_Alt_L}));
    EXPECT_TRUE(other.grab(XK_b, {XK_Super_L, XK_Alt_L, XK_Num_Lock}));
}

}  // namespace
}  // namespace velumo::uitest
