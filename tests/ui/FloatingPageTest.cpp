// The page of a floating window: history, titles, zoom, identity, the
// navigation policy, media, crashes, permissions and shared cookies.
#include <csignal>
#include <fstream>
#include <sys/types.h>
#include <unistd.h>

#include <gtkmm/messagedialog.h>

#include "FloatingWindowFixture.h"
#include "WidgetQueries.h"
#include "browser/BrowserIdentity.h"

namespace velumo::uitest {
namespace {

using std::chrono::milliseconds;

// A page whose content is `factor` times as wide as its viewport.
std::string widePage(int factor) {
    return "<title>Wide</title><body style='margin:0'><div id=w style='height:10px'></div>"
           "<script>w.style.width = (" +
           std::to_string(factor) + " * document.documentElement.clientWidth) + 'px';</script>";
}

// Two seconds of a quiet tone as 8 kHz, 8-bit mono PCM.
std::string toneWave() {
    const std::uint32_t samples = 16000;
    std::string wave = "RIFF";
    auto put32 = [&](std::uint32_t v) {
        for (int i = 0; i < 4; ++i) {
            wave.push_back(static_cast<char>((v >> (8 * i)) & 0xff));
        }
    };
    auto put16 = [&](std::uint16_t v) {
        wave.push_back(static_cast<char>(v & 0xff));
        wave.push_back(static_cast<char>(v >> 8));
    };
    put32(36 + samples);
    wave += "WAVEfmt ";
    put32(16);
    put16(1);
    put16(1);
    put32(8000);
    put32(8000);
    put16(1);
    put16(8);
    wave += "data";
    put32(samples);
    for (std::uint32_t i = 0; i < samples; ++i) {
        wave.push_back(static_cast<char>(128 + ((i / 8) % 2 == 0 ? 8 : -8)));
    }
    return wave;
}

Gtk::MessageDialog* openDialog() {
    for (Gtk::Window* window : Gtk::Window::list_toplevels()) {
        if (auto* dialog = dynamic_cast<Gtk::MessageDialog*>(window);
            dialog && dialog->get_visible()) {
            return dialog;
        }
    }
    return nullptr;
}

std::vector<pid_t> childWebProcesses() {
    std::vector<pid_t> found;
    const pid_t self = getpid();
    for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
        std::ifstream stat(entry.path() / "stat");
        std::string line;
        if (!std::getline(stat, line)) {
            continue;
        }
        const auto close = line.rfind(')');
        const auto open = line.find('(');
        if (close == std::string::npos || open == std::string::npos) {
            continue;
        }
        const std::string name = line.substr(open + 1, close - open - 1);
        std::istringstream rest(line.substr(close + 2));
        char state = 0;
        pid_t parent = 0;
        rest >> state >> parent;
        if (parent == self && name.starts_with("WebKitWebProces")) {
            found.push_back(static_cast<pid_t>(std::stoi(entry.path().filename().string())));
        }
    }
    return found;
}

using FloatingPage = FloatingWindowTest;

TEST_F(FloatingPage, FollowingALinkEnablesBackAndNewWindowLinksStayInTheWindow) {
    server_.page("/", "<title>Start</title><a id=l target=_blank href=/second>next</a>");
    server_.page("/second", "<title>Second</title>second");
    auto window = open(server_.url("/"));
    // The title may come after the page has finished.
    EXPECT_TRUE(runUntil([&] { return window->displayTitle() == "Start"; }));
    EXPECT_FALSE(buttonNamed(window->toolbar(), "后退").is_sensitive());

    clickElement(*window, "#l");
    EXPECT_TRUE(waitForPage(*window, "/second"));
    EXPECT_EQ(manager_.windows().size(), 1U);
    EXPECT_TRUE(runUntil([&] { return window->displayTitle() == "Second"; }));
    EXPECT_TRUE(buttonNamed(window->toolbar(), "后退").is_sensitive());
    EXPECT_FALSE(buttonNamed(window->toolbar(), "前进").is_sensitive());

    window->toolbarGoBack();
    EXPECT_TRUE(waitForPage(*window, "/"));
    EXPECT_TRUE(runUntil([&] { return buttonNamed(window->toolbar(), "前进").is_sensitive(); }));
}

TEST_F(FloatingPage, EveryFinishedPageIsRecordedWithTheTitleShownAndBlankTitlesShowTheHost) {
    server_.page("/blank", "<title> \n\t </title>nothing to call it");
    server_.page("/named", "<title>  有名字的页面 </title>");
    auto window = open(server_.url("/blank"));
    EXPECT_EQ(window->displayTitle(), "127.0.0.1");
    ASSERT_TRUE(runUntil([&] { return !store_.snapshot().history.empty(); }));
    EXPECT_EQ(store_.snapshot().history.front().url, server_.url("/blank"));
    EXPECT_EQ(store_.snapshot().history.front().title, "127.0.0.1");

    ASSERT_TRUE(evaluate(*window, "location.href = '/named'; 1").has_value());
    ASSERT_TRUE(waitForPage(*window, "/named"));
    EXPECT_TRUE(runUntil([&] { return store_.snapshot().history.size() == 2; }));
    EXPECT_EQ(store_.snapshot().history.front().title, "有名字的页面");
    EXPECT_EQ(window->displayTitle(), "有名字的页面");
    // A failed load is not a visit.
    ASSERT_TRUE(evaluate(*window, "location.href = 'http://127.0.0.1:1/'; 1").has_value());
    runFor(milliseconds(1000));
    EXPECT_EQ(store_.snapshot().history.size(), 2U);
}

TEST_F(FloatingPage, WidePagesAreFittedUntilTheUserZooms) {
    server_.page("/wide2", widePage(2));
    server_.page("/wide5", widePage(5));
    auto window = open(server_.url("/wide2"));
    auto zoom = [&] { return webkit_web_view_get_zoom_level(window->webView()); };
    EXPECT_TRUE(runUntil([&] { return zoom() == 0.5; })) << zoom();
    EXPECT_EQ(window->page().pageZoom(), 0.5);

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

TEST_F(FloatingPage, TheServerAndThePageSeeTheChosenIdentityAndOnlyAChangeReloads) {
    server_.page("/ua", "<title>UA</title>");
    auto window = open(server_.url("/ua"));
    const std::string desktop(BrowserIdentity::desktopUserAgent);
    const std::string mobile(BrowserIdentity::mobileUserAgent);
    EXPECT_EQ(server_.lastRequest("/ua")->header("User-Agent"), desktop);
    EXPECT_EQ(evaluate(*window, "navigator.userAgent"), desktop);

    window->displayControlsSetBrowserMode(BrowserIdentityMode::desktop);
    window->displayControlsSetBrowserMode(BrowserIdentityMode::mobile);
    ASSERT_TRUE(runUntil([&] { return server_.requestCount("/ua") == 2; }));
    ASSERT_TRUE(waitForPage(*window, "/ua"));
    const auto reload = server_.lastRequest("/ua");
    EXPECT_EQ(reload->header("User-Agent"), mobile);
    EXPECT_EQ(reload->header("Cache-Control"), "no-cache");
    EXPECT_EQ(evaluate(*window, "navigator.userAgent"), mobile);

    window->displayControlsSetBrowserMode(BrowserIdentityMode::mobile);
    runFor(milliseconds(300));
    EXPECT_EQ(server_.requestCount("/ua"), 2U);
}

TEST_F(FloatingPage, OtherApplicationsOpenOnlyFromAClickAndLocalFilesNeverLeave) {
    server_.page("/",
                 "<title>Links</title><p><a id=mail href='mailto:someone@example.com'>mail</a>"
                 "<p><a id=file href='file:///etc/hostname'>file</a>"
                 "<p><a id=odd href='made-up-scheme:thing'>odd</a>");
    server_.page("/redirect",
                 "<title>Redirect</title><script>location.href = 'mailto:auto@example.com';"
                 "</script>");
    auto window = open(server_.url("/"));

    clickElement(*window, "#mail");
    EXPECT_TRUE(runUntil([&] { return !launcher_.launched.empty(); }));
    EXPECT_EQ(launcher_.launched, std::vector<std::string>{"mailto:someone@example.com"});
    clickElement(*window, "#file");
    clickElement(*window, "#odd");
    runFor(milliseconds(500));
    EXPECT_EQ(launcher_.launched.size(), 1U);
    EXPECT_EQ(std::count(launcher_.schemesAsked.begin(), launcher_.schemesAsked.end(), "file"), 0);
    EXPECT_EQ(window->currentURL(), server_.url("/"));

    ASSERT_TRUE(evaluate(*window, "location.href = '/redirect'; 1").has_value());
    ASSERT_TRUE(waitForPage(*window, "/redirect"));
    runFor(milliseconds(500));
    EXPECT_EQ(launcher_.launched.size(), 1U);
}

TEST_F(FloatingPage, HidingPausesMediaInThePageAndInFramesOfOtherSites) {
    const std::string wave = toneWave();
    server_.handle("/tone.wav", [&](const TestWebServer::Request&) {
        TestWebServer::Response response;
        response.contentType = "audio/wav";
        response.body = wave;
        return response;
    });
    // Sound starts only from a click, in each document. The frame comes from
    // another origin (localhost against 127.0.0.1) and reports its state.
    server_.page("/frame",
                 "<button id=play style='position:fixed;inset:0;width:100%;height:100%'"
                 " onclick='b.play()'>play</button><audio id=b src=/tone.wav loop></audio>"
                 "<script>setInterval(() => parent.postMessage(b.paused ? 'paused' : 'playing',"
                 " '*'), 50);</script>");
    server_.page("/",
                 "<title>Media</title><button id=play onclick='a.play()'>play</button>"
                 "<audio id=a src=/tone.wav loop></audio><br><iframe src='http://localhost:" +
                     std::to_string(server_.port()) +
                     "/frame'></iframe><script>window.frameState = 'none';"
                     "addEventListener('message', e => window.frameState = e.data);</script>");
    auto window = open(server_.url("/"));
    auto state = [&] {
        return evaluate(*window, "(a.paused ? 'paused' : 'playing') + ' ' + frameState");
    };
    ASSERT_TRUE(runUntil([&] { return state() == "paused paused"; })) << state().value_or("?");
    clickElement(*window, "#play");
    clickElement(*window, "iframe");
    ASSERT_TRUE(runUntil([&] { return state() == "playing playing"; })) << state().value_or("?");

    window->hideWindow();
    EXPECT_TRUE(runUntil([&] { return state() == "paused paused"; })) << state().value_or("?");
}

TEST_F(FloatingPage, ACrashedPageShowsAnErrorPageThatLoadsItAgain) {
    server_.page("/", "<title>Alive</title>alive");
    auto window = open(server_.url("/"));
    const auto processes = childWebProcesses();
    ASSERT_FALSE(processes.empty());
    for (pid_t process : processes) {
        kill(process, SIGKILL);
    }
    EXPECT_TRUE(runUntil([&] { return window->displayTitle() == "页面已停止运行"; }));
    EXPECT_EQ(window->currentURL(), server_.url("/"));

    clickElement(*window, "#reload");
    EXPECT_TRUE(runUntil([&] { return window->displayTitle() == "Alive"; }));
    EXPECT_EQ(server_.requestCount("/"), 2U);
    // The error page itself never enters the history.
    for (const auto& entry : store_.snapshot().history) {
        EXPECT_EQ(entry.title, "Alive");
    }
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
    const std::string other = "http://localhost:" + std::to_string(server_.port()) + "/";
    auto hidden = open(other);
    hidden->hideWindow();
    ASSERT_TRUE(evaluate(*hidden, ask).has_value());
    EXPECT_TRUE(runUntil([&] { return hidden->displayTitle() == "denied"; }));
    EXPECT_EQ(openDialog(), nullptr);
}

TEST_F(FloatingPage, WindowsShareOneCookieJarKeptOnDisk) {
    server_.handle("/set", [](const TestWebServer::Request&) {
        TestWebServer::Response response;
        response.body = "<title>Set</title>";
        response.headers.emplace_back("Set-Cookie", "flavour=plum; Max-Age=3600; Path=/");
        return response;
    });
    server_.page("/check", "<title>Check</title>");
    auto first = open(server_.url("/set"));
    auto second = open(server_.url("/check"));
    EXPECT_EQ(server_.lastRequest("/check")->header("Cookie"), "flavour=plum");
    EXPECT_TRUE(runUntil([&] {
        std::error_code error;
        return std::filesystem::file_size(folder_ / "web-data" / "cookies.sqlite", error) > 0;
    }));
}

}  // namespace
}  // namespace velumo::uitest
