#include <gio/gio.h>
#include <gtest/gtest.h>

#include "browser/LoadFailure.h"
#include "browser/PagePrompts.h"

namespace velumo {
namespace {

struct FailureCase {
    GQuark domain;
    int code;
    std::optional<LoadFailureReason> reason;
};

GQuark engine(const char* domain) {
    return g_quark_from_static_string(domain);
}

TEST(LoadFailure, OnlyLoadsThatReallyFailedGetAReason) {
    using enum LoadFailureReason;
    const FailureCase cases[] = {
        // Replaced by a new navigation, stopped, or turned into a download.
        {engine(LoadFailure::networkDomain), LoadFailure::networkCancelled, std::nullopt},
        {G_IO_ERROR, G_IO_ERROR_CANCELLED, std::nullopt},
        {engine(LoadFailure::policyDomain), 102, std::nullopt},
        {engine(LoadFailure::policyDomain), 101, std::nullopt},
        {engine(LoadFailure::pluginDomain), 204, std::nullopt},
        {engine(LoadFailure::downloadDomain), 400, std::nullopt},
        // Failures, by what the person can do about them.
        {G_RESOLVER_ERROR, G_RESOLVER_ERROR_NOT_FOUND, hostNotFound},
        {G_RESOLVER_ERROR, G_RESOLVER_ERROR_TEMPORARY_FAILURE, hostNotFound},
        {G_IO_ERROR, G_IO_ERROR_HOST_NOT_FOUND, hostNotFound},
        {G_IO_ERROR, G_IO_ERROR_CONNECTION_REFUSED, connectionFailed},
        {G_IO_ERROR, G_IO_ERROR_NETWORK_UNREACHABLE, connectionFailed},
        {G_IO_ERROR, G_IO_ERROR_PROXY_FAILED, connectionFailed},
        {G_IO_ERROR, G_IO_ERROR_TIMED_OUT, timedOut},
        {G_TLS_ERROR, G_TLS_ERROR_BAD_CERTIFICATE, certificateNotTrusted},
        {G_TLS_ERROR, G_TLS_ERROR_HANDSHAKE, connectionFailed},
        {G_IO_ERROR, G_IO_ERROR_NOT_FOUND, other},
        {engine(LoadFailure::networkDomain), 399, other},
        {engine("WebKitInternal"), 0, other},
    };
    for (const auto& [domain, code, reason] : cases) {
        EXPECT_EQ(LoadFailure::reason({domain, code}), reason)
            << g_quark_to_string(domain) << " " << code;
    }
}

TEST(PagePrompts, QuestionsNameTheSite) {
    EXPECT_EQ(PagePrompts::permissionQuestion(PermissionKind::cameraAndMicrophone, "meet.example"),
              "“meet.example”想要使用你的摄像头和麦克风。");
    EXPECT_EQ(PagePrompts::permissionQuestion(PermissionKind::location, "map.example"),
              "“map.example”想要获取你的位置。");
}

TEST(PagePrompts, ErrorPagesShowTheEscapedAddressAndReloadIt) {
    const std::string hostile = R"(https://x.example/?a=1&b="><script>alert(1)</script>)";
    const std::string shown = "https://x.example/?a=1&amp;b=&quot;&gt;&lt;script&gt;";
    const std::string failed = PagePrompts::loadFailedPage(
        hostile, LoadFailureReason::connectionFailed, "Could not connect: <refused> & gone");
    const std::string crashed = PagePrompts::processEndedPage(hostile);
    for (const std::string& page : {failed, crashed}) {
        EXPECT_EQ(page.find("<script>"), std::string::npos);
        EXPECT_NE(page.find("<a id=\"reload\" href=\"" + shown), std::string::npos);
        EXPECT_NE(page.find(">重新载入</a>"), std::string::npos);
    }
    EXPECT_NE(failed.find("<title>无法打开此网页</title>"), std::string::npos);
    EXPECT_NE(failed.find("<p>无法连接到服务器：连接被拒绝或中断。</p>"), std::string::npos);
    EXPECT_NE(failed.find("Could not connect: &lt;refused&gt; &amp; gone"), std::string::npos);
    EXPECT_NE(crashed.find("<title>页面已停止运行</title>"), std::string::npos);
    // Without a message from the engine there is no empty line for it.
    EXPECT_EQ(PagePrompts::loadFailedPage("https://x.example/", LoadFailureReason::other, "")
                  .find("class=\"detail\""),
              std::string::npos);
}

}  // namespace
}  // namespace velumo
