#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>

#include "FakeHotKeyService.h"
#include "NotificationCenter.h"
#include "PendingTurns.h"
#include "shell/GlobalHotKeyManager.h"
#include "shell/ShortcutText.h"

namespace velumo {
namespace {

using Calls = std::vector<std::string>;
const std::map<std::uint32_t, std::string> defaultsActive{
    {1, "11-2304"}, {2, "33-2304"}, {3, "30-2304"}};
const ShortcutTexts defaults{"Command+Option+B", "Command+Option+[", "Command+Option+]"};
const ShortcutTexts others{"Control+Shift+B", "Control+Shift+[", "Control+Shift+]"};

auto apply(GlobalHotKeyManager& manager, const ShortcutTexts& texts) {
    return manager.updateShortcuts(texts[0], texts[1], texts[2]);
}
auto applyDefaults(GlobalHotKeyManager& manager) {
    return apply(manager, defaults);
}
auto applyOthers(GlobalHotKeyManager& manager) {
    return apply(manager, others);
}
std::unexpected<GlobalHotKeyError> failed(std::int32_t status) {
    return std::unexpected(GlobalHotKeyError::registrationFailed(status));
}

TEST(GlobalHotKeyManager, ChangesRegistrationsOnlyForANewValidSet) {
    FakeHotKeyService service;
    GlobalHotKeyManager manager(&service);
    ASSERT_TRUE(applyDefaults(manager));
    EXPECT_EQ(service.active(), defaultsActive);
    service.calls.clear();

    const auto invalid = std::unexpected(GlobalHotKeyError::invalidShortcut());
    const auto duplicate = std::unexpected(GlobalHotKeyError::duplicateShortcut());
    EXPECT_EQ(manager.updateShortcuts("Command+Option+B", "Command+Option+[", "Command+1"),
              invalid);
    EXPECT_EQ(manager.updateShortcuts("Command+Option+B", "cmd+alt+b", "Command+Option+]"),
              duplicate);
    EXPECT_EQ(manager.updateShortcuts("Alt+B", "Control+]", "ctrl+]"), duplicate);
    // Without Command, Option or Control a grab would take the key from typing.
    const auto typing = std::unexpected(GlobalHotKeyError::typingShortcut());
    EXPECT_EQ(manager.updateShortcuts("Shift+A", "Command+Option+[", "Command+Option+]"), typing);
    EXPECT_EQ(manager.updateShortcuts("Command+Option+B", "Shift+Shift+[", "Command+Option+]"),
              typing);
    // The registered set, written differently.
    EXPECT_TRUE(manager.updateShortcuts("Option+Command+B", "cmd+alt+[", "ALT+CMD+]"));
    EXPECT_TRUE(service.calls.empty());
    EXPECT_EQ(manager.activeShortcuts(), defaults);

    // Swapping two keys only works when the old grabs go before the new ones.
    EXPECT_TRUE(
        manager.updateShortcuts("Command+Option+[", "Command+Option+B", "Command+Option+]"));
    EXPECT_EQ(service.calls,
              (Calls{"-11-2304", "-33-2304", "-30-2304", "+33-2304", "+11-2304", "+30-2304"}));
}

TEST(GlobalHotKeyManager, RefusalRestoresTheEarlierSetOrLeavesNone) {
    FakeHotKeyService service;
    GlobalHotKeyManager manager(&service);
    ASSERT_TRUE(applyDefaults(manager));
    service.calls.clear();
    service.refusals["30-4608"] = HotKeyStatus::hotKeyExists;
    EXPECT_EQ(applyOthers(manager), failed(HotKeyStatus::hotKeyExists));
    EXPECT_EQ(service.calls,
              (Calls{"-11-2304", "-33-2304", "-30-2304", "+11-4608", "+33-4608", "+30-4608",
                     "-11-4608", "-33-4608", "+11-2304", "+33-2304", "+30-2304"}));
    EXPECT_EQ(service.active(), defaultsActive);
    // The restored set counts as registered.
    service.calls.clear();
    EXPECT_TRUE(applyDefaults(manager));
    EXPECT_TRUE(service.calls.empty());

    // The answer keeps the new registration's status when restoring fails too.
    service.refusals["33-2304"] = HotKeyStatus::hotKeyInvalid;
    EXPECT_EQ(applyOthers(manager), failed(HotKeyStatus::hotKeyExists));
    EXPECT_TRUE(service.active().empty());

    // With no earlier set nothing is left; a success without a reference is a refusal.
    service.refusals = {{"11-4608", HotKeyStatus::ok}};
    EXPECT_EQ(applyOthers(manager), failed(HotKeyStatus::ok));
    service.refusals = {{"33-2304", HotKeyStatus::hotKeyExists}};
    EXPECT_EQ(applyDefaults(manager), failed(HotKeyStatus::hotKeyExists));
    EXPECT_TRUE(service.active().empty());
}

TEST(GlobalHotKeyManager, ADesktopThatRefusesASetLaterGetsTheEarlierSetBack) {
    FakeHotKeyService service;
    GlobalHotKeyManager manager(&service);
    std::vector<GlobalHotKeyManager::LateRefusal> refusals;
    manager.setLateRefusalHandler([&](const auto& refusal) { refusals.push_back(refusal); });
    int changes = 0;
    const auto token = NotificationCenter::defaultCenter().addObserver(
        std::string(hotKeysDidChange), &manager, [&](const Notification&) { ++changes; });
    ASSERT_TRUE(applyDefaults(manager));
    const DesktopBindings given{DesktopBindings::Answer::answered, {{1, "Meta+Alt+B"}}};
    service.observer(given);
    EXPECT_EQ(manager.desktopBindings(), given);
    EXPECT_EQ(changes, 1);

    ASSERT_TRUE(applyOthers(manager));
    service.observer({DesktopBindings::Answer::refused, {}});
    EXPECT_EQ(manager.activeShortcuts(), others) << "not inside the service's own report";
    runPendingTurns();
    EXPECT_EQ(service.active(), defaultsActive);
    ASSERT_EQ(refusals.size(), 1U);
    EXPECT_EQ(refusals[0].refused, others);
    EXPECT_EQ(refusals[0].restored, defaults);

    // The restored set refused as well: there is nothing left to go back to.
    service.observer({DesktopBindings::Answer::refused, {}});
    runPendingTurns();
    EXPECT_TRUE(service.active().empty());
    EXPECT_EQ(refusals.back().restored, std::nullopt);
    EXPECT_EQ(manager.activeShortcuts(), std::nullopt);
    manager.setService(nullptr);
    EXPECT_EQ(manager.desktopBindings(), std::nullopt);
}

TEST(GlobalHotKeyManager, PressRunsTheActionSetAtALaterTurn) {
    FakeHotKeyService service;
    GlobalHotKeyManager manager(&service);
    manager.installHandlerIfNeeded();
    manager.installHandlerIfNeeded();
    EXPECT_EQ(service.handlerInstalls, 1);

    std::vector<std::string> ran;
    const auto record = [&](std::string name) { return [&ran, name] { ran.push_back(name); }; };
    manager.setActions(record("stale"), nullptr, record("next"));
    EXPECT_EQ(service.press(3), HotKeyStatus::ok);
    EXPECT_EQ(service.press(1), HotKeyStatus::ok);
    // An absent action is still a handled press.
    EXPECT_EQ(service.press(2), HotKeyStatus::ok);
    manager.setActions(record("boss"), nullptr, record("next"));
    EXPECT_TRUE(ran.empty());
    runPendingTurns();
    EXPECT_EQ(ran, (std::vector<std::string>{"next", "boss"}));

    EXPECT_EQ(service.press(1, fourCharCode("VLMP")), HotKeyStatus::eventNotHandled);
    EXPECT_EQ(service.press(0), HotKeyStatus::eventNotHandled);
    EXPECT_EQ(service.press(4), HotKeyStatus::eventNotHandled);
    runPendingTurns();
    EXPECT_EQ(ran.size(), 2U);
}

TEST(GlobalHotKeyManager, ReleasesEverythingWhenAskedOrGone) {
    FakeHotKeyService service;
    auto manager = std::make_unique<GlobalHotKeyManager>(&service);
    manager->installHandlerIfNeeded();
    ASSERT_TRUE(applyDefaults(*manager));
    service.calls.clear();
    manager->unregisterAll();
    EXPECT_EQ(service.calls, (Calls{"-11-2304", "-33-2304", "-30-2304"}));
    EXPECT_FALSE(service.handler);

    manager->installHandlerIfNeeded();
    ASSERT_TRUE(applyDefaults(*manager));
    int ran = 0;
    manager->setActions([&] { ++ran; }, nullptr, nullptr);
    EXPECT_EQ(service.press(1), HotKeyStatus::ok);
    manager.reset();
    runPendingTurns();
    EXPECT_EQ(ran, 0);
    EXPECT_TRUE(service.grabs.empty());
    EXPECT_FALSE(service.handler);
}

TEST(GlobalHotKeyManager, RegistersNothingUntilItHasAService) {
    GlobalHotKeyManager manager;
    manager.installHandlerIfNeeded();
    EXPECT_EQ(applyDefaults(manager), failed(HotKeyStatus::hotKeyInvalid));

    FakeHotKeyService first;
    FakeHotKeyService second;
    manager.setService(&first);
    manager.installHandlerIfNeeded();
    ASSERT_TRUE(applyDefaults(manager));
    manager.setService(&second);
    EXPECT_TRUE(first.grabs.empty());
    EXPECT_FALSE(first.handler);
}

TEST(ShortcutText, ParsesModifiersInAnyOrderCaseAndSynonym) {
    using namespace ShortcutText;
    const struct {
        std::string_view text;
        KeyCombination expected;
    } cases[] = {
        {"command+option+b", {11, 2304}},
        {"Cmd+Alt+B", {11, 2304}},
        {"Option+Command+B", {11, 2304}},
        {"Control+Option+Shift+Command+B", {11, 6912}},
        {"ctrl+SHIFT+b", {11, controlModifier | shiftModifier}},
        {"Shift+B", {11, shiftModifier}},
        {"Command+Z", {6, commandModifier}},
        {"Command+Command+B", {11, commandModifier}},
        {"Command+Option+[", {33, 2304}},
        {"Command+Option+]", {30, 2304}},
        {"Control+/", {44, controlModifier}},
        // Empty pieces are dropped.
        {"Command++B", {11, commandModifier}},
        {"+Command+B+", {11, commandModifier}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(parse(c.text), std::optional(c.expected)) << c.text;
    }
}

TEST(ShortcutText, KeysArePlacesOnTheKeyboardWithTheirUsLayoutSymbols) {
    std::set<std::string_view> names;
    std::set<std::string_view> keysyms;
    for (const ShortcutKey& key : ShortcutText::keys) {
        names.insert(key.keyName);
        keysyms.insert(key.keysym);
        EXPECT_EQ(ShortcutText::keyNamed(key.keyName), &key);
        EXPECT_EQ(ShortcutText::keyWithCode(key.keyCode), &key);
    }
    EXPECT_EQ(names.size(), ShortcutText::keys.size());
    EXPECT_EQ(keysyms.size(), ShortcutText::keys.size());
    for (const auto& [name, token] :
         {std::pair{"AD11", "["}, std::pair{"AD12", "]"}, std::pair{"AB05", "b"},
          std::pair{"AC01", "a"}, std::pair{"AD01", "q"}, std::pair{"AB10", "/"},
          std::pair{"AE11", "-"}, std::pair{"AE12", "="}}) {
        EXPECT_EQ(ShortcutText::keyNamed(name)->token, token) << name;
    }
    // The digit row and ";" are no shortcut keys.
    EXPECT_EQ(ShortcutText::keyNamed("AE01"), nullptr);
    EXPECT_EQ(ShortcutText::keyNamed("AC10"), nullptr);
}

TEST(ShortcutText, IsShownWithTheKeyboardsNamesAndStoredWithItsOwn) {
    for (const auto& [text, shown] : {
             std::pair{"Command+Option+[", "Super+Alt+["},
             std::pair{"Option+Command+b", "Super+Alt+B"},
             std::pair{"cmd+alt+]", "Super+Alt+]"},
             std::pair{"Control+Option+Shift+Command+/", "Super+Ctrl+Alt+Shift+/"},
             // Invalid texts keep their pieces, so the fault stays visible.
             std::pair{"Command+1", "Super+1"},
             std::pair{"Hyper+B", "Hyper+B"},
             std::pair{"Command+", "Super+"},
         }) {
        EXPECT_EQ(ShortcutText::displayed(text), shown) << text;
        EXPECT_EQ(ShortcutText::parse(ShortcutText::stored(shown)), ShortcutText::parse(text))
            << text;
    }
    EXPECT_EQ(ShortcutText::stored("Super+Alt+["), "Command+Option+[");
    EXPECT_EQ(ShortcutText::stored("ctrl+Shift+Super+x"), "Control+Shift+Command+x");
    EXPECT_EQ(ShortcutText::stored("Command + B"), "Command + B");
}

TEST(ShortcutText, RefusesTextsWithoutAModifierAndAnAcceptedKey) {
    for (const std::string_view text :
         {"", "+", "B", "Command", "Command+", "Command++", "Command+Option", "Hyper+B",
          "Command+B+Option", "Command+1", "Command+F1", "Command+Space", "Command+;", "Command+'",
          "Command + B", " Command+B", "Command+bb", "Command+\xC3\xA9"}) {
        EXPECT_EQ(ShortcutText::parse(text), std::nullopt) << '"' << text << '"';
    }
    EXPECT_EQ(ShortcutText::keyCode("A"), std::nullopt);
}

}  // namespace
}  // namespace velumo
