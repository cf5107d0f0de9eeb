// The page of a floating window: history, titles, zoom, identity, the
// navigation policy, media, error pages and permissions.
#include <csignal>
#include <fstream>
#include <unistd.h>

#include "FloatingWindowFixture.h"
#include "WidgetQueries.h"
#include "browser/BrowserIdentity.h"
#include "browser/PagePrompts.h"

namespace velumo::uitest {
namespace {

using std::chrono::milliseconds;
using FloatingPage = FloatingWindowTest;

// A page whose content is `factor` times as wide as its viewport.
std::string widePage(int factor) {
    return "<title>Wide</title><body style='margin:0'><div id=w style='height:10px'></div>"
           "<script>w.style.width = (" +
           std::to_string(factor) + " * document.documentElement.clientWidth) + 'px';</script>";
}

// Two seconds of a quiet square tone as 8 kHz, 8-bit mono PCM.
std::string toneWave() {
    std::string wave(
        "RIFF\xa4\x3e\0\0WAVEfmt \x10\0\0\0\x01\0\x01\0\x40\x1f\0\0\x40\x1f\0\0\x01\0\x08\0"
        "data\x80\x3e\0\0",
        44);
    for (int i = 0; i < 16000; ++i) {
        wave.push_back(static_cast<char>((i / 8) % 2 == 0 ? 136 : 120));
    }
    return wave;
}

// Kills the web processes of this test, as a crash would.
void killWebProcesses() {
    for (const auto& thread : std::filesystem::directory_iterator("/proc/self/task")) {
        std::ifstream children(thread.path() / "children");
        for (pid_t child = 0; children >> child;) {
            std::ifstream command("/proc/" + std::to_string(child) + "/comm");
            std::string name;
            if (std::getline(command, name) && name == "WebKitWebProces") {
                kill(child, SIGKILL);
            }
        }
    }
}

TEST_F(FloatingPage, LinksStayInTheWindowAndEachPageIsRecordedWithTheTitleShown) {
    server_.page("/", "<title>Start</title><a id=l target=_blank href=/blank>next</a>");
    server_.page("/blank", "<title> \n\t </title>nothing to call it");
    auto window = open(server_.url("/"));
    // The title may come after the page has finished.
    EXPECT_TRUE(runUntil([&] { return store_.snapshot().history.size() == 1; }));
    EXPECT_EQ(store_.snapshot().history.front().title, "Start");

    clickElement(*window, "#l");
    EXPECT_TRUE(waitForPage(*window, "/blank"));
    EXPECT_EQ(manager_.windows().size(), 1U);
    EXPECT_EQ(labelTexts(window->toolbar()).front(), "127.0.0.1");
    EXPECT_TRUE(runUntil([&] { return store_.snapshot().history.size() == 2; }));
    EXPECT_EQ(store_.snapshot().history.front().url, server_.url("/blank"));
    EXPECT_EQ(store_.snapshot().history.front().title, "127.0.0.1");
    EXPECT_TRUE(buttonNamed(window->toolbar(), "后退").is_sensitive());
    EXPECT_FALSE(buttonNamed(window->toolbar(), "前进").is_sensitive());

    window->toolbarGoBack();
    EXPECT_TRUE(waitForPage(*window, "/"));
    EXPECT_TRUE(runUntil([&] { return buttonNamed(window->toolbar(), "前进").is_sensitive(); }));
}

TEST_F(FloatingPage, WidePagesAreFittedUntilTheUserZooms) {
    server_.page("/wide2", widePage(2));
    server_.page("/wide5", widePage(5));
    auto window = open(server_.url("/wide2"));
    auto zoom = [&] { return webkit_web_view_get_zoom_level(window->webView()); };
    EXPECT_TRUE(runUntil([&] { return zoom() == 0.5; })) << zoom();
    // Measured at 50 %, the next page's fit replaces the zoom.
    ASSERT_TRUE(evaluate(*window, "location.href = '/wide5'; 1").has_value());
    ASSERT_TRUE(waitForPage(*window, "/wide5"));
    EXPECT_TRUE(runUntil([&] { return zoom() == 0.3; })) << zoom();

    window->displayControlsSetPageZoom(1.24);
    EXPECT_DOUBLE_EQ(zoom(), 1.2);
    ASSERT_TRUE(evaluate(*window, "location.href = '/wide2'; 1").has_value());
    ASSERT_TRUE(waitForPage(*window, "/wide2"));
    runFor(milliseconds(500));
    EXPECT_DOUBLE_EQ(zoom(), 1.2);
}

TEST_F(FloatingPage, TheServerAndThePageSeeTheChosenIdentity) {
    server_.page("/ua", "<title>UA</title>");
    auto window = open(server_.url("/ua"));
    const std::string desktop(BrowserIdentity::desktopUserAgent);
    const std::string mobile(BrowserIdentity::mobileUserAgent);
    EXPECT_EQ(server_.lastRequest("/ua")->at("User-Agent"), desktop);
    EXPECT_EQ(evaluate(*window, "navigator.userAgent"), desktop);

    window->displayControlsSetBrowserMode(BrowserIdentityMode::mobile);
    ASSERT_TRUE(runUntil([&] { return server_.requestCount("/ua") == 2; }));
    ASSERT_TRUE(waitForPage(*window, "/ua"));
    EXPECT_EQ(server_.lastRequest("/ua")->at("User-Agent"), mobile);
    EXPECT_EQ(server_.lastRequest("/ua")->at("Cache-Control"), "no-cache");
    EXPECT_EQ(evaluate(*window, "navigator.userAgent"), mobile);
}

// Which scheme may leave is the navigation policy's rule; here a click must count as
// the person's and a script's redirect must not.
TEST_F(FloatingPage, OtherApplicationsOpenOnlyFromAClick) {
    server_.page("/", "<title>Links</title><a id=mail href='mailto:someone@example.com'>mail</a>");
    server_.page(
        "/redirect",
        "<title>Redirect</title><script>location.href = 'mailto:auto@example.com';</script>");
    auto window = open(server_.url("/"));

    clickElement(*window, "#mail");
    EXPECT_TRUE(runUntil([&] { return !launcher_.launched.empty(); }));
    ASSERT_TRUE(evaluate(*window, "location.href = '/redirect'; 1").has_value());
    ASSERT_TRUE(waitForPage(*window, "/redirect"));
    runFor(milliseconds(500));
    EXPECT_EQ(launcher_.launched, std::vector<std::string>{"mailto:someone@example.com"});
}

TEST_F(FloatingPage, HidingPausesMediaInThePageAndInFramesOfOtherSites) {
    server_.page("/tone.wav", toneWave(), "audio/wav");
    // With sound and started by a click: WebKit itself pauses muted media when
    // the page hides, which would hide a fault here. The frame comes from
    // another origin (localhost against 127.0.0.1) and reports its state.
    server_.page("/frame",
                 "<button id=play style='position:fixed;inset:0;width:100%;height:100%'"
                 " onclick='b.play()'>play</button><audio id=b src=/tone.wav loop></audio>"
                 "<script>setInterval(() => parent.postMessage(b.paused ? 'paused' : 'playing',"
                 " '*'), 50);</script>");
    server_.page("/",
                 "<title>Media</title><button id=play style='width:300px;height:100px' "
                 "onclick='a.play()'>play</button>"
                 "<audio id=a src=/tone.wav loop></audio><br><iframe src='http://localhost:" +
                     std::to_string(server_.port()) +
                     "/frame'></iframe><script>window.frameState = 'none';"
                     "addEventListener('message', e => window.frameState = e.data);</script>");
    auto window = open(server_.url("/"));
    auto state = [&] {
        return evaluate(*window, "(a.paused ? 'paused' : 'playing') + ' ' + frameState");
    };
    ASSERT_TRUE(runUntil([&] { return state() == "paused paused"; })) << state().value_or("?");
    // One at a time: WebKit may pause one element when another starts.
    for (const auto& [element, playing] :
         {std::pair{"#play", "playing paused"}, {"iframe", "paused playing"}}) {
        window->showWindow();
        ASSERT_TRUE(presentAndWait(window->panel()));
        clickElement(*window, element);
        ASSERT_TRUE(runUntil([&] { return state() == playing; })) << state().value_or("?");
        window->hideWindow();
        EXPECT_TRUE(runUntil([&] { return state() == "paused paused"; })) << element;
    }
}

TEST_F(FloatingPage, PagesThatCannotBeShownGetAnErrorPageThatLoadsThemAgain) {
    server_.page("/", "<title>Alive</title><a id=odd href=/odd>odd</a>");
    server_.page("/odd", "", "application/x-velumo");
    // Nothing listens on this port until the reload.
    const unsigned port = TestWebServer().port();
    const std::string address = "http://127.0.0.1:" + std::to_string(port) + "/";
    auto window = open(server_.url("/"));

    // A response the page cannot show is turned down, not failed.
    clickElement(*window, "#odd");
    ASSERT_TRUE(runUntil([&] { return server_.requestCount("/odd") == 1; }));
    runFor(milliseconds(500));
    EXPECT_EQ(window->displayTitle(), "Alive");

    ASSERT_TRUE(evaluate(*window, "location.href = '" + address + "'; 1").has_value());
    EXPECT_TRUE(runUntil([&] { return window->displayTitle() == PagePrompts::loadFailedTitle; }));
    EXPECT_EQ(window->currentURL(), address);
    EXPECT_EQ(evaluate(*window, "document.body.innerText.includes('连接被拒绝')"), "true");
    EXPECT_TRUE(buttonNamed(window->toolbar(), "后退").is_sensitive());

    TestWebServer revived(port);
    revived.page("/", "<title>Back</title>");
    clickElement(*window, "#reload");
    EXPECT_TRUE(runUntil([&] { return window->displayTitle() == "Back"; }));

    killWebProcesses();
    EXPECT_TRUE(runUntil([&] { return window->displayTitle() == PagePrompts::processEndedTitle; }));
    EXPECT_EQ(window->currentURL(), address);
    clickElement(*window, "#reload");
    EXPECT_TRUE(runUntil([&] { return window->displayTitle() == "Back"; }));
    EXPECT_EQ(revived.requestCount("/"), 2U);
    // Each page that came back is a visit; neither error page is.
    std::vector<std::string> titles;
    for (const auto& entry : store_.snapshot().history) {
        titles.push_back(entry.title);
    }
    EXPECT_EQ(titles, (std::vector<std::string>{"Back", "Back", "Alive"}));
}

TEST_F(FloatingPage, PermissionsAreAskedOfThePersonAndRefusedWhileHidden) {
    const std::string ask = "Notification.requestPermission().then(p => document.title = p); 1";
    server_.page("/", "<title>Ask</title>");
    auto window = open(server_.url("/"));
    ASSERT_TRUE(evaluate(*window, ask).has_value());
    ASSERT_TRUE(runUntil([] { return openDialog() != nullptr; }));
    EXPECT_EQ(openDialog()->property_text().get_value(), "“127.0.0.1”想要向你发送通知。");
    EXPECT_EQ(openDialog()->get_transient_for(), &window->panel());
    openDialog()->response(Gtk::RESPONSE_ACCEPT);
    EXPECT_TRUE(runUntil([&] { return window->displayTitle() == "granted"; }));

    // Another site, asking while its window is hidden.
    auto hidden = open("http://localhost:" + std::to_string(server_.port()) + "/");
    hidden->hideWindow();
    ASSERT_TRUE(evaluate(*hidden, ask).has_value());
    EXPECT_TRUE(runUntil([&] { return hidden->displayTitle() == "denied"; }));
    EXPECT_EQ(openDialog(), nullptr);
}

}  // namespace
}  // namespace velumo::uitest
