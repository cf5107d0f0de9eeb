#pragma once

#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "browser/FloatingWindow.h"
#include "data/Models.h"

namespace velumo {

// What the status icon, its tooltip and its menu show, decided from the
// floating windows in the window set's order.
namespace StatusMenuRules {

using Windows = std::span<const std::shared_ptr<FloatingWindow>>;

// "[广告] " or "[窗口] " and the title; from 37 characters (grapheme clusters)
// on, the first 33 followed by "…".
std::string windowEntryTitle(BrowserWindowMode mode, std::string_view displayTitle);

// "Velumo · 暂无浮窗", or "Velumo · <visible>/<all> 个窗口正在显示".
std::string menuBarStatusText(Windows windows);

// The entry that makes every ghost window take the pointer again, offered
// while there is one.
inline constexpr std::string_view ghostOffTitle = "退出穿透模式";
bool offersGhostOff(Windows windows);

// The symbol name of the status icon, or none when the icon style hides it.
// Names follow the original symbol set; the desktop layer maps them to icons.
std::optional<std::string_view> statusIconSymbol(MenuBarIconStyle style, Windows windows);

}  // namespace StatusMenuRules
}  // namespace velumo
