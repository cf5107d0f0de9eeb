#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "SettingsServices.h"
#include "data/AppDataStore.h"
#include "shell/SettingsForm.h"
#include "shell/ShortcutCapture.h"

namespace velumo {
namespace {

using Active = std::map<std::uint32_t, std::string>;
const Active defaultsActive{{1, "11-2304"}, {2, "33-2304"}, {3, "30-2304"}};

TEST(ShortcutCapture, ModifiersInTheFixedOrderThenTheKeyAtItsPlace) {
    using Kind = ShortcutCapture::Outcome::Kind;
    struct Case {
        HeldModifiers held;
        std::string keyName;
        std::string characters;
        ShortcutCapture::Outcome outcome;
    };
    const std::string typing(GlobalHotKeyError::typingShortcut().description());
    const std::vector<Case> cases = {
        {{.option = true, .command = true}, "AB05", "b", {Kind::take, "Option+Command+B"}},
        {{true, true, true, true}, "AB05", "b", {Kind::take, "Control+Option+Shift+Command+B"}},
        // The key right of P is "[" whatever the layout types there (ü, ^).
        {{.control = true}, "AD11", "ü", {Kind::take, "Control+["}},
        {{.command = true}, "AB10", "-", {Kind::take, "Command+/"}},
        // Keys outside the table go by their character; the parser judges them.
        {{.control = true}, "AC10", "é", {Kind::take, "Control+É"}},
        {{.command = true}, "AE01", "1", {Kind::take, "Command+1"}},
        // Typing produces these: refused, with the reason.
        {{.shift = true}, "AD11", "[", {Kind::refuse, typing}},
        // Plain keys, keys without a character (F1, a modifier key itself) and
        // ones that upper-case to two characters type as in a text field.
        {{}, "AB05", "b", {}},
        {{.control = true}, "FK01", "", {}},
        {{.control = true}, "", "ß", {}},
        {{.control = true}, "", "\xff", {}},
    };
    for (const auto& [held, keyName, characters, outcome] : cases) {
        EXPECT_EQ(ShortcutCapture::capture(held, keyName, characters), outcome) << characters;
    }
}

TEST(SettingsForm, LoadsPositionsAndBuildsSettingsFromThem) {
    AppSettings stored;
    stored.searchEngine = SearchEngine::duckduckgo;
    stored.menuBarIconStyle = MenuBarIconStyle::hidden;
    stored.themePreference = "dark";
    stored.defaultOpacity = 0.35;
    stored.keepRunningAfterLastWindow = false;
    stored.autoHideToolbar = true;
    stored.defaultAlwaysOnTop = false;
    const auto form = SettingsForm::load(stored, false);
    EXPECT_EQ(form.enginePosition, 2);
    EXPECT_EQ(form.iconPosition, 3);
    EXPECT_EQ(form.themeSegment, 2);
    // Whatever the form does not edit is passed on as read.
    EXPECT_EQ(form.settings(stored), stored);

    stored.themePreference = "Dark";
    EXPECT_EQ(SettingsForm::load(stored, false).themeSegment, 0);

    struct Case {
        double slider;
        double saved;
    };
    for (const auto [slider, saved] :
         {Case{0.1, 0.1}, Case{1.0, 1.0}, Case{0.125, 0.15}, Case{0.52, 0.5}, Case{0.01, 0.1}}) {
        SettingsForm moved = form;
        moved.opacity = slider;
        EXPECT_DOUBLE_EQ(moved.settings(stored).defaultOpacity, saved) << slider;
    }
}

class SettingsSaveTest : public ::testing::Test, protected SettingsServices {
  protected:
    void SetUp() override {
        ASSERT_TRUE(
            hotKeys.updateShortcuts("Command+Option+B", "Command+Option+[", "Command+Option+]"));
        service.calls.clear();
        form = SettingsForm::load(store.snapshot().settings, false);
    }

    // Makes every later write fail: the data folder's place is taken by a file.
    void blockTheDataFolder() const {
        std::filesystem::remove_all(file.parent_path());
        std::ofstream(file.parent_path()) << "in the way";
    }

