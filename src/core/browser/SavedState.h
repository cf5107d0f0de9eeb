#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "browser/SiteMemory.h"
#include "browser/WindowGeometry.h"
#include "data/Models.h"

namespace velumo {

// One floating window as it was, for the next start to bring back.
struct SavedWindow {
    std::string url = {};
    BrowserWindowMode mode = BrowserWindowMode::window;
    Rect frame = {};
    // Where a corner pop-up goes back to in window mode.
    std::optional<Rect> normalFrame = std::nullopt;
    double opacity = 1.0;
    // Chosen by hand; none while the page is fitted to the window.
    std::optional<double> zoom = std::nullopt;
    BrowserIdentityMode identity = BrowserIdentityMode::desktop;
    bool alwaysOnTop = true;
    bool hideOnPointerExit = false;
    // The pointer passes through the window.
    bool ghost = false;
    bool hidden = false;

    bool operator==(const SavedWindow&) const = default;
};

// What Velumo keeps of one run for the next, apart from the user's data:
// the state file's document.
struct SavedState {
    // Far beyond any real state (500 sites and 5 windows take some 60 KiB):
    // a bigger file is not read, but set aside.
    static constexpr std::size_t largestFile = std::size_t{1} << 20;
    // The longest address a saved window keeps.
    static constexpr std::size_t longestURL = 8192;

    bool restoreWindows = true;
    std::vector<SavedWindow> windows;
    SiteMemory sites;

    // Pretty-printed JSON with sorted keys.
    std::string encode() const;
    // None for bytes that are not a JSON object. Within one, whatever a
    // window cannot use is dropped: a window without a web address or with
    // a frame off any plausible screen, windows beyond the window limit,
    // values of the wrong type (the field keeps its default), and sites as
    // SiteMemory drops them.
    static std::optional<SavedState> decode(std::string_view bytes);

    bool operator==(const SavedState&) const = default;
};

}  // namespace velumo
