#include "shell/StatusMenuRules.h"

#include <algorithm>
#include <cstddef>
#include <vector>

#include <utf8proc.h>

namespace velumo::StatusMenuRules {
namespace {

constexpr std::size_t longTitleLength = 37;
constexpr std::size_t keptLength = 33;

// Byte offsets at which the grapheme clusters of `text` start. A byte that is
// not valid UTF-8 counts as a character of its own, so a cut never splits a
// sequence.
std::vector<std::size_t> clusterStarts(std::string_view text) {
    std::vector<std::size_t> starts;
    utf8proc_int32_t previous = -1;
    utf8proc_int32_t state = 0;
    std::size_t offset = 0;
    while (offset < text.size()) {
        utf8proc_int32_t codepoint = -1;
        auto length =
            utf8proc_iterate(reinterpret_cast<const utf8proc_uint8_t*>(text.data() + offset),
                             static_cast<utf8proc_ssize_t>(text.size() - offset), &codepoint);
        if (length < 1) {
            length = 1;
            codepoint = -1;
        }
        if (previous < 0 || codepoint < 0) {
            state = 0;
            starts.push_back(offset);
        } else if (utf8proc_grapheme_break_stateful(previous, codepoint, &state)) {
            starts.push_back(offset);
        }
        previous = codepoint;
        offset += static_cast<std::size_t>(length);
    }
    return starts;
}

std::size_t visibleCount(Windows windows) {
    return static_cast<std::size_t>(
        std::ranges::count_if(windows, [](const auto& window) { return window->isVisible(); }));
}

}  // namespace

std::string windowEntryTitle(BrowserWindowMode mode, std::string_view displayTitle) {
    std::string title = mode == BrowserWindowMode::advertisement ? "[广告] " : "[窗口] ";
    title += displayTitle;
    const auto starts = clusterStarts(title);
    if (starts.size() >= longTitleLength) {
        title.resize(starts[keptLength]);
        title += "…";
    }
    return title;
}

std::string menuBarStatusText(Windows windows) {
    if (windows.empty()) {
        return "Velumo · 暂无浮窗";
    }
    return "Velumo · " + std::to_string(visibleCount(windows)) + "/" +
           std::to_string(windows.size()) + " 个窗口正在显示";
}

std::optional<std::string_view> statusIconSymbol(MenuBarIconStyle style, Windows windows) {
    if (style == MenuBarIconStyle::hidden) {
        return std::nullopt;
    }
    if (!windows.empty() && visibleCount(windows) == 0) {
        return "eye.slash.circle.fill";
    }
    if (style == MenuBarIconStyle::window) {
        return "macwindow";
    }
    if (style == MenuBarIconStyle::pin) {
        return "pin.circle";
    }
    return windows.empty() ? "eye.circle" : "eye.circle.fill";
}

}  // namespace velumo::StatusMenuRules
