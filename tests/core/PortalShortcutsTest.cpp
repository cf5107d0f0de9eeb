#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "shell/HotKeyBackend.h"
#include "shell/HotKeyMessages.h"
#include "shell/PortalShortcuts.h"

namespace velumo {
namespace {

TEST(HotKeyBackends, WaylandSessionsBindThroughThePortalUnlessItCannotMakeASession) {
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

TEST(HotKeyMessages, ALaunchRefusalSaysWhichKeysWorkNow) {
    const ShortcutTexts kept{"Command+Option+B", "Control+[", "Option+Shift+]"};
    const auto taken = GlobalHotKeyError::registrationFailed(HotKeyStatus::hotKeyExists);
    EXPECT_EQ(HotKeyMessages::launchRefusal(taken, std::nullopt),
              (AlertText{"该快捷键已被系统或其他应用占用。",
                         "目前没有生效的全局快捷键，可在“设置”中另选组合键。"}));
    EXPECT_EQ(HotKeyMessages::launchRefusal(taken, kept),
              (AlertText{"该快捷键已被系统或其他应用占用，已保留原快捷键。",
                         "目前生效的快捷键：全局老板键 Super+Alt+B，上一个浮窗 Ctrl+[，"
                         "下一个浮窗 Alt+Shift+]。"}));
    EXPECT_EQ(
        HotKeyMessages::launchRefusal(GlobalHotKeyError::invalidShortcut(), std::nullopt).message,
        "快捷键格式无效，请按下带修饰键的组合键。");
}

TEST(HotKeyMessages, UnderTheShortcutsTheDesktopsKeysAndCommandsForTheRest) {
    using Answer = DesktopBindings::Answer;
    const auto commands = HotKeyBackends::desktopShortcutCommands();
    const std::string forTheRest =
        "可在系统的键盘快捷键设置中为 Velumo 指定按键，或添加自定义快捷键，命令如下：";
    EXPECT_EQ(HotKeyMessages::note(HotKeyBackend::keyGrabs, std::nullopt), HotKeyNote{});
    EXPECT_EQ(HotKeyMessages::note(HotKeyBackend::keyGrabsWhileFocused, std::nullopt).commands,
              commands);

    const DesktopBindings all{Answer::answered,
                              {{1, "Meta+Alt+B"}, {2, "Meta+Alt+["}, {3, "Meta+Alt+]"}}};
    EXPECT_EQ(HotKeyMessages::note(HotKeyBackend::portal, all),
              (HotKeyNote{{"桌面已登记：全局老板键 Meta+Alt+B，上一个浮窗 Meta+Alt+[，下一个浮窗 "
                           "Meta+Alt+]。可在系统的键盘快捷键设置中查看或更改。"},
                          {}}));
    const DesktopBindings some{Answer::answered, {{2, "Meta+Alt+["}}};
    EXPECT_EQ(
        HotKeyMessages::note(HotKeyBackend::portal, some),
        (HotKeyNote{{"桌面已登记：上一个浮窗 Meta+Alt+[。可在系统的键盘快捷键设置中查看或更改。",
                     "其余快捷键桌面还没有分配按键。" + forTheRest},
                    {commands[0], commands[2]}}));
    EXPECT_EQ(HotKeyMessages::note(HotKeyBackend::portal, DesktopBindings{Answer::answered, {}}),
              (HotKeyNote{{"桌面还没有为快捷键分配按键。" + forTheRest}, commands}));
    // Before an answer, and after a refusal, every command is offered.
    EXPECT_EQ(HotKeyMessages::note(HotKeyBackend::portal, std::nullopt),
              (HotKeyNote{{"正在等待桌面登记快捷键。", "桌面还没有为快捷键分配按键。" + forTheRest},
                          commands}));
    EXPECT_EQ(HotKeyMessages::note(HotKeyBackend::portal, DesktopBindings{Answer::refused, {}})
                  .lines.front(),
              "桌面没有登记快捷键。");
}

}  // namespace
}  // namespace velumo
