#pragma once

#include <map>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "shell/GlobalHotKeyManager.h"

namespace velumo {

// A desktop that grabs each combination for one client at a time, refuses
// chosen combinations ("keyCode-modifiers" -> status; 0 answers without a
// reference) and records every call.
class FakeHotKeyService : public HotKeyService {
  public:
    std::map<std::string, std::int32_t> refusals;
    std::vector<std::string> calls;
    std::map<Reference, std::pair<std::string, HotKeyIdentifier>> grabs;
    PressHandler handler;
    int handlerInstalls = 0;
    BindingObserver observer;

    Registration registerHotKey(std::uint32_t keyCode, std::uint32_t modifiers,
                                HotKeyIdentifier identifier) override {
        const auto text = std::to_string(keyCode) + "-" + std::to_string(modifiers);
        calls.push_back("+" + text);
        if (refusals.contains(text)) {
            return {refusals[text], std::nullopt};
        }
        for (const auto& [reference, grab] : grabs) {
            if (grab.first == text) {
                return {HotKeyStatus::hotKeyExists, std::nullopt};
            }
        }
        grabs[++lastReference_] = {text, identifier};
        return {HotKeyStatus::ok, lastReference_};
    }
    void unregisterHotKey(Reference reference) override {
        calls.push_back("-" + grabs.at(reference).first);
        grabs.erase(reference);
    }
    void installPressHandler(PressHandler pressHandler) override {
        handler = std::move(pressHandler);
        ++handlerInstalls;
    }
    void removePressHandler() override { handler = nullptr; }
    void observeBindings(const BindingObserver& bindingObserver) override {
        observer = bindingObserver;
    }

    // Grabbed combinations by id; each must carry the manager's signature.
    std::map<std::uint32_t, std::string> active() const {
        std::map<std::uint32_t, std::string> byId;
        for (const auto& [reference, grab] : grabs) {
            EXPECT_EQ(grab.second.signature, 0x564C4D4FU);
            byId[grab.second.id] = grab.first;
        }
        return byId;
    }
    std::int32_t press(std::uint32_t id, std::uint32_t signature = GlobalHotKeyManager::signature) {
        return handler({signature, id});
    }

  private:
    Reference lastReference_ = 0;
};

}  // namespace velumo
