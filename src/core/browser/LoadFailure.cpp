#include "browser/LoadFailure.h"

#include <gio/gio.h>

namespace velumo::LoadFailure {
namespace {

bool isDomain(GQuark domain, const char* name) {
    return domain == g_quark_from_static_string(name);
}

std::optional<LoadFailureReason> inputOutputReason(int code) {
    switch (code) {
        case G_IO_ERROR_CANCELLED:
            return std::nullopt;
        case G_IO_ERROR_TIMED_OUT:
            return LoadFailureReason::timedOut;
        case G_IO_ERROR_HOST_NOT_FOUND:
            return LoadFailureReason::hostNotFound;
        case G_IO_ERROR_CONNECTION_REFUSED:
        case G_IO_ERROR_CONNECTION_CLOSED:
        case G_IO_ERROR_NOT_CONNECTED:
        case G_IO_ERROR_HOST_UNREACHABLE:
        case G_IO_ERROR_NETWORK_UNREACHABLE:
        case G_IO_ERROR_PROXY_FAILED:
        case G_IO_ERROR_PROXY_AUTH_FAILED:
        case G_IO_ERROR_PROXY_NEED_AUTH:
        case G_IO_ERROR_PROXY_NOT_ALLOWED:
            return LoadFailureReason::connectionFailed;
        default:
            return LoadFailureReason::other;
    }
}

}  // namespace

std::optional<LoadFailureReason> reason(const LoadError& error) {
    if (error.committed) {
        return std::nullopt;
    }
    if (error.domain == G_IO_ERROR) {
        return inputOutputReason(error.code);
    }
    if (error.domain == G_RESOLVER_ERROR) {
        return LoadFailureReason::hostNotFound;
    }
    if (error.domain == G_TLS_ERROR) {
        return error.code == G_TLS_ERROR_BAD_CERTIFICATE ? LoadFailureReason::certificateNotTrusted
                                                         : LoadFailureReason::connectionFailed;
    }
    if (isDomain(error.domain, networkDomain) && error.code == networkCancelled) {
        return std::nullopt;
    }
    // What the engine declined to show (a download, an ignored response, a
    // scheme it does not load) was decided, not failed.
    if (isDomain(error.domain, policyDomain) || isDomain(error.domain, pluginDomain) ||
        isDomain(error.domain, downloadDomain)) {
        return std::nullopt;
    }
    return LoadFailureReason::other;
}

}  // namespace velumo::LoadFailure
