#include "shell/SettingsForm.h"

#include <array>
#include <span>
#include <string_view>

#include "browser/WindowGeometry.h"

namespace velumo {
namespace {

constexpr std::array engines{SearchEngine::bing, SearchEngine::google, SearchEngine::duckduckgo};
constexpr std::array iconStyles{MenuBarIconStyle::eye, MenuBarIconStyle::window,
                                MenuBarIconStyle::pin, MenuBarIconStyle::hidden};
constexpr std::array<std::string_view, 3> themes{"system", "light", "dark"};

template <typename T>
int positionOf(std::span<const T> choices, const T& value) {
    for (std::size_t i = 0; i < choices.size(); ++i) {
        if (choices[i] == value) {
            return static_cast<int>(i);
        }
    }
    return 0;
}

template <typename T>
T atPosition(std::span<const T> choices, int position) {
    const bool inRange = position >= 0 && static_cast<std::size_t>(position) < choices.size();
    return choices[inRange ? static_cast<std::size_t>(position) : 0];
}

}  // namespace

SettingsForm SettingsForm::load(const AppSettings& settings, bool startAtLogin,
                                bool restoreWindows) {
    SettingsForm form;
    form.enginePosition = positionOf<SearchEngine>(engines, settings.searchEngine);
    form.opacity = settings.defaultOpacity;
    form.iconPosition = positionOf<MenuBarIconStyle>(iconStyles, settings.menuBarIconStyle);
    form.themeSegment = positionOf<std::string_view>(themes, settings.themePreference);
    form.shortcut = settings.shortcut;
    form.previousWindowShortcut = settings.previousWindowShortcut;
    form.nextWindowShortcut = settings.nextWindowShortcut;
    form.keepRunning = settings.keepRunningAfterLastWindow;
    form.autoHideToolbar = settings.autoHideToolbar;
    form.startAtLogin = startAtLogin;
    form.restoreWindows = restoreWindows;
    return form;
}

AppSettings SettingsForm::settings(const AppSettings& old) const {
    AppSettings settings = old;
    settings.searchEngine = atPosition<SearchEngine>(engines, enginePosition);
    settings.defaultOpacity = WindowGeometry::opacityFromSlider(opacity);
    settings.menuBarIconStyle = atPosition<MenuBarIconStyle>(iconStyles, iconPosition);
    settings.themePreference = atPosition<std::string_view>(themes, themeSegment);
    settings.shortcut = shortcut;
    settings.previousWindowShortcut = previousWindowShortcut;
    settings.nextWindowShortcut = nextWindowShortcut;
    settings.keepRunningAfterLastWindow = keepRunning;
    settings.autoHideToolbar = autoHideToolbar;
    return settings;
}

SettingsSaveOutcome SettingsForm::save(AppDataStore& store, GlobalHotKeyManager& hotKeys,
                                       const AutostartEntry& autostart, StateStore* state) const {
    const AppSettings old = store.snapshot().settings;
    const AppSettings wanted = settings(old);
    const bool shortcutsChanged = wanted.shortcut != old.shortcut ||
                                  wanted.previousWindowShortcut != old.previousWindowShortcut ||
                                  wanted.nextWindowShortcut != old.nextWindowShortcut;
    if (shortcutsChanged) {
        const auto applied = hotKeys.updateShortcuts(wanted.shortcut, wanted.previousWindowShortcut,
                                                     wanted.nextWindowShortcut);
        if (!applied) {
            return {std::string(applied.error().description()), old, true};
        }
    }
    const auto stored = store.updateSettings(wanted);
    if (!stored) {
        if (shortcutsChanged) {
            // Whatever this answers, the store's failure is what the user hears of.
            const auto restored = hotKeys.updateShortcuts(old.shortcut, old.previousWindowShortcut,
                                                          old.nextWindowShortcut);
            static_cast<void>(restored);
        }
        return {stored.error().description(), old, false};
    }
    // After the store, so a refused shortcut or a failed store changes nothing.
    if (state != nullptr) {
        state->change([this](SavedState& saved) { saved.restoreWindows = restoreWindows; });
    }
    if (startAtLogin != autostart.enabled()) {
        if (const auto written = autostart.setEnabled(startAtLogin); !written) {
            return {"其他设置已保存，但未能更改“登录时启动”：" + written.error(),
                    store.snapshot().settings, false, true};
        }
    }
    return {std::nullopt, store.snapshot().settings, false, true};
}

}  // namespace velumo
