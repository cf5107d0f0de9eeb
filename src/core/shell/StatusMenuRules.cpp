#include "shell/StatusMenuRules.h"

#include <algorithm>
#include <cstddef>

#include "data/TextRules.h"

namespace velumo::StatusMenuRules {
namespace {

constexpr std::size_t longTitleLength = 37;
constexpr std::size_t keptLength = 33;

std::size_t visibleCount(Windows windows) {
    return static_cast<std::size_t>(
        std::ranges::count_if(windows, [](const auto& window) { return window->isVisible(); }));
}

}  // namespace

std::string windowEntryTitle(BrowserWindowMode mode, std::string_view displayTitle) {
    std::string title = mode == BrowserWindowMode::advertisement ? "[广告] " : "[窗口] ";
    title += displayTitle;
    // 37 characters or more: more than the first 36.
    if (TextRules::leadingCharacters(title, longTitleLength - 1).size() < title.size()) {
        title.resize(TextRules::leadingCharacters(title, keptLength).size());
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

bool offersGhostOff(Windows windows) {
    return std::ranges::any_of(windows, [](const auto& window) { return window->isGhost(); });
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
