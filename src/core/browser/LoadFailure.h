#pragma once

#include <optional>

#include <glib.h>

namespace velumo {

// Why a page could not be shown, in the terms its error page explains.
enum class LoadFailureReason {
    hostNotFound,
    connectionFailed,
    timedOut,
    certificateNotTrusted,
    other
};

// What the web engine reported about a failed load of the main frame.
struct LoadError {
    GQuark domain = 0;
    int code = 0;
    // The page had begun to arrive (and to show) when the load failed.
    bool committed = false;
};

namespace LoadFailure {

// The web engine's error domains and the codes read here: its public values,
// repeated because the core does not see its headers.
inline constexpr const char* networkDomain = "WebKitNetworkError";
inline constexpr int networkCancelled = 302;
inline constexpr const char* policyDomain = "WebKitPolicyError";
inline constexpr const char* pluginDomain = "WebKitPluginError";
inline constexpr const char* downloadDomain = "WebKitDownloadError";

// Why the load failed; none when it was only cancelled or replaced (a new
// navigation, a policy decision, a download), which shows no error page, and
// none once the page had begun to show: what arrived of it stays.
std::optional<LoadFailureReason> reason(const LoadError& error);

}  // namespace LoadFailure
}  // namespace velumo
