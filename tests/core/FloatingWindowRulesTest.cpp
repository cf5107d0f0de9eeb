#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include <gio/gio.h>
#include <gtest/gtest.h>

#include "browser/FloatingWindowRules.h"
#include "browser/LoadFailure.h"
#include "browser/MoreMenuModel.h"
#include "browser/NavigationPolicy.h"
#include "browser/PagePrompts.h"
#include "browser/PageState.h"

namespace velumo {
namespace {

namespace rules = FloatingWindowRules;

TEST(FloatingWindowToolbar, OnlyAWindowModeBarThatFoldsAwayChangesAndOnlyInItsZone) {
    using enum BrowserWindowMode;
    const auto after = [](bool autoHide, BrowserWindowMode mode, bool collapsed, Point pointer) {
        return rules::toolbarCollapsedAfterPointerMove(autoHide, mode, collapsed, pointer, 760);
    };
    // Folded, it opens only at the handle; open, it folds only below the bar.
    EXPECT_EQ(after(true, window, true, {380, 10}), false);
    EXPECT_EQ(after(true, window, true, {380, 50}), std::nullopt);
    EXPECT_EQ(after(true, window, false, {380, 10}), std::nullopt);
    EXPECT_EQ(after(true, window, false, {10, 43}), true);
    EXPECT_EQ(after(true, advertisement, false, {10, 300}), std::nullopt);
    EXPECT_EQ(after(false, window, false, {10, 300}), std::nullopt);
}

TEST(FloatingWindowAutoHide, HidesOnlyWhenThePointerReallyLeftAndNothingIsUnderWay) {
    const PointerExit left{.autoHide = true};
    EXPECT_TRUE(rules::hidesOnPointerExit(left));
    EXPECT_FALSE(rules::hidesOnPointerExit({}));
    const std::pair<const char*, bool PointerExit::*> keepsTheWindow[] = {
        {"an open dialog or menu", &PointerExit::suppressAutoHide},
        {"a pressed button", &PointerExit::buttonPressed},
        {"a live resize", &PointerExit::liveResize},
        {"a modal window", &PointerExit::modalWindowOpen},
        {"the pointer inside the frame", &PointerExit::pointerInsideFrame},
        {"a ghost", &PointerExit::ghost},
    };
    for (const auto& [name, fact] : keepsTheWindow) {
        PointerExit exit = left;
        exit.*fact = true;
        EXPECT_FALSE(rules::hidesOnPointerExit(exit)) << name;
    }
}

TEST(LoadFailure, OnlyLoadsThatReallyFailedGetAReason) {
    using enum LoadFailureReason;
    const GQuark network = g_quark_from_static_string(LoadFailure::networkDomain);
    const struct {
        GQuark domain;
        int code;
        std::optional<LoadFailureReason> reason;
    } cases[] = {
        // Replaced by a new navigation, stopped, or turned into a download.
        {network, LoadFailure::networkCancelled, std::nullopt},
        {G_IO_ERROR, G_IO_ERROR_CANCELLED, std::nullopt},
        {g_quark_from_static_string(LoadFailure::policyDomain), 102, std::nullopt},
        {g_quark_from_static_string(LoadFailure::pluginDomain), 204, std::nullopt},
        {g_quark_from_static_string(LoadFailure::downloadDomain), 400, std::nullopt},
        // Failures, by what the person can do about them.
        {G_RESOLVER_ERROR, G_RESOLVER_ERROR_TEMPORARY_FAILURE, hostNotFound},
        {G_IO_ERROR, G_IO_ERROR_HOST_NOT_FOUND, hostNotFound},
        {G_IO_ERROR, G_IO_ERROR_PROXY_FAILED, connectionFailed},
        {G_IO_ERROR, G_IO_ERROR_TIMED_OUT, timedOut},
        {G_TLS_ERROR, G_TLS_ERROR_BAD_CERTIFICATE, certificateNotTrusted},
        {G_TLS_ERROR, G_TLS_ERROR_HANDSHAKE, connectionFailed},
        {G_IO_ERROR, G_IO_ERROR_NOT_FOUND, other},
        {network, 399, other},
        {g_quark_from_static_string("WebKitInternal"), 0, other},
    };
    for (const auto& [domain, code, reason] : cases) {
        EXPECT_EQ(LoadFailure::reason({domain, code}), reason)
            << g_quark_to_string(domain) << " " << code;
    }
    // Once the page began to show, what arrived of it stays.
    EXPECT_EQ(LoadFailure::reason({G_IO_ERROR, G_IO_ERROR_CONNECTION_CLOSED, true}), std::nullopt);
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

TEST(PagePrompts, EachPermissionAsksForExactlyWhatThePageWants) {
    const auto media = [](bool audio, bool video) {
        const auto kind = PagePrompts::mediaPermissionKind(audio, video);
        return kind ? PagePrompts::permissionQuestion(*kind, "a.example") : "<none>";
    };
    EXPECT_EQ(media(true, false), "“a.example”想要使用你的麦克风。");
    EXPECT_EQ(media(false, true), "“a.example”想要使用你的摄像头。");
    EXPECT_EQ(media(true, true), "“a.example”想要使用你的摄像头和麦克风。");
    EXPECT_EQ(media(false, false), "<none>");
    EXPECT_EQ(PagePrompts::permissionQuestion(PermissionKind::location, "b.example"),
              "“b.example”想要获取你的位置。");
    EXPECT_EQ(PagePrompts::permissionQuestion(PermissionKind::notifications, "b.example"),
              "“b.example”想要向你发送通知。");
}

TEST(PageStateTitle, ShowsTheCleanedTitleOrElseTheAddressAndSaysWhetherThePageNamedItself) {
    PageState page("https://start.example/");
    EXPECT_EQ(page.displayTitle(), "start.example");

    // An empty title at the commit is no name either: a bookmark needs one.
    EXPECT_FALSE(page.arrived("https://next.example/p", "  "));
    EXPECT_EQ(page.currentURL(), "https://next.example/p");
    EXPECT_EQ(page.displayTitle(), "next.example");
    EXPECT_TRUE(page.arrived(std::nullopt, "\n\t 新闻\u3000 \n"));
    EXPECT_EQ(page.currentURL(), "https://next.example/p");
    EXPECT_EQ(page.displayTitle(), "新闻");
    EXPECT_FALSE(page.arrived("data:text/html,x", std::nullopt));
    EXPECT_EQ(page.displayTitle(), "data:text/html,x");

    EXPECT_TRUE(page.titleChanged("a\u202Eb"));
    EXPECT_EQ(page.displayTitle(), "ab");
    EXPECT_FALSE(page.titleChanged("\u200B\u202E"));
    EXPECT_EQ(page.displayTitle(), "data:text/html,x");
    EXPECT_EQ(page.initialURL(), "https://start.example/");
}

TEST(PageStateZoom, FitIsAppliedAsANewZoomUntilTheUserZooms) {
    PageState page("https://example.com/");
    EXPECT_EQ(page.fit(760, 1520), 0.5);
    EXPECT_EQ(page.fit(0, 100), std::nullopt);
    EXPECT_EQ(page.pageZoom(), 0.5);
    // Measured at 50 %, a page that fits gets 100 %, not 50 % of anything.
    EXPECT_EQ(page.fit(1520, 1520), 1.0);

    EXPECT_EQ(page.setManualZoom(1.24), 1.2);
    EXPECT_EQ(page.fit(760, 1520), std::nullopt);
    EXPECT_EQ(page.pageZoom(), 1.2);
}

TEST(PageStateZoom, OnlyAnAnswerWithBothWidthsChangesTheZoom) {
    const std::vector<std::pair<std::string, std::optional<double>>> answers = {
        {R"({"viewport":760,"content":1520})", 0.5},
        {R"({"content":3800,"viewport":760,"other":"x"})", 0.3},
        // JSON spells a width that is not finite null: the page is shown at 100 %.
        {R"({"viewport":null,"content":1520})", 1.0},
        {R"({"viewport":760})", std::nullopt},
        {R"({"viewport":"760","content":1520})", std::nullopt},
        {R"({"viewport":760,"content":0})", std::nullopt},
        {"[760,1520]", std::nullopt},
        {"", std::nullopt},
        {R"({"viewport":760,)", std::nullopt},
    };
    for (const auto& [answer, zoom] : answers) {
        PageState page("https://example.com/");
        page.fit(760, 3040);
        EXPECT_EQ(page.fitMeasured(answer), zoom) << answer;
        EXPECT_EQ(page.pageZoom(), zoom.value_or(0.3)) << answer;
    }
}

using Lines = std::vector<std::string>;

// One line per item: title, key hint and flags, so a whole menu reads as a list.
Lines describe(const MoreMenuState& state) {
    Lines lines;
    for (const auto& item : moreMenuItems(state)) {
        std::string line = item.action == MoreMenuAction::separator ? "---"
                           : item.action == MoreMenuAction::pageDisplayControls
                               ? "[display controls]"
                               : item.title;
        line += item.keyHint.empty() ? "" : " " + item.keyHint;
        line += item.enabled ? "" : " (disabled)";
        line += item.checked ? (*item.checked ? " (on)" : " (off)") : "";
        lines.push_back(line);
    }
    return lines;
}

TEST(MoreMenuModel, AdvertisementModeAddsNavigationAndTheWindowSwitchesBeforeTheCommonItems) {
    // Each flag differs from its neighbour's, so crossed wires show.
    MoreMenuState state{BrowserWindowMode::window, false, true, true, false};
    const Lines common = describe(state);
    EXPECT_EQ(common.size(), 11U);
    EXPECT_EQ(common[6], "[display controls]");
    EXPECT_EQ(common[7], "恢复默认 (disabled)");
    state.siteRemembered = true;
    EXPECT_EQ(describe(state)[7], "恢复默认");
    state.siteRemembered = false;
    EXPECT_EQ(common[9], "穿透模式");

    state.mode = BrowserWindowMode::advertisement;
    Lines expected = {"后退 Ctrl+[ (disabled)", "前进 Ctrl+]",    "刷新 Ctrl+R",  "---", "透明度",
                      "鼠标离开自动隐藏 (on)",  "始终置顶 (off)", "恢复窗口模式", "---"};
    expected.insert(expected.end(), common.begin(), common.end());
    EXPECT_EQ(describe(state), expected);
}

TEST(MoreMenuModel, KeysReachTheCommandsOfTheModesMenuAndReloadInBoth) {
    using enum BrowserWindowMode;
    using enum MoreMenuAction;
    const struct {
        char32_t key;
        std::optional<MoreMenuAction> inWindow;
        std::optional<MoreMenuAction> inAdvertisement;
    } cases[] = {
        {U'l', editAddress, editAddress},
        {U'D', bookmark, bookmark},
        {U'n', newWindow, newWindow},
        {U'R', reload, reload},
        // Web editors indent and outdent with these; only the corner pop-up,
        // whose bar has no back and forward buttons, takes them.
        {U'[', std::nullopt, navigateBack},
        {U']', std::nullopt, navigateForward},
        {U'x', std::nullopt, std::nullopt},
        // A character whose low byte is "l".
        {U'\u016c', std::nullopt, std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(moreMenuActionForKey(c.key, window), c.inWindow) << static_cast<int>(c.key);
        EXPECT_EQ(moreMenuActionForKey(c.key, advertisement), c.inAdvertisement)
            << static_cast<int>(c.key);
    }
}

TEST(MoreMenuModel, OpacityItemsRunFromFullToTenPercentAndCheckOnlyWithinAHundredth) {
    const auto checked = [](double opacity) {
        Lines lines;
        for (const auto& item : opacityMenuItems(opacity)) {
            lines.push_back(item.title + (item.checked ? "*" : ""));
            EXPECT_EQ(std::to_string(item.tag) + "%", item.title);
        }
        return lines;
    };
    EXPECT_EQ(checked(0.305),
              (Lines{"100%", "90%", "80%", "70%", "60%", "50%", "40%", "30%*", "20%", "10%"}));
    EXPECT_EQ(checked(1.0).front(), "100%*");
    EXPECT_EQ(checked(0.1).back(), "10%*");
    // Slider steps between the items check nothing.
    for (const double between : {0.35, 0.32, std::nan("")}) {
        const auto lines = checked(between);
        EXPECT_EQ(std::ranges::count_if(lines, [](const auto& l) { return l.ends_with('*'); }), 0)
            << between;
    }
}

using Decision = NavigationDecision;

// Every scheme has a handler here, so each refusal below comes from the rule.
TEST(NavigationPolicy, DecidesBySchemeFrameAndGesture) {
    const struct {
        std::string url;
        bool targetsFrame;
        bool userGesture;
        Decision expected;
    } cases[] = {
        // Web pages load in place; new-window requests load in this same view.
        {"https://example.com/", true, false, Decision::allow},
        {"https://example.com/popup", false, true, Decision::loadInThisView},
        {"http://example.com/popup", false, false, Decision::loadInThisView},
        // Inline content stays in its frame and never opens a window.
        {"about:blank", true, false, Decision::allow},
        {"data:text/html,hi", true, false, Decision::allow},
        {"about:blank", false, true, Decision::cancel},
        {"Data:text/html,hi", false, true, Decision::cancel},
        // Applications open only from a person's click; mail and telephone
        // links at once, anything else once the person agreed.
        {"mailto:a@example.com", false, true, Decision::handToDesktop},
        {"TEL:+861234", true, true, Decision::handToDesktop},
        {"smb://server/share", true, true, Decision::askThenHandToDesktop},
        {"zoommtg://zoom.us/join?confno=1", true, true, Decision::askThenHandToDesktop},
        {"zoommtg://zoom.us/join?confno=1", true, false, Decision::cancel},
        {"tel:+861234", false, false, Decision::cancel},
        // A scheme starts with a letter: this is no scheme at all.
        {"1password://open", true, true, Decision::cancel},
        // Local resources never leave, clicked or not.
        {"file:///etc/passwd", true, true, Decision::cancel},
        {"FILE:///home/user/run.desktop", true, true, Decision::cancel},
        {"ghelp:gnome-help", true, true, Decision::cancel},
        {"javascript:alert(1)", false, true, Decision::cancel},
        // Nothing to decide on.
        {"", true, true, Decision::cancel},
        {"://missing", true, true, Decision::cancel},
    };
    for (const auto& c : cases) {
        bool asked = false;
        const auto decision = NavigationPolicy::decide({c.url, c.targetsFrame, c.userGesture},
                                                       [&](const std::string&) {
                                                           asked = true;
                                                           return true;
                                                       });
        EXPECT_EQ(decision, c.expected) << c.url;
        // Pages that load here never ask the desktop for a handler.
        EXPECT_FALSE(asked && (decision == Decision::allow || decision == Decision::loadInThisView))
            << c.url;
    }
}

TEST(NavigationPolicy, AnUnhandledSchemeDoesNothingAndTheLookupIsOnlyMadeForAClick) {
    int lookups = 0;
    auto none = [&](const std::string&) {
        ++lookups;
        return false;
    };
    EXPECT_EQ(NavigationPolicy::decide({"made-up:thing", true, true}, none), Decision::cancel);
    EXPECT_EQ(lookups, 1);
    EXPECT_EQ(NavigationPolicy::decide({"made-up:thing", true, false}, none), Decision::cancel);
    EXPECT_EQ(NavigationPolicy::decide({"https://example.com", false, false}, none),
              Decision::loadInThisView);
    EXPECT_EQ(lookups, 1);
}

TEST(NavigationPolicy, OnlyAClickDownloadsWhatThePageDoesNotShow) {
    using enum ResponseDecision;
    const struct {
        NavigationResponse response;
        ResponseDecision expected;
    } cases[] = {
        {{.showable = true, .attachment = false, .clicked = false}, show},
        {{.showable = true, .attachment = false, .clicked = true}, show},
        {{.showable = false, .attachment = false, .clicked = true}, download},
        {{.showable = true, .attachment = true, .clicked = true}, download},
        // A script, a redirect or a hidden frame.
        {{.showable = false, .attachment = false, .clicked = false}, ignore},
        {{.showable = true, .attachment = true, .clicked = false}, ignore},
    };
    for (const auto& [response, expected] : cases) {
        EXPECT_EQ(NavigationPolicy::decide(response), expected)
            << response.showable << response.attachment << response.clicked;
    }
}

}  // namespace
}  // namespace velumo
