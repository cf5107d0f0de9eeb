// The page of a floating window: history, titles, zoom, identity, the
// navigation policy, media, error pages, a page that stops answering,
// permissions and the menu's commands on the page.
#include <csignal>
#include <fstream>
#include <sys/socket.h>
#include <unistd.h>

#include <gtkmm/clipboard.h>
#include <gtkmm/entry.h>

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

// The web processes of this test.
std::vector<pid_t> webProcesses() {
    std::vector<pid_t> found;
    for (const auto& thread : std::filesystem::directory_iterator("/proc/self/task")) {
        std::ifstream children(thread.path() / "children");
        for (pid_t child = 0; children >> child;) {
            std::ifstream command("/proc/" + std::to_string(child) + "/comm");
            std::string name;
            if (std::getline(command, name) && name == "WebKitWebProces") {
                found.push_back(child);
            }
        }
    }
    return found;
}

// Kills the web processes of this test, as a crash would.
void killWebProcesses() {
    for (const pid_t process : webProcesses()) {
        kill(process, SIGKILL);
    }
}

// Serves one page that breaks off: the headers promise more than ever comes,
// and the connection is reset after the first part has arrived.
class BrokenOffServer {
  public:
    BrokenOffServer() : service_(g_socket_service_new()) {
        GSocketAddress* local = g_inet_socket_address_new_from_string("127.0.0.1", 0);
        GSocketAddress* bound = nullptr;
        g_socket_listener_add_address(G_SOCKET_LISTENER(service_), local, G_SOCKET_TYPE_STREAM,
                                      G_SOCKET_PROTOCOL_TCP, nullptr, &bound, nullptr);
        port_ = g_inet_socket_address_get_port(G_INET_SOCKET_ADDRESS(bound));
        g_object_unref(bound);
        g_object_unref(local);
        g_signal_connect(service_, "incoming", G_CALLBACK(answer), nullptr);
        g_socket_service_start(service_);
    }
    ~BrokenOffServer() {
        g_socket_service_stop(service_);
        g_object_unref(service_);
    }
    BrokenOffServer(const BrokenOffServer&) = delete;
    BrokenOffServer& operator=(const BrokenOffServer&) = delete;

    std::string url() const { return "http://127.0.0.1:" + std::to_string(port_) + "/"; }

  private:
    // One connection: the request is read to its end first (closing on
    // unread bytes would reset the connection before the page arrived),
    // without blocking the loop the web engine's processes talk to.
    struct Exchange {
        GSocketConnection* connection;
        std::string request;
        char buffer[1024];
    };

    static gboolean answer(GSocketService*, GSocketConnection* connection, GObject*, gpointer) {
        readMore(new Exchange{G_SOCKET_CONNECTION(g_object_ref(connection)), {}, {}});
        return TRUE;
    }

    static void readMore(Exchange* exchange) {
        g_input_stream_read_async(
            g_io_stream_get_input_stream(G_IO_STREAM(exchange->connection)), exchange->buffer,
            sizeof exchange->buffer, G_PRIORITY_DEFAULT, nullptr,
            [](GObject* stream, GAsyncResult* result, gpointer data) {
                auto* exchange = static_cast<Exchange*>(data);
                const gssize read =
                    g_input_stream_read_finish(G_INPUT_STREAM(stream), result, nullptr);
                if (read > 0) {
                    exchange->request.append(exchange->buffer, static_cast<std::size_t>(read));
                }
                if (read > 0 && exchange->request.find("\r\n\r\n") == std::string::npos) {
                    readMore(exchange);
                    return;
                }
                if (read > 0) {
                    breakOff(exchange->connection);
                }
                g_object_unref(exchange->connection);
                delete exchange;
            },
            exchange);
    }

