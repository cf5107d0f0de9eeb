#pragma once

#include <string_view>

namespace velumo::ApplicationIdentity {

// The application's name on the session bus, of its desktop entry and of its
// icon.
inline constexpr std::string_view id = "com.orvantis.velumo";
inline constexpr std::string_view version = VELUMO_VERSION;

}  // namespace velumo::ApplicationIdentity
