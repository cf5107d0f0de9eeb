#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "shell/HotKeyBackend.h"
#include "shell/PortalShortcuts.h"

namespace velumo {
namespace {

TEST(HotKeyBackends, WaylandSessionsBindThroughThePortalWhenItOffersGlobalShortcuts) {
    struct Case {
        const char* sessionType;
        const char* waylandDisplay;
        bool portal;
        HotKeyBackend backend;
    };
    for (const auto& [sessionType, waylandDisplay, portal, backend] : {
             Case{"x11", "", true, HotKeyBackend::keyGrabs},
             Case{"", "", false, HotKeyBackend::keyGrabs},
             Case{"wayland", "", true, HotKeyBackend::portal},
             Case{"", "wayland-0", true, HotKeyBackend::portal},
             Case{"wayland", "wayland-0", false, HotKeyBackend::keyGrabsWhileFocused},
             Case{"tty", "wayland-1", false, HotKeyBackend::keyGrabsWhileFocused},
         }) {
        EXPECT_EQ(HotKeyBackends::choose(
                      HotKeyBackends::waylandSession(sessionType, waylandDisplay), portal),
                  backend)
            << sessionType << "|" << waylandDisplay << "|" << portal;
    }
}

TEST(PortalShortcuts, TriggersNameTheModifiersAndTheKeyOfTheManagersHotKeys) {
    struct Case {
        const char* shortcut;
        const char* trigger;
    };
    for (const auto& [shortcut, trigger] : {
             Case{"Command+Option+B", "LOGO+ALT+b"},
             Case{"Option+Command+[", "LOGO+ALT+bracketleft"},
             Case{"Control+Option+Shift+Command+/", "LOGO+CTRL+ALT+SHIFT+slash"},
             Case{"Shift+=", "SHIFT+equal"},
             Case{"ctrl+,", "CTRL+comma"},
         }) {
        EXPECT_EQ(PortalShortcuts::trigger(*ShortcutText::parse(shortcut)), trigger) << shortcut;
    }
    EXPECT_EQ(PortalShortcuts::trigger({99, ShortcutText::commandModifier}), std::nullopt);
    // Only the manager's three hot keys have a name on the desktop.
    const KeyCombination boss = *ShortcutText::parse("Command+Option+B");
    EXPECT_TRUE(PortalShortcuts::shortcut(boss, {fourCharCode("VLMO"), 3}));
    EXPECT_FALSE(PortalShortcuts::shortcut(boss, {fourCharCode("VLMO"), 4}));
    EXPECT_FALSE(PortalShortcuts::shortcut(boss, {fourCharCode("ABCD"), 1}));
}

TEST(PortalShortcuts, ABindingIsGrantedOnlyWhenTheDesktopListsItWithATrigger) {
    using Bound = std::vector<BoundPortalShortcut>;
    struct Case {
        const char* name;
        std::uint32_t response;
        Bound bound;
        bool granted;
    };
    for (const auto& [name, response, bound, granted] : std::vector<Case>{
             {"listed with its trigger", 0, {{"next-window", "Super+Alt+]"}}, true},
             {"listed without a word on triggers", 0, {{"next-window", std::nullopt}}, true},
             {"listed without a trigger", 0, {{"next-window", ""}}, false},
             {"not listed", 0, {{"toggle-boss", "Super+Alt+B"}}, false},
             {"cancelled by the user", 1, {{"next-window", "Super+Alt+]"}}, false},
             {"ended otherwise", 2, {}, false},
         }) {
        EXPECT_EQ(PortalShortcuts::granted(response, bound, "next-window"), granted) << name;
    }
}

}  // namespace
}  // namespace velumo
