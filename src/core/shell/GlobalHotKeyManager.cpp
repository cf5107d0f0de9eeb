#include "shell/GlobalHotKeyManager.h"

#include <utility>

#include "MainQueue.h"
#include "NotificationCenter.h"

namespace velumo {

GlobalHotKeyManager::GlobalHotKeyManager(HotKeyService* service)
    : service_(service), lifetime_(std::make_shared<GlobalHotKeyManager*>(this)) {
    attach();
}

// The service's observer holds the manager weakly: it may stay behind.
GlobalHotKeyManager::~GlobalHotKeyManager() {
    unregisterAll();
}

GlobalHotKeyManager& GlobalHotKeyManager::shared() {
    static GlobalHotKeyManager manager;
    return manager;
}

void GlobalHotKeyManager::setService(HotKeyService* service) {
    unregisterAll();
    if (service_ != nullptr) {
        service_->observeBindings(nullptr);
    }
    service_ = service;
    earlier_.reset();
    desktopBindings_.reset();
    attach();
}

void GlobalHotKeyManager::attach() {
    if (service_ == nullptr) {
        return;
    }
    service_->observeBindings([weak = std::weak_ptr(lifetime_)](const DesktopBindings& bindings) {
        if (const auto self = weak.lock()) {
            (*self)->desktopAnswered(bindings);
        }
    });
}

void GlobalHotKeyManager::setActions(Action boss, Action previousWindow, Action nextWindow) {
    actions_ = {std::move(boss), std::move(previousWindow), std::move(nextWindow)};
}

void GlobalHotKeyManager::setLateRefusalHandler(std::function<void(const LateRefusal&)> handler) {
    lateRefusal_ = std::move(handler);
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
    Set wanted{{}, {std::string(boss), std::string(previousWindow), std::string(nextWindow)}};
    for (std::size_t i = 0; i < hotKeyCount; ++i) {
        const auto parsed = ShortcutText::parse(wanted.texts.at(i));
        if (!parsed) {
            return std::unexpected(GlobalHotKeyError::invalidShortcut());
        }
        wanted.combinations.at(i) = *parsed;
    }
    for (const KeyCombination& combination : wanted.combinations) {
        if (ShortcutText::takesOverTyping(combination)) {
            return std::unexpected(GlobalHotKeyError::typingShortcut());
        }
    }
    const auto& combinations = wanted.combinations;
    if (combinations[0] == combinations[1] || combinations[0] == combinations[2] ||
        combinations[1] == combinations[2]) {
        return std::unexpected(GlobalHotKeyError::duplicateShortcut());
    }
    // `current_` is only set while all three references are held.
    if (current_ && current_->combinations == combinations) {
        return {};
    }

    auto earlier = std::move(current_);
    unregisterReferences();
    const auto refusal = registerAll(combinations);
    if (!refusal) {
        current_ = std::move(wanted);
        earlier_ = std::move(earlier);
        return {};
    }
    unregisterReferences();
    if (earlier) {
        if (registerAll(earlier->combinations)) {
            unregisterReferences();
        } else {
            current_ = std::move(earlier);
        }
    }
    earlier_.reset();
    return std::unexpected(GlobalHotKeyError::registrationFailed(*refusal));
}

std::optional<ShortcutTexts> GlobalHotKeyManager::activeShortcuts() const {
    return current_ ? std::optional(current_->texts) : std::nullopt;
}

void GlobalHotKeyManager::desktopAnswered(const DesktopBindings& bindings) {
    desktopBindings_ = bindings;
    if (bindings.answer == DesktopBindings::Answer::answered) {
        earlier_.reset();
    }
    NotificationCenter::defaultCenter().post(hotKeysDidChange, this);
    if (bindings.answer == DesktopBindings::Answer::refused) {
        // Not inside the service's own report.
        MainQueue::async([weak = std::weak_ptr(lifetime_)] {
            if (const auto self = weak.lock()) {
                (*self)->restoreAfterLateRefusal();
            }
        });
    }
}

void GlobalHotKeyManager::restoreAfterLateRefusal() {
    if (!current_) {
        return;
    }
    LateRefusal refusal{current_->texts, std::nullopt};
    auto earlier = std::exchange(earlier_, std::nullopt);
    unregisterReferences();
    if (earlier) {
        if (registerAll(earlier->combinations)) {
            unregisterReferences();
        } else {
            refusal.restored = earlier->texts;
            current_ = std::move(earlier);
        }
    }
    NotificationCenter::defaultCenter().post(hotKeysDidChange, this);
    if (lateRefusal_) {
        lateRefusal_(refusal);
    }
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
    earlier_.reset();
    if (handlerInstalled_) {
        service_->removePressHandler();
        handlerInstalled_ = false;
    }
}

}  // namespace velumo