    SettingsForm form;
};

TEST_F(SettingsSaveTest, UnchangedShortcutsLeaveTheHotKeysAloneEvenWhenNoneAreActive) {
    hotKeys.unregisterAll();
    service.calls.clear();
    form.enginePosition = 1;
    form.themeSegment = 1;
    const auto outcome = form.save(store, hotKeys, autostart);
    EXPECT_EQ(outcome.alert, std::nullopt);
    EXPECT_TRUE(service.calls.empty());
    EXPECT_EQ(store.snapshot().settings.searchEngine, SearchEngine::google);
    EXPECT_EQ(outcome.stored, store.snapshot().settings);
    EXPECT_EQ(outcome.stored.themePreference, "light");
}

TEST_F(SettingsSaveTest, RefusedShortcutsStoreNothingAndKeepTheRegisteredSet) {
    struct Case {
        const char* name;
        std::string boss;
        std::string previous;
        std::string next;
        std::string alert;
    };
    service.refusals["30-4608"] = HotKeyStatus::hotKeyExists;
    const std::vector<Case> cases = {
        {"typed by hand", "Command+1", "Command+Option+[", "Command+Option+]",
         "快捷键格式无效，请按下带修饰键的组合键。"},
        {"duplicate", "Command+Option+B", "Option+Command+B", "Command+Option+]",
         "三个快捷键不能重复，请重新设置。"},
        {"taken", "Control+Shift+B", "Control+Shift+[", "Control+Shift+]",
         "该快捷键已被系统或其他应用占用，已保留原快捷键。"},
    };
    const auto before = fileContents();
    const auto stored = store.snapshot().settings;
    for (const auto& [name, boss, previous, next, alert] : cases) {
        form.shortcut = boss;
        form.previousWindowShortcut = previous;
        form.nextWindowShortcut = next;
        form.enginePosition = 2;
        const auto outcome = form.save(store, hotKeys, autostart);
        EXPECT_EQ(outcome.alert, alert) << name;
        EXPECT_TRUE(outcome.restoreShortcuts) << name;
        EXPECT_EQ(outcome.stored, stored) << name;
        EXPECT_EQ(fileContents(), before) << name;
        EXPECT_EQ(service.active(), defaultsActive) << name;
    }
}

TEST_F(SettingsSaveTest, NewShortcutsAreAppliedBeforeTheStoreAndTakenBackWhenItFails) {
    form.shortcut = "Control+Shift+B";
    form.previousWindowShortcut = "Control+Shift+[";
    form.nextWindowShortcut = "Control+Shift+]";
    const auto stored = store.snapshot().settings;
    blockTheDataFolder();
    const auto failed = form.save(store, hotKeys, autostart);
    ASSERT_TRUE(failed.alert);
    EXPECT_NE(failed.alert->find(file.parent_path().string()), std::string::npos) << *failed.alert;
    EXPECT_FALSE(failed.restoreShortcuts);
    EXPECT_EQ(failed.stored, stored);
    EXPECT_EQ(store.snapshot().settings, stored);
    EXPECT_EQ(service.active(), defaultsActive);
    EXPECT_EQ(service.calls.at(3), "+11-4608") << "the new set was applied first";

    // Unchanged shortcuts are not touched by a failing store either.
    service.calls.clear();
    form = SettingsForm::load(stored, false);
    form.autoHideToolbar = !stored.autoHideToolbar;
    EXPECT_TRUE(form.save(store, hotKeys, autostart).alert);
    EXPECT_TRUE(service.calls.empty());

    // Once the store writes again; the next window's key alone changed is applied too.
    std::filesystem::remove(file.parent_path());
    form.nextWindowShortcut = "Control+Shift+]";
    const auto saved = form.save(store, hotKeys, autostart);
    EXPECT_EQ(saved.alert, std::nullopt);
    EXPECT_EQ(service.active(), (Active{{1, "11-2304"}, {2, "33-2304"}, {3, "30-4608"}}));
    EXPECT_EQ(saved.stored.nextWindowShortcut, "Control+Shift+]");
    EXPECT_EQ(AppDataStore(file).snapshot().settings, saved.stored);
}

TEST_F(SettingsSaveTest, StartAtLoginFollowsOnlyOnceTheSettingsAreStored) {
    form.startAtLogin = true;
    form.shortcut = "Command+1";
    EXPECT_TRUE(form.save(store, hotKeys, autostart).alert);
    form.shortcut = "Command+Option+B";
    blockTheDataFolder();
    EXPECT_FALSE(form.save(store, hotKeys, autostart).settingsSaved);
    EXPECT_FALSE(std::filesystem::exists(autostart.path()));

    std::filesystem::remove(file.parent_path());
    const auto saved = form.save(store, hotKeys, autostart);
    EXPECT_EQ(saved.alert, std::nullopt);
    EXPECT_TRUE(autostart.enabled());
    form.startAtLogin = false;
    EXPECT_TRUE(form.save(store, hotKeys, autostart).settingsSaved);
    EXPECT_FALSE(std::filesystem::exists(autostart.path()));

    // The entry cannot be written: the settings are stored all the same and
    // the alert says both.
    std::filesystem::remove(autostart.path().parent_path());
    std::ofstream(autostart.path().parent_path()) << "in the way";
    form.startAtLogin = true;
    form.enginePosition = 2;
    const auto blocked = form.save(store, hotKeys, autostart);
    EXPECT_TRUE(blocked.settingsSaved);
    ASSERT_TRUE(blocked.alert);
    EXPECT_TRUE(
        blocked.alert->starts_with("其他设置已保存，但未能更改“登录时启动”：无法创建文件夹"))
        << *blocked.alert;
    EXPECT_EQ(AppDataStore(file).snapshot().settings.searchEngine, SearchEngine::duckduckgo);
}

TEST_F(SettingsSaveTest, BringingWindowsBackIsKeptInTheStateFileOnlyWithTheSettings) {
    StateStore state(temporary.path() / "state.json");
    form = SettingsForm::load(store.snapshot().settings, false, state.snapshot().restoreWindows);
    EXPECT_TRUE(form.restoreWindows);
    form.restoreWindows = false;
    form.shortcut = "Command+1";
    EXPECT_TRUE(form.save(store, hotKeys, autostart, &state).alert);
    EXPECT_TRUE(state.snapshot().restoreWindows);
    form.shortcut = "Command+Option+B";
    EXPECT_EQ(form.save(store, hotKeys, autostart, &state).alert, std::nullopt);
    EXPECT_FALSE(state.snapshot().restoreWindows);
}

}  // namespace
}  // namespace velumo
