#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <glib.h>
#include <gtest/gtest.h>

#include "FakeHotKeyService.h"
#include "shell/GlobalHotKeyManager.h"
#include "shell/ShortcutText.h"

namespace velumo {
namespace {

void runPendingTurns() {
    while (g_main_context_iteration(nullptr, FALSE)) {
    }
}

using Calls = std::vector<std::string>;
const std::map<std::uint32_t, std::string> defaultsActive{
    {1, "11-2304"}, {2, "33-2304"}, {3, "30-2304"}};

auto applyDefaults(GlobalHotKeyManager& manager) {
    return manager.updateShortcuts("Command+Option+B", "Command+Option+[", "Command+Option+]");
}
auto applyOthers(GlobalHotKeyManager& manager) {
    return manager.updateShortcuts("Control+Shift+B", "Control+Shift+[", "Control+Shift+]");
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
    EXPECT_EQ(manager.updateShortcuts("Shift+B", "Control+]", "ctrl+]"), duplicate);
    // The registered set, written differently.
    EXPECT_TRUE(manager.updateShortcuts("Option+Command+B", "cmd+alt+[", "ALT+CMD+]"));
    EXPECT_TRUE(service.calls.empty());

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
