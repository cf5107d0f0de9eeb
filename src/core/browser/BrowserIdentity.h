#pragma once

#include <string_view>

#include "data/Models.h"

namespace velumo::BrowserIdentity {

inline constexpr std::string_view desktopUserAgent =
    "Mozilla/5.0 (Macintosh; Intel Mac OS X 10_15_7) AppleWebKit/605.1.15 (KHTML, like Gecko) "
    "Version/26.0 Safari/605.1.15";
inline constexpr std::string_view mobileUserAgent =
    "Mozilla/5.0 (iPhone; CPU iPhone OS 18_6 like Mac OS X) AppleWebKit/605.1.15 (KHTML, like "
    "Gecko) Version/26.0 Mobile/15E148 Safari/604.1";

// The user agent a page sees in both the request header and navigator.userAgent.
std::string_view userAgent(BrowserIdentityMode mode);

}  // namespace velumo::BrowserIdentity
