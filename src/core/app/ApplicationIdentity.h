#pragma once

#include <string_view>

namespace velumo::ApplicationIdentity {

// The application's name on the session bus, of its desktop entry and of its
// icon.
inline constexpr std::string_view id = "com.orvantis.velumo";
inline constexpr std::string_view version = VELUMO_VERSION;
// The language of every text the interface shows, whatever the locale:
// Simplified Chinese, as a language tag.
inline constexpr std::string_view language = "zh-cn";

}  // namespace velumo::ApplicationIdentity
