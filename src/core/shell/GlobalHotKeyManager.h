#pragma once

#include <array>
#include <cstdint>
#include <expected>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "shell/GlobalHotKeyError.h"
#include "shell/HotKeyService.h"
#include "shell/ShortcutText.h"

namespace velumo {

// Posted by the manager when what the desktop made of the hot keys changes
// (a portal's answer) or when a late refusal changed the registered set.
inline constexpr std::string_view hotKeysDidChange = "Velumo.HotKeysDidChange";

// The shortcut texts of the boss key, the previous window and the next window.
using ShortcutTexts = std::array<std::string, 3>;

// The three system-wide hot keys (boss key, previous window, next window),
// registered as one unit: all three, or after a refusal the earlier three, or
// none. Presses run their action on a later main-loop turn, never inside the
// service's own dispatch. A service whose desktop answers later (the portal)
// may refuse a set after it was accepted: the earlier set is then registered
// again in the same way. Main thread only.
class GlobalHotKeyManager {
  public:
    using Action = std::function<void()>;

    // A set the desktop refused after updateShortcuts had accepted it, and
    // the set registered again in its place, if there was one.
    struct LateRefusal {
        ShortcutTexts refused;
        std::optional<ShortcutTexts> restored;
    };

    // Every registration carries this signature and the id of its hot key.
    static constexpr std::uint32_t signature = fourCharCode("VLMO");

    // Without a service nothing can be registered until one is set.
    explicit GlobalHotKeyManager(HotKeyService* service = nullptr);
    GlobalHotKeyManager(const GlobalHotKeyManager&) = delete;
    GlobalHotKeyManager& operator=(const GlobalHotKeyManager&) = delete;
    ~GlobalHotKeyManager();

    // The process-wide manager, created on first use without a service; the
    // desktop layer sets its service at start-up.
    static GlobalHotKeyManager& shared();

    // Releases everything held with the earlier service first. The service
    // must outlive its use here: set none (or unregisterAll) before it goes.
    void setService(HotKeyService* service);

    // Replaces the three actions; a press runs whichever is set when its turn
    // comes. An absent action makes the press do nothing.
    void setActions(Action boss, Action previousWindow, Action nextWindow);

    void installHandlerIfNeeded();

    // Applies three shortcut texts. Invalid or duplicate texts, and
    // combinations that typing produces (no Command, Option or Control),
    // change nothing; the set already registered is left untouched; a refused
    // registration restores the earlier complete set when it can, otherwise
    // leaves none.
    std::expected<void, GlobalHotKeyError> updateShortcuts(std::string_view boss,
                                                           std::string_view previousWindow,
                                                           std::string_view nextWindow);

    // Releases the hot keys and removes the press handler.
    void unregisterAll();

    // The texts of the set registered now; none when no set is.
    std::optional<ShortcutTexts> activeShortcuts() const;
    // The desktop's latest answer about the registered keys, from a service
    // that binds through the desktop; none with any other service.
    const std::optional<DesktopBindings>& desktopBindings() const { return desktopBindings_; }
    // Hears of every late refusal, once the earlier set is registered again.
    void setLateRefusalHandler(std::function<void(const LateRefusal&)> handler);

  private:
    // Indexed by id - 1: boss (id 1), previous window (2), next window (3).
    static constexpr std::size_t hotKeyCount = 3;
    using Combinations = std::array<KeyCombination, hotKeyCount>;
    struct Set {
        Combinations combinations;
        ShortcutTexts texts;
    };

    void attach();
    std::int32_t handle(HotKeyIdentifier identifier);
    void desktopAnswered(const DesktopBindings& bindings);
    void restoreAfterLateRefusal();
    // The status of the first refused registration, or none when all three
    // succeeded; registrations made before a refusal stay in `references_`.
    std::optional<std::int32_t> registerAll(const Combinations& combinations);
    void unregisterReferences();

    HotKeyService* service_ = nullptr;
    bool handlerInstalled_ = false;
    std::array<std::optional<HotKeyService::Reference>, hotKeyCount> references_;
    // Set only while the whole set of three is registered.
    std::optional<Set> current_;
    // The set `current_` replaced, until the desktop has answered about it.
    std::optional<Set> earlier_;
    std::optional<DesktopBindings> desktopBindings_;
    std::array<Action, hotKeyCount> actions_;
    std::function<void(const LateRefusal&)> lateRefusal_;
    // Deferred presses and the installed handler hold this weakly, so they do
    // nothing once the manager is gone, whether it was the process-wide one or
    // a short-lived one.
    std::shared_ptr<GlobalHotKeyManager*> lifetime_;
};

}  // namespace velumo