    static void breakOff(GSocketConnection* connection) {
        const std::string head =
            "HTTP/1.1 200 OK\r\nContent-Type: text/html; charset=utf-8\r\n"
            "Content-Length: 100000\r\nConnection: close\r\n\r\n"
            "<!DOCTYPE html><title>Partial</title><p>first part</p>" +
            std::string(2000, ' ');
        g_output_stream_write_all(g_io_stream_get_output_stream(G_IO_STREAM(connection)),
                                  head.data(), head.size(), nullptr, nullptr, nullptr);
        g_timeout_add(
            300,
            [](gpointer open) -> gboolean {
                // Reset, as a dropped network does, rather than ended.
                const linger reset{1, 0};
                setsockopt(
                    g_socket_get_fd(g_socket_connection_get_socket(G_SOCKET_CONNECTION(open))),
                    SOL_SOCKET, SO_LINGER, &reset, sizeof reset);
                g_io_stream_close(G_IO_STREAM(open), nullptr, nullptr);
                g_object_unref(open);
                return G_SOURCE_REMOVE;
            },
            g_object_ref(connection));
    }

    GSocketService* service_;
    unsigned port_ = 0;
};

std::string repeated(const std::string& text, int count) {
    std::string result;
    for (int i = 0; i < count; ++i) {
        result += text;
    }
    return result;
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

// Emoji sequences, bidi controls and long titles used to make the store
// refuse the visit and the bookmark. A title can reach the window in parts,
// as the page arrives: the history keeps all of it, as the bar shows it.
TEST_F(FloatingPage, EveryPageReachesHistoryAndBookmarksWithTheTitleTheBarShows) {
    const struct {
        std::string path;
        std::string page;
        std::string shown;
    } pages[] = {
        {"/family", "<title>👨&#x200D;👩&#x200D;👧 家</title>", "👨👩👧 家"},
        {"/override", "<title>abc&#x202E;def</title>", "abcdef"},
        {"/long", "<title>" + repeated("字", 300) + "</title><script src=/rest.js></script>",
         repeated("字", 512)},
    };
    for (const auto& page : pages) {
        server_.page(page.path, page.page);
    }
    server_.page("/rest.js", "document.title += '字'.repeat(300);", "text/javascript");
    server_.page("/", "<title>Start</title>");
    auto window = open(server_.url("/"));
    for (const auto& page : pages) {
        SCOPED_TRACE(page.path);
        const std::string url = server_.url(page.path);
        ASSERT_TRUE(evaluate(*window, "location.href = '" + url + "'; 1").has_value());
        ASSERT_TRUE(waitForPage(*window, page.path));
        EXPECT_TRUE(runUntil([&] {
            const auto history = store_.snapshot().history;
            return !history.empty() && history.front().url == url &&
                   history.front().title == page.shown;
        })) << store_.snapshot().history.front().title.size()
            << " bytes recorded";
        EXPECT_EQ(labelTexts(window->toolbar()).front(), page.shown);
        window->performMenuAction(MoreMenuAction::bookmark);
        EXPECT_EQ(openDialog(), nullptr);
        EXPECT_TRUE(std::ranges::any_of(store_.snapshot().bookmarks, [&](const auto& bookmark) {
            return bookmark.url == url && bookmark.title == page.shown;
        }));
    }
}

// The last page's visit waits briefly for a title that may come late.
TEST_F(FloatingPage, AWindowClosedBeforeItsPageIsNamedStillRecordsTheVisit) {
    server_.page("/", "<body>no title</body>");
    auto window = open(server_.url("/"));
    window->closePermanently();
    const auto history = store_.snapshot().history;
    ASSERT_EQ(history.size(), 1U);
    EXPECT_EQ(history.front().title, "127.0.0.1");
}

TEST_F(FloatingPage, ABookmarkTheStoreRefusesIsExplainedOverTheWindow) {
    auto window = open("data:text/html,inline");
    window->performMenuAction(MoreMenuAction::bookmark);
    ASSERT_NE(openDialog(), nullptr);
    EXPECT_EQ(openDialog()->property_text().get_value(), "仅支持有效的 HTTP 或 HTTPS 网址");
    EXPECT_EQ(openDialog()->get_transient_for(), &window->panel());
}

TEST_F(FloatingPage, MenuCommandsActOnThePageShownNow) {
    server_.page("/", "<title>Start</title><a id=l href=/next>next</a>");
    server_.page("/next", "<title>Next</title>");
    auto window = open(server_.url("/"));
    clickElement(*window, "#l");
    ASSERT_TRUE(waitForPage(*window, "/next"));
    window->performMenuAction(MoreMenuAction::copyURL);
    EXPECT_EQ(Gtk::Clipboard::get(GDK_SELECTION_CLIPBOARD)->wait_for_text(), server_.url("/next"));

    // The editor starts from the address shown and opens what was typed,
    // resolved: a bare host is a secure address (which this server is not).
    window->performMenuAction(MoreMenuAction::editAddress);
    ASSERT_NE(openDialog(), nullptr);
    auto& field = firstOf<Gtk::Entry>(*openDialog());
    EXPECT_EQ(field.get_text(), server_.url("/next"));
    const std::string typed = "127.0.0.1:" + std::to_string(server_.port()) + "/third";
    field.set_text(" " + typed + " ");
    choose(*openDialog(), "打开");
    EXPECT_TRUE(
        runUntil([&] { return webkit_web_view_get_uri(window->webView()) == "https://" + typed; }));
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

TEST_F(FloatingPage, ASitesZoomIdentityAndOpacityComeBackUntilForgotten) {
    manager_.setStateStore(&state_);
    server_.page("/first", "<title>First</title>");
    server_.page("/second", "<title>Second</title>");
    const std::string mobile(BrowserIdentity::mobileUserAgent);
    auto first = open(server_.url("/first"));
    first->displayControlsSetPageZoom(1.5);
    first->setOpacityFromMenu(60);
    first->displayControlsSetBrowserMode(BrowserIdentityMode::mobile);
    ASSERT_TRUE(runUntil([&] { return server_.requestCount("/first") == 2; }));
    first->closePermanently();

    // Another page of the same site, in a new window.
    auto second = open(server_.url("/second"));
    const auto zoom = [&] { return webkit_web_view_get_zoom_level(second->webView()); };
    EXPECT_DOUBLE_EQ(zoom(), 1.5);
    EXPECT_EQ(server_.lastRequest("/second")->at("User-Agent"), mobile);
    EXPECT_DOUBLE_EQ(second->opacity(), 0.6);
    EXPECT_NEAR(second->panel().get_opacity(), 0.6, 0.01);

    second->performMenuAction(MoreMenuAction::forgetSite);
    ASSERT_TRUE(runUntil([&] { return server_.requestCount("/second") == 2; }));
    EXPECT_NE(server_.lastRequest("/second")->at("User-Agent"), mobile);
    EXPECT_TRUE(runUntil([&] { return zoom() == 1.0; })) << zoom();
    EXPECT_DOUBLE_EQ(second->opacity(), 1.0);
    EXPECT_TRUE(state_.snapshot().sites.sites().empty());
    manager_.setStateStore(nullptr);
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

// Pausing misses sound made outside the document (here an Audio object).
TEST_F(FloatingPage, AHiddenWindowIsMutedHoweverItWasHidden) {
    server_.page("/tone.wav", toneWave(), "audio/wav");
    server_.page("/",
                 "<title>Detached</title><button id=play style='width:300px;height:100px' "
                 "onclick='window.sound = new Audio(\"/tone.wav\"); sound.loop = true; "
                 "sound.play()'>play</button>");
    auto window = open(server_.url("/"));
    clickElement(*window, "#play");
    ASSERT_TRUE(
        runUntil([&] { return evaluate(*window, "window.sound && !sound.paused") == "true"; }));
    const auto muted = [&] { return webkit_web_view_get_is_muted(window->webView()) != FALSE; };
    EXPECT_FALSE(muted());
    for (const auto& [hide, show] :
         {std::pair<std::function<void()>, std::function<void()>>{
              [&] { window->hideWindow(); }, [&] { window->toggleVisibility(); }},
          {[&] { manager_.hideAll(); }, [&] { manager_.showAll(); }},
          {[&] { manager_.toggleBossVisibility(); }, [&] { manager_.toggleBossVisibility(); }}}) {
        hide();
        EXPECT_TRUE(muted());
        show();
        EXPECT_FALSE(muted());
    }
}

TEST_F(FloatingPage, AFailureAfterThePageBeganToShowLeavesWhatArrived) {
    BrokenOffServer broken;
    auto window = open(broken.url());
    // The connection breaks 300 ms after the first part.
    runFor(milliseconds(500));
    EXPECT_EQ(window->displayTitle(), "Partial");
    EXPECT_EQ(evaluate(*window, "document.body.innerText.includes('first part')"), "true");
}

TEST_F(FloatingPage, PagesThatCannotBeShownGetAnErrorPageThatLoadsThemAgain) {
    server_.page("/", "<title>Alive</title>");
    // Nothing listens on this port until the reload.
    const unsigned port = TestWebServer().port();
    const std::string address = "http://127.0.0.1:" + std::to_string(port) + "/";
    auto window = open(server_.url("/"));

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
    // Each page that came back is a visit, recorded once it has finished
    // loading; neither error page is.
    const auto titles = [&] {
        std::vector<std::string> recorded;
        for (const auto& entry : store_.snapshot().history) {
            recorded.push_back(entry.title);
        }
        return recorded;
    };
    const std::vector<std::string> expected{"Back", "Back", "Alive"};
    EXPECT_TRUE(runUntil([&] { return titles() == expected; })) << titles().size();
}

// The launch waits for the first pages, the error page in the place of one
// that cannot be shown included, and learns of them from the windows' news.
TEST_F(FloatingPage, TheWindowSetTellsWhenEveryFirstPageHasArrived) {
    server_.page("/", "<title>Alive</title>");
    const std::string refused = "http://127.0.0.1:" + std::to_string(TestWebServer().port()) + "/";
    std::vector<bool> onItsWay;
    const auto token = NotificationCenter::defaultCenter().addObserver(
        std::string(browserWindowsDidChange), nullptr,
        [&](const Notification&) { onItsWay.push_back(manager_.pageOnItsWay()); });
    manager_.createWindow(server_.url("/"), BrowserWindowMode::window);
    manager_.createWindow(refused, BrowserWindowMode::window);
    EXPECT_TRUE(manager_.pageOnItsWay());
    EXPECT_TRUE(runUntil([&] { return !onItsWay.empty() && !onItsWay.back(); }));
    EXPECT_TRUE(runUntil(
        [&] { return manager_.windows().back()->displayTitle() == PagePrompts::loadFailedTitle; }));
}

TEST_F(FloatingPage, AClosedWindowsRunawayPageStopsAtOnceAndOthersRunOn) {
    server_.page("/", "<title>Calm</title>");
    server_.page("/busy",
                 "<title>Busy</title><script>setTimeout(() => { while (true) {} }, 100);"
                 "</script>");
    auto calm = open(server_.url("/"));
    auto busy = open(server_.url("/busy"));
    // The page prepared for the next window is among the processes counted.
    ASSERT_TRUE(runUntil([&] { return session_.spareView() != nullptr; }));
    runFor(milliseconds(300));
    const auto before = webProcesses().size();
    busy->closePermanently();
    // Left to itself, the engine ends a busy page's process only many seconds later.
    runFor(milliseconds(2000));
    EXPECT_EQ(webProcesses().size(), before - 1);
    EXPECT_EQ(evaluate(*calm, "document.title"), "Calm");
}

TEST_F(FloatingPage, APageThatStopsAnsweringCanBeWaitedForOrEnded) {
    server_.page("/",
                 "<title>Busy</title>"
                 "<button id=slow style='width:200px;height:80px' onclick='const end = "
                 "Date.now() + 6000; while (Date.now() < end) {}'>slow</button>"
                 "<button id=stuck style='width:200px;height:80px' "
                 "onclick='while (true) {}'>stuck</button>");
    auto window = open(server_.url("/"));
    const auto question = [] {
        Gtk::MessageDialog* dialog = openDialog();
        return dialog != nullptr && dialog->property_text().get_value() == "页面无响应" ? dialog
                                                                                        : nullptr;
    };
    clickElement(*window, "#slow");
    ASSERT_TRUE(runUntil([&] { return question() != nullptr; }));
    EXPECT_EQ(question()->get_transient_for(), &window->panel());
    // Waiting paid off: the question goes by itself.
    EXPECT_TRUE(runUntil([&] { return question() == nullptr; }));

    clickElement(*window, "#stuck");
    ASSERT_TRUE(runUntil([&] { return question() != nullptr; }));
    choose(*question(), "结束页面");
    EXPECT_TRUE(runUntil([&] { return window->displayTitle() == PagePrompts::processEndedTitle; }));
    EXPECT_EQ(evaluate(*window, "document.body.innerText.includes('你结束了')"), "true");
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
