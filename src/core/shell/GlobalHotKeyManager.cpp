#include "shell/GlobalHotKeyManager.h"

#include <utility>

#include "MainQueue.h"

namespace velumo {

GlobalHotKeyManager::GlobalHotKeyManager(HotKeyService* service)
    : service_(service), lifetime_(std::make_shared<GlobalHotKeyManager*>(this)) {}

GlobalHotKeyManager::~GlobalHotKeyManager() {
    unregisterAll();
}

GlobalHotKeyManager& GlobalHotKeyManager::shared() {
    static GlobalHotKeyManager manager;
    return manager;
}

void GlobalHotKeyManager::setService(HotKeyService* service) {
    unregisterAll();
    service_ = service;
}

void GlobalHotKeyManager::setActions(Action boss, Action previousWindow, Action nextWindow) {
    actions_ = {std::move(boss), std::move(previousWindow), std::move(nextWindow)};
}

void GlobalHotKeyManager::installHandlerIfNeeded() {
    if (handlerInstalled_ || service_ == nullptr) {
        return;
    }
    service_->installPressHandler([weak = std::weak_ptr(lifetime_)](HotKeyIdentifier identifier) {
        const auto self = weak.lock();
        return self ? (*self)->handle(identifier) : HotKeyStatus::eventNotHandled;
    });
    handlerInstalled_ = true;
}

std::int32_t GlobalHotKeyManager::handle(HotKeyIdentifier identifier) {
    if (identifier.signature != signature || identifier.id < 1 || identifier.id > hotKeyCount) {
        return HotKeyStatus::eventNotHandled;
    }
    MainQueue::async([weak = std::weak_ptr(lifetime_), index = identifier.id - 1] {
        const auto self = weak.lock();
        if (!self) {
            return;
        }
        // A copy, so an action that replaces the actions cannot destroy
        // itself while it runs.
        const Action action = (*self)->actions_.at(index);
        if (action) {
            action();
        }
    });
    return HotKeyStatus::ok;
}

std::expected<void, GlobalHotKeyError> GlobalHotKeyManager::updateShortcuts(
    std::string_view boss, std::string_view previousWindow, std::string_view nextWindow) {
    Combinations wanted;
    const std::array texts{boss, previousWindow, nextWindow};
    for (std::size_t i = 0; i < hotKeyCount; ++i) {
        const auto parsed = ShortcutText::parse(texts.at(i));
        if (!parsed) {
            return std::unexpected(GlobalHotKeyError::invalidShortcut());
        }
        wanted.at(i) = *parsed;
    }
    if (wanted[0] == wanted[1] || wanted[0] == wanted[2] || wanted[1] == wanted[2]) {
        return std::unexpected(GlobalHotKeyError::duplicateShortcut());
    }
    // `current_` is only set while all three references are held.
    if (current_ == wanted) {
        return {};
    }

    const auto earlier = current_;
    unregisterReferences();
    const auto refusal = registerAll(wanted);
    if (!refusal) {
        current_ = wanted;
        return {};
    }
    unregisterReferences();
    if (earlier) {
        if (registerAll(*earlier)) {
            unregisterReferences();
        } else {
            current_ = earlier;
        }
    }
    return std::unexpected(GlobalHotKeyError::registrationFailed(*refusal));
}

std::optional<std::int32_t> GlobalHotKeyManager::registerAll(const Combinations& combinations) {
    if (service_ == nullptr) {
        return HotKeyStatus::hotKeyInvalid;
    }
    for (std::size_t i = 0; i < hotKeyCount; ++i) {
        const auto& combination = combinations.at(i);
        const auto registration =
            service_->registerHotKey(combination.keyCode, combination.modifiers,
                                     {signature, static_cast<std::uint32_t>(i + 1)});
        if (registration.status != HotKeyStatus::ok || !registration.reference) {
            return registration.status;
        }
        references_.at(i) = registration.reference;
    }
    return std::nullopt;
}

// References only exist while there is a service: setService releases them
// before it changes the service.
void GlobalHotKeyManager::unregisterReferences() {
    for (auto& reference : references_) {
        if (reference) {
            service_->unregisterHotKey(*reference);
            reference.reset();
        }
    }
    current_.reset();
}

void GlobalHotKeyManager::unregisterAll() {
    unregisterReferences();
    if (handlerInstalled_) {
        service_->removePressHandler();
        handlerInstalled_ = false;
    }
}

}  // namespace velumo
