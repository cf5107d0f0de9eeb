#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/LaunchArguments.h"

namespace velumo {
namespace {

struct Opened {
    const char* text;
    const char* address;
};

class LaunchArgumentsOpening : public ::testing::TestWithParam<Opened> {};

TEST_P(LaunchArgumentsOpening, ReadsTheTextAsTheAddressFieldDoes) {
    EXPECT_EQ(LaunchArguments::addressToOpen(GetParam().text, SearchEngine::bing),
              std::string(GetParam().address));
}

INSTANTIATE_TEST_SUITE_P(
    Addresses, LaunchArgumentsOpening,
    ::testing::Values(Opened{" http://127.0.0.1:8000/ ", "http://127.0.0.1:8000/"},
                      // A host and its port are not a scheme and its text.
                      Opened{"example.com:8080/page", "https://example.com:8080/page"},
                      Opened{"example.com", "https://example.com"},
                      Opened{"https://", "https://www.bing.com/search?q=https%3A%2F%2F"},
                      Opened{"velumo 浮窗",
                             "https://www.bing.com/search?q=velumo%20%E6%B5%AE%E7%AA%97"}));

struct Refused {
    const char* text;
    const char* message;
    const char* informative;
};

class LaunchArgumentsRefusing : public ::testing::TestWithParam<Refused> {};

TEST_P(LaunchArgumentsRefusing, LocalFilesAndOtherSchemesAreNeverOpened) {
    EXPECT_EQ(LaunchArguments::addressToOpen(GetParam().text, SearchEngine::bing),
              std::unexpected(OpenRefusal{GetParam().message, GetParam().informative}));
}

INSTANTIATE_TEST_SUITE_P(
    Refusals, LaunchArgumentsRefusing,
    ::testing::Values(
        Refused{"/etc/passwd", "无法打开本地文件",
                "浮窗只显示网页，“/etc/passwd” 是本机上的文件。"},
        Refused{"~/notes.html", "无法打开本地文件",
                "浮窗只显示网页，“~/notes.html” 是本机上的文件。"},
        Refused{"../page.html", "无法打开本地文件",
                "浮窗只显示网页，“../page.html” 是本机上的文件。"},
        Refused{"FILE:///tmp/a.html", "无法打开本地文件",
                "浮窗只显示网页，“FILE:///tmp/a.html” 是本机上的文件。"},
        // Read as a bare host, this would send "mailto" as a user name to b.example.
        Refused{"mailto:a@b.example", "无法打开这个地址",
                "浮窗只显示以 http:// 或 https:// 开头的网页，“mailto:a@b.example” 不是网页地址。"},
        Refused{
            "javascript:alert(1)", "无法打开这个地址",
            "浮窗只显示以 http:// 或 https:// 开头的网页，“javascript:alert(1)” 不是网页地址。"}));

TEST(LaunchArguments, TheAlertQuotesAShortenedValidText) {
    const std::string longPath = "/" + std::string(70, 'a');
    EXPECT_EQ(LaunchArguments::addressToOpen(longPath, SearchEngine::bing).error().informative,
              "浮窗只显示网页，“/" + std::string(59, 'a') + "…” 是本机上的文件。");
    EXPECT_EQ(
        LaunchArguments::addressToOpen("/tmp/\xff.html", SearchEngine::bing).error().informative,
        "浮窗只显示网页，“/tmp/\xef\xbf\xbd.html” 是本机上的文件。");
}

// A start that opens no window must not load the web engine; one that does
// loads it early.
TEST(LaunchArguments, AStartOpensAWindowForANewWindowOrATextItOpens) {
    using Arguments = std::vector<std::string>;
    EXPECT_FALSE(LaunchArguments::opensWindow({}));
    EXPECT_FALSE(LaunchArguments::opensWindow(Arguments{"--gapplication-service"}));
    EXPECT_FALSE(LaunchArguments::opensWindow(Arguments{"/etc/passwd", "mailto:a@b.example"}));
    EXPECT_TRUE(LaunchArguments::opensWindow(Arguments{"/etc/passwd", "example.com"}));
    EXPECT_TRUE(LaunchArguments::opensWindow(Arguments{"--new-window"}));
    // After "--" every argument is a text, which here reads as a search.
    EXPECT_TRUE(LaunchArguments::opensWindow(Arguments{"--", "--gapplication-service"}));
}

TEST(LaunchArguments, OneRequestGetsOneAlertHoweverManyAddressesItRefused) {
    const OpenRefusal full{"最多同时打开 5 个浮窗", "请先关闭一个不再使用的窗口。"};
    const OpenRefusal fileA{"无法打开本地文件", "A"};
    const OpenRefusal fileB{"无法打开本地文件", "B"};
    EXPECT_EQ(LaunchArguments::alertFor({full, full, full}), full);
    EXPECT_EQ(LaunchArguments::alertFor({fileA, fileB, fileB}),
              (OpenRefusal{"无法打开本地文件", "A另有 2 个地址同样没有打开。"}));
    EXPECT_EQ(LaunchArguments::alertFor({fileA, full, fileB}),
              (OpenRefusal{"有 3 个地址没有打开",
                           "无法打开本地文件：2 个\n最多同时打开 5 个浮窗：1 个"}));
}

}  // namespace
}  // namespace velumo
