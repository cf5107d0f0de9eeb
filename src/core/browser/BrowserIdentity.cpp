#include "browser/BrowserIdentity.h"

namespace velumo::BrowserIdentity {

std::string_view userAgent(BrowserIdentityMode mode) {
    return mode == BrowserIdentityMode::mobile ? mobileUserAgent : desktopUserAgent;
}

}  // namespace velumo::BrowserIdentity
