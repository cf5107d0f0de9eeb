#pragma once

#include <optional>
#include <string>

#include "app/AutostartEntry.h"
#include "browser/StateStore.h"
#include "data/AppDataStore.h"
#include "data/Models.h"
#include "shell/GlobalHotKeyManager.h"

namespace velumo {

// What became of a save: the alert to show, if any, and what is stored now.
struct SettingsSaveOutcome {
    // The alert's text; none when the settings were saved.
    std::optional<std::string> alert;
    // The settings the store holds after the attempt.
    AppSettings stored;
    // A refused shortcut: the shortcut fields show the stored texts again.
    bool restoreShortcuts = false;
    // The store took the new settings (the alert may still report that the
    // autostart entry could not follow).
    bool settingsSaved = false;
};

// What the settings window's controls hold: pop-up positions and segments in
// their fixed orders, the slider's value, the capture fields' texts as they
// stand, and the check boxes.
struct SettingsForm {
    // bing, google, duckduckgo
    int enginePosition = 0;
    double opacity = 1.0;
    // eye, window, pin, hidden
    int iconPosition = 0;
    // "system", "light", "dark"; any other segment counts as "system"
    int themeSegment = 0;
    std::string shortcut;
    std::string previousWindowShortcut;
    std::string nextWindowShortcut;
    bool keepRunning = true;
    bool autoHideToolbar = false;
    // Not kept in the settings: whether the autostart entry is there.
    bool startAtLogin = false;
    // Kept in the state file: whether a start brings the windows back.
    bool restoreWindows = true;

    // The controls for `settings`; a value without a position takes the first.
    static SettingsForm load(const AppSettings& settings, bool startAtLogin,
                             bool restoreWindows = true);

    // `old` with every field the form edits replaced; the opacity snaps to a
    // step of 0.05 within 0.1 ... 1.0.
    AppSettings settings(const AppSettings& old) const;

    // Applies changed shortcuts to `hotKeys` first, then stores the
    // settings. A refused shortcut stores nothing; a failed store puts the
    // stored shortcuts back into `hotKeys`. Once stored, the autostart entry
    // is written or removed when the check box no longer matches it, and
    // the state file (when given) takes whether to bring the windows back.
    SettingsSaveOutcome save(AppDataStore& store, GlobalHotKeyManager& hotKeys,
                             const AutostartEntry& autostart, StateStore* state = nullptr) const;
};

}  // namespace velumo
