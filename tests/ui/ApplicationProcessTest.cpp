// The application as a person uses it: its real binary started on the test's
// display and session bus, seen from outside through the window manager's
// lists, driven by XTest keys, the session bus and signals.
#include <algorithm>
#include <array>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <vector>

#include <gio/gio.h>
#include <gmock/gmock.h>

#include "AccessibilityBus.h"
#include "KdeShortcutsDesktop.h"
#include "OtherXClient.h"
#include "TestShortcutsPortal.h"
#include "TestWebServer.h"
#include "UiTestSupport.h"
#include "VelumoProcess.h"
#include "browser/BrowserWindowManager.h"
#include "browser/StateStore.h"
#include "data/AppDataSanitizer.h"
#include "data/AppDataStore.h"
#include "data/DurableFile.h"
#include "workbench/WorkbenchRules.h"

// After every other header: Xlib's macros clash with theirs.
#include <X11/keysym.h>

namespace velumo::uitest {
namespace {

using Titles = std::vector<std::string>;

class RunningApplication : public UiTest {
  protected:
    RunningApplication() {
        char* path = g_dir_make_tmp("velumo-app-XXXXXX", nullptr);
        home_ = path;
        g_free(path);
        for (const char* name : {"one", "two", "three"}) {
            server_.page(std::string("/") + name, std::string("<title>Page ") + name + "</title>");
        }
    }
    ~RunningApplication() override {
        app_.reset();
        std::error_code ignored;
        std::filesystem::remove_all(home_, ignored);
    }

    std::filesystem::path dataFolder() const { return home_ / "data" / "com.orvantis.velumo"; }
    std::filesystem::path stateFile() const {
        return home_ / "state" / "com.orvantis.velumo" / "state.json";
    }
    // The settings the application finds in its data file at start.
    void storeSettings(const std::function<void(AppSettings&)>& change) {
        AppDataStore store(dataFolder() / "app-data.json");
        AppSettings settings = store.snapshot().settings;
        change(settings);
        ASSERT_TRUE(store.updateSettings(settings));
    }

    // Starts the application and waits until its workbench is shown.
    void start(const std::vector<std::string>& arguments = {},
               const VelumoProcess::Environment& environment = {}) {
        app_ = std::make_unique<VelumoProcess>(home_, arguments, environment);
        ASSERT_TRUE(runUntil([&] { return workbench() != 0; })) << app_->output();
    }
    // Starts the application a second time; the exit status of that process.
    std::optional<int> startAgain(const std::vector<std::string>& arguments = {}) {
        return VelumoProcess(home_, arguments).waitForExit();
    }

    std::vector<ClientWindow> windows() { return other_.windowsOf(app_->pid()); }
    // Whether the application's own process has a file of that name mapped.
    bool maps(std::string_view library) {
        std::ifstream maps(std::filesystem::path("/proc") / std::to_string(app_->pid()) / "maps");
        const std::string mapped{std::istreambuf_iterator<char>(maps), {}};
        return mapped.contains(library);
    }
    // WebKit's processes among the application's descendants.
    std::size_t webProcesses() {
        std::size_t count = 0;
        std::vector<std::string> pending{std::to_string(app_->pid())};
        while (!pending.empty()) {
            const std::string pid = pending.back();
            pending.pop_back();
            std::string name;
            std::ifstream(std::filesystem::path("/proc") / pid / "comm") >> name;
            count += name.starts_with("WebKit") ? 1 : 0;
            std::error_code ignored;
            for (const auto& task : std::filesystem::directory_iterator(
                     std::filesystem::path("/proc") / pid / "task", ignored)) {
                std::ifstream children(task.path() / "children");
                for (std::string child; children >> child;) {
                    pending.push_back(child);
                }
            }
        }
        return count;
    }
    std::uint64_t workbench() { return find("Velumo"); }
    std::uint64_t find(const std::string& title) {
        for (const ClientWindow& window : windows()) {
            if (window.title == title && !window.dialog) {
                return window.id;
            }
        }
        return 0;
    }
    bool showsDialogNow() {
        return std::ranges::any_of(windows(), [](const auto& window) { return window.dialog; });
    }
    bool showsDialog() {
        return runUntil([&] { return showsDialogNow(); });
    }
    // The shown floating windows' titles, bottom to top.
    Titles floatingWindows() {
        Titles titles;
        for (const ClientWindow& window : windows()) {
            if (window.title != "Velumo" && !window.dialog) {
                titles.push_back(window.title);
            }
        }
        return titles;
    }
    bool waitForFloatingWindows(const Titles& titles) {
        return runUntil([&] { return floatingWindows() == titles; });
    }
    bool isActive(const std::string& title) {
        return runUntil([&] { return other_.activeWindow() == find(title) && find(title) != 0; });
    }

    // Waits for the end of the run: status 0 and nothing the toolkit or the
    // sanitizers complained about on the way.
    void expectCleanExit() {
        EXPECT_EQ(app_->waitForExit(), 0);
        EXPECT_EQ(app_->complaints(), std::vector<std::string>{}) << app_->output();
    }
    // Another application takes the focus and is typed into, as a person
    // works there before pressing a hot key.
    void workInAnotherApplication() {
        if (!elsewhere_) {
            elsewhere_ = std::make_unique<Gtk::Window>();
            elsewhere_->signal_key_press_event().connect([this](GdkEventKey* event) {
                latestKeyElsewhere_ = event->time;
                return false;
            });
        }
        ASSERT_TRUE(presentAndWait(*elsewhere_));
        tapKey(XK_Shift_L);
        // The modifiers of the hot key reach this window too: the time to
        // beat is this key's.
        lastInputElsewhere_ = latestKeyElsewhere_;
        // The X server's clock may tick in steps of 10 ms: the hot key comes
        // at a later time.
        runFor(std::chrono::milliseconds(30));
    }
    // Waits until the window is in front, brought there with the time of an
    // input later than the last one elsewhere: a window manager that
    // prevents focus stealing gives the focus only then.
    bool broughtForward(const std::string& title) {
        const bool active = isActive(title);
        const auto times = other_.activationTimes(find(title));
        return active && std::ranges::any_of(
                             times, [&](std::uint32_t time) { return time > lastInputElsewhere_; });
    }
    // As `gapplication action com.orvantis.velumo NAME` does. Synchronous: the
    // shared bus connection may go with its last reference before an
    // asynchronous call left.
    static void activateAction(const char* name) {
        GDBusConnection* bus = g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, nullptr);
        GVariant* reply = g_dbus_connection_call_sync(
            bus, "com.orvantis.velumo", "/com/orvantis/velumo", "org.gtk.Actions", "Activate",
            g_variant_new("(s@av@a{sv})", name,
                          g_variant_new_array(G_VARIANT_TYPE_VARIANT, nullptr, 0),
                          g_variant_new_array(G_VARIANT_TYPE("{sv}"), nullptr, 0)),
            nullptr, G_DBUS_CALL_FLAGS_NONE, -1, nullptr, nullptr);
        if (reply != nullptr) {
            g_variant_unref(reply);
        }
        g_object_unref(bus);
    }

    // The actions the application exports on the session bus.
    static std::set<std::string> actionNames() {
        const auto names = busStrings("com.orvantis.velumo", "/com/orvantis/velumo",
                                      "org.gtk.Actions", "List", "s");
        return {names.begin(), names.end()};
    }
    // Runs `gapplication ARGUMENTS` as a desktop shortcut would; its output.
    static std::string gapplication(const std::vector<std::string>& arguments) {
        std::vector<const char*> argv{"gapplication"};
        for (const auto& argument : arguments) {
            argv.push_back(argument.c_str());
        }
        argv.push_back(nullptr);
        gchar* output = nullptr;
        gint status = 0;
        EXPECT_TRUE(g_spawn_sync(nullptr, const_cast<gchar**>(argv.data()), nullptr,
                                 G_SPAWN_SEARCH_PATH, nullptr, nullptr, &output, nullptr, &status,
                                 nullptr));
        EXPECT_TRUE(g_spawn_check_wait_status(status, nullptr)) << arguments.front();
        std::string text = output != nullptr ? output : "";
        g_free(output);
        return text;
    }

    std::filesystem::path home_;
    TestWebServer server_;
    OtherXClient other_;
    std::unique_ptr<VelumoProcess> app_;
    std::unique_ptr<Gtk::Window> elsewhere_;
    std::uint32_t latestKeyElsewhere_ = 0;
    std::uint32_t lastInputElsewhere_ = 0;
};

TEST_F(RunningApplication, RunsOnceShowingTheWorkbenchAndOutlivesItsLastWindow) {
    // Given only an address it refuses, the first start opens no window.
    start({"/etc/passwd"});
    ASSERT_TRUE(showsDialog());
    for (const ClientWindow& window : windows()) {
        if (window.dialog) {
            other_.requestClose(window.id);
        }
    }
    ASSERT_TRUE(runUntil([&] { return !showsDialogNow(); }));
    EXPECT_TRUE(floatingWindows().empty());

    other_.requestClose(workbench());
    ASSERT_TRUE(runUntil([&] { return workbench() == 0; }));
    runFor(std::chrono::milliseconds(500));
    EXPECT_TRUE(app_->running());
    // WebKit starts with the first floating window, not before: neither its
    // processes nor its libraries.
    EXPECT_EQ(webProcesses(), 0U);
    EXPECT_FALSE(maps("libwebkit2gtk"));
    EXPECT_FALSE(maps("libjavascriptcore"));
    // Nor the SVG renderer: the workbench's icons are drawn from pictures.
    EXPECT_FALSE(maps("librsvg"));

    // Starting it again shows the workbench there and ends.
    EXPECT_EQ(startAgain(), 0);
    EXPECT_TRUE(isActive("Velumo"));

    app_->signal(SIGTERM);
    expectCleanExit();
}

// The folder's entries with the data file's inode.
std::set<std::string> listing(const std::filesystem::path& folder) {
    std::set<std::string> entries;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        entries.insert(entry.path().filename().string());
    }
    struct stat file {};
    ::stat((folder / "app-data.json").c_str(), &file);
    entries.insert("inode " + std::to_string(file.st_ino));
    return entries;
}

// Only the running instance reads, cleans or writes the data folder.
TEST_F(RunningApplication, AnswersHelpAndVersionWithoutADisplayOrTheDataFolder) {
    const VelumoProcess::Environment headless{{"DISPLAY", std::nullopt},
                                              {"WAYLAND_DISPLAY", std::nullopt}};
    VelumoProcess version(home_, {"--version"}, headless);
    EXPECT_EQ(version.waitForExit(), 0);
    EXPECT_EQ(version.output(), "Velumo 0.1.0\n");
    VelumoProcess help(home_, {"--help"}, headless);
    EXPECT_EQ(help.waitForExit(), 0);
    EXPECT_THAT(help.output(), ::testing::HasSubstr("[网址…]"));
    EXPECT_THAT(help.output(), ::testing::HasSubstr("--new-window"));

    // A Wayland session without XWayland.
    VelumoProcess run(home_, {}, {{"DISPLAY", std::nullopt}, {"WAYLAND_DISPLAY", "wayland-0"}});
    EXPECT_EQ(run.waitForExit(), 1);
    EXPECT_THAT(run.output(),
                ::testing::AllOf(::testing::HasSubstr("在 Wayland 桌面上需要 XWayland"),
                                 ::testing::HasSubstr("through XWayland")));
    EXPECT_EQ(VelumoProcess(home_, {"--no-such-option"}, headless).waitForExit(), 1);
    EXPECT_FALSE(std::filesystem::exists(dataFolder()));
    EXPECT_FALSE(std::filesystem::exists(stateFile().parent_path()));

    start();
    const auto before = listing(dataFolder());
    for (const std::vector<std::string>& arguments :
         {std::vector<std::string>{"--version"}, {"--help"}, {}, {"/etc/passwd"}}) {
        startAgain(arguments);
    }
    EXPECT_EQ(listing(dataFolder()), before);
    EXPECT_FALSE(std::filesystem::exists(stateFile().parent_path()));
    app_->signal(SIGTERM);
    expectCleanExit();
}

// The numbers of the "Live n" visits in the data file, newest first.
std::vector<int> liveVisits(const std::filesystem::path& file) {
    const auto bytes = DurableFile::read(file, std::size_t{64} << 20);
    const auto document = bytes ? AppDataSanitizer::decode(*bytes) : std::nullopt;
    std::vector<int> numbers;
    for (const auto& entry : document ? document->history : std::vector<HistoryEntry>{}) {
        if (entry.title.starts_with("Live ")) {
            numbers.push_back(std::stoi(entry.title.substr(5)));
        }
    }
    return numbers;
}

::testing::AssertionResult withoutGaps(const std::vector<int>& visits) {
    for (std::size_t i = 1; i < visits.size(); ++i) {
        if (visits[i] != visits[i - 1] - 1) {
            return ::testing::AssertionFailure() << "visit " << visits[i - 1] - 1 << " is missing";
        }
    }
    return ::testing::AssertionSuccess();
}

// A page whose loads are named after their numbers, each asking for the next
// one soon after it has loaded.
constexpr const char* reloadingPage = R"(<html><head><script>
    const n = Number(new URLSearchParams(location.search).get('n'));
    document.title = 'Live ' + n;
    addEventListener('load', () => setTimeout(() => location.replace('?n=' + (n + 1)), 200));
    </script></head></html>)";

// An X server of the test's own, which it can end as a session ends.
class OwnDisplay {
  public:
    OwnDisplay()
        : server_(g_subprocess_new(G_SUBPROCESS_FLAGS_STDOUT_PIPE, nullptr, "Xvfb", "-displayfd",
                                   "1", "-nolisten", "tcp", "-screen", "0", "1024x768x24",
                                   nullptr)) {
        GDataInputStream* lines = g_data_input_stream_new(g_subprocess_get_stdout_pipe(server_));
        char* number = g_data_input_stream_read_line(lines, nullptr, nullptr, nullptr);
        name_ = std::string(":") + (number != nullptr ? number : "");
        g_free(number);
        g_object_unref(lines);
    }
    ~OwnDisplay() {
        end();
        g_object_unref(server_);
    }
    OwnDisplay(const OwnDisplay&) = delete;
    OwnDisplay& operator=(const OwnDisplay&) = delete;

    const std::string& name() const { return name_; }
    void end() {
        g_subprocess_send_signal(server_, SIGTERM);
        g_subprocess_wait(server_, nullptr, nullptr);
    }

  private:
    GSubprocess* server_;
    std::string name_;
};

// However the session ends (a signal, or its X server going away first),
// the visits gathered since the last write reach the file.
TEST_F(RunningApplication, TheVisitsGatheredSinceTheLastWriteAreWrittenHoweverTheSessionEnds) {
    for (const int ending : {SIGTERM, SIGINT, SIGHUP, 0}) {
        const std::string page = "/live" + std::to_string(ending);
        server_.page(page, reloadingPage);
        // Each round starts afresh, without the last one's visits or windows.
        std::filesystem::remove_all(dataFolder());
        std::filesystem::remove_all(stateFile().parent_path());
        OwnDisplay display;
        app_ = std::make_unique<VelumoProcess>(
            home_, std::vector{server_.url(page + "?n=1")},
            VelumoProcess::Environment{{"DISPLAY", display.name()}});
        ASSERT_TRUE(runUntil([&] { return server_.requestCount(page) > 15; })) << app_->output();
        if (ending == 0) {
            display.end();
            app_->waitForExit();
        } else {
            app_->signal(ending);
            expectCleanExit();
        }
        const auto visits = liveVisits(dataFolder() / "app-data.json");
        EXPECT_TRUE(withoutGaps(visits)) << ending;
        ASSERT_FALSE(visits.empty()) << ending;
        // The load under way at the end may not have finished.
        EXPECT_GE(visits.front() + 1, static_cast<int>(server_.requestCount(page))) << ending;
    }
}

// 200 forwarding starts while the running instance saves visit after visit:
// none of them may disturb its saves. This test's time goes to starting the
// program 200 times; tests/ui/LongTests.cmake gives it the time.
TEST_F(RunningApplication, SecondStartsWhileThePageSavesLoseNoVisit) {
    server_.page("/live", reloadingPage);
    start({server_.url("/live?n=1")});
    const auto file = dataFolder() / "app-data.json";
    for (int round = 0; round < 25; ++round) {
        std::vector<std::unique_ptr<VelumoProcess>> starts;
        for (int i = 0; i < 8; ++i) {
            starts.push_back(std::make_unique<VelumoProcess>(home_, std::vector<std::string>{}));
        }
        for (const auto& second : starts) {
            EXPECT_EQ(second->waitForExit(), 0);
        }
        ASSERT_TRUE(withoutGaps(liveVisits(file))) << "round " << round;
    }
    app_->signal(SIGTERM);
    expectCleanExit();
    EXPECT_TRUE(withoutGaps(liveVisits(file)));
    EXPECT_GT(liveVisits(file).size(), 25U);
}

TEST_F(RunningApplication, OpensAddressesInTheRunningInstanceButNeverALocalFile) {
    start();
    EXPECT_EQ(startAgain({server_.url("/one")}), 0);
    EXPECT_TRUE(waitForFloatingWindows({"Page one"}));
    EXPECT_GT(webProcesses(), 0U);
    runFor(std::chrono::milliseconds(500));
    EXPECT_EQ(floatingWindows(), Titles{"Page one"}) << "exactly one window";

    // As a desktop hands addresses to an application it starts over D-Bus.
    gapplication({"launch", "com.orvantis.velumo", server_.url("/two")});
    EXPECT_TRUE(waitForFloatingWindows({"Page one", "Page two"}));
    runFor(std::chrono::milliseconds(500));
    EXPECT_EQ(floatingWindows().size(), 2U) << "exactly one window more";
    // The windows' bars and the status menu's checked entries for them are
    // drawn without the SVG renderer, which would stay for the whole run.
    EXPECT_FALSE(maps("librsvg"));

    EXPECT_EQ(startAgain({"/etc/passwd"}), 1);
    EXPECT_TRUE(showsDialog());
    EXPECT_EQ(floatingWindows(), (Titles{"Page one", "Page two"}));

    // Ending the run answers the alert first.
    app_->signal(SIGINT);
    expectCleanExit();
}

// Nobody waits for the window limit's alert: not the caller, not the
// requests after it, not the end of the run.
TEST_F(RunningApplication, RefusesWindowsBeyondTheLimitWithOneAlertAndWithoutWaiting) {
    start(std::vector<std::string>(BrowserWindowManager::windowLimit, server_.url("/one")));
    ASSERT_TRUE(runUntil([&] { return floatingWindows().size() == 5; }));
    // The person works in one of them (they lie in the middle of the
    // screen); the alert comes over it.
    click({720, 450});
    ASSERT_TRUE(runUntil([&] {
        const auto active = other_.activeWindow();
        return std::ranges::any_of(windows(), [&](const ClientWindow& window) {
            return active == window.id && window.title == "Page one";
        });
    }));
    VelumoProcess sixth(home_, {server_.url("/two")});
    EXPECT_EQ(sixth.waitForExit(), 1);
    EXPECT_THAT(sixth.output(), ::testing::HasSubstr("最多同时打开 5 个浮窗"));
    EXPECT_TRUE(runUntil([&] { return !windows().empty() && windows().back().dialog; }));

    EXPECT_EQ(startAgain(std::vector<std::string>(9, server_.url("/two"))), 1);
    std::vector<std::string> launch{"launch", "com.orvantis.velumo"};
    launch.insert(launch.end(), 40, server_.url("/three"));
    gapplication(launch);
    const auto alerts = [&] { return std::ranges::count_if(windows(), &ClientWindow::dialog); };
    ASSERT_TRUE(runUntil([&] { return alerts() == 1; }));
    runFor(std::chrono::milliseconds(500));
    EXPECT_EQ(alerts(), 1);
    EXPECT_EQ(floatingWindows().size(), 5U);

    app_->signal(SIGTERM);
    expectCleanExit();
}

// The person works in a floating window and asks for the settings from the
// status menu or an action: they come above every floating window.
TEST_F(RunningApplication, TheSettingsComeAboveTheFloatingWindowThePersonWorksIn) {
    start({server_.url("/one")});
    ASSERT_TRUE(runUntil([&] { return find("Page one") != 0; }));
    click({720, 450});
    activateAction("settings");
    EXPECT_TRUE(runUntil([&] {
        const auto stacked = windows();
        return !stacked.empty() && stacked.back().title == "设置";
    }));
    app_->signal(SIGTERM);
    expectCleanExit();
}

TEST_F(RunningApplication, HotKeysHideRestoreAndStepThroughTheFloatingWindows) {
    start({server_.url("/one"), server_.url("/two"), server_.url("/three")});
    ASSERT_TRUE(waitForFloatingWindows({"Page one", "Page two", "Page three"}));
    const std::uint64_t three = find("Page three");
    other_.requestMove(find("Page one"), {0, 0});
    other_.requestMove(three, {600, 300});
    ASSERT_TRUE(runUntil([&] { return other_.frame(three).x == 600; }));
    const Rect threeFrame = other_.frame(three);

    // The boss key hides the current window only, and brings it back where it
    // was, even when the desktop focused another window meanwhile.
    tapKeys({XK_Super_L, XK_Alt_L, XK_b});
    EXPECT_TRUE(waitForFloatingWindows({"Page one", "Page two"}));
    other_.requestActivate(find("Page two"));
    ASSERT_TRUE(isActive("Page two"));
    workInAnotherApplication();
    tapKeys({XK_Super_L, XK_Alt_L, XK_b});
    EXPECT_TRUE(broughtForward("Page three"));
    EXPECT_EQ(floatingWindows().size(), 3U);
    EXPECT_EQ(find("Page three"), three);
    EXPECT_EQ(other_.frame(three), threeFrame);

    // Stepping wraps around the list, hiding the window it leaves; the window
    // it reaches comes to the front.
    workInAnotherApplication();
    tapKeys({XK_Super_L, XK_Alt_L, XK_bracketright});
    EXPECT_TRUE(broughtForward("Page one"));
    EXPECT_EQ(floatingWindows(), (Titles{"Page two", "Page one"}));
    workInAnotherApplication();
    tapKeys({XK_Super_L, XK_Alt_L, XK_bracketright});
    EXPECT_TRUE(broughtForward("Page two"));
    EXPECT_EQ(floatingWindows(), Titles{"Page two"});
    workInAnotherApplication();
    tapKeys({XK_Super_L, XK_Alt_L, XK_bracketleft});
    EXPECT_TRUE(broughtForward("Page one"));
    EXPECT_EQ(floatingWindows(), Titles{"Page one"});

    // The floating window's own Ctrl+N opens one window, not two.
    tapKeys({XK_Control_L, XK_n});
    EXPECT_TRUE(runUntil([&] { return floatingWindows().size() == 2; }));
    runFor(std::chrono::milliseconds(300));
    EXPECT_EQ(floatingWindows().size(), 2U);

    // Ctrl+Q ends the run with the windows open.
    tapKeys({XK_Control_L, XK_q});
    expectCleanExit();
}

TEST_F(RunningApplication, StartsWithAnAlertWhenTheStoredHotKeysCannotBeRegistered) {
    storeSettings([](AppSettings& settings) { settings.shortcut = "B"; });
    start();
    EXPECT_TRUE(showsDialog());
    activateAction("quit");
    expectCleanExit();

    OtherXClient holder;
    ASSERT_TRUE(holder.grab(XK_bracketright, {XK_Super_L, XK_Alt_L}));
    storeSettings([](AppSettings& settings) { settings.shortcut = "Command+Option+B"; });
    start();
    EXPECT_TRUE(showsDialog());
    activateAction("quit");
    expectCleanExit();
}

TEST_F(RunningApplication, EveryStatusMenuCommandIsAnActionOnTheSessionBus) {
    start({server_.url("/one"), server_.url("/two")});
    ASSERT_TRUE(waitForFloatingWindows({"Page one", "Page two"}));
    EXPECT_EQ(actionNames(),
              (std::set<std::string>{"ghost-off", "hide-all", "new-window", "next-window",
                                     "previous-window", "quit", "settings", "show-all",
                                     "show-workbench", "toggle-boss"}));
    other_.requestClose(workbench());
    ASSERT_TRUE(runUntil([&] { return workbench() == 0; }));

    struct Case {
        const char* action;
        std::function<bool()> done;
    };
    const auto showing = [this](const Titles& titles) {
        return [this, titles] { return floatingWindows() == titles; };
    };
    const std::vector<Case> cases = {
        {"hide-all", showing({})},
        {"show-all", showing({"Page one", "Page two"})},
        {"toggle-boss", showing({"Page one"})},
        {"toggle-boss", showing({"Page one", "Page two"})},
        {"next-window", showing({"Page one"})},
        {"previous-window", showing({"Page two"})},
        {"new-window", [this] { return floatingWindows().size() == 2; }},
        {"show-workbench", [this] { return workbench() != 0; }},
        {"settings", [this] { return find("设置") != 0; }},
    };
    for (const auto& [action, done] : cases) {
        gapplication({"action", "com.orvantis.velumo", action});
        EXPECT_TRUE(runUntil(done)) << action;
    }
    gapplication({"action", "com.orvantis.velumo", "quit"});
    expectCleanExit();
}

TEST_F(RunningApplication, AScreenReaderFindsANameForEveryControlOnScreen) {
    AccessibilityBus accessibility;
    ASSERT_FALSE(accessibility.address().empty()) << "at-spi2-core is installed by install-deps";
    start({server_.url("/one")},
          {{"NO_AT_BRIDGE", std::nullopt}, {"AT_SPI_BUS_ADDRESS", accessibility.address()}});
    ASSERT_TRUE(waitForFloatingWindows({"Page one"}));
    activateAction("settings");
    ASSERT_TRUE(runUntil([&] { return find("设置") != 0; }));

    // The workbench's, the floating window's and the settings window's controls.
    std::vector<AccessibleControl> controls;
    const auto named = [&](const std::string& name) {
        return std::ranges::any_of(controls, [&](const auto& c) { return c.name == name; });
    };
    EXPECT_TRUE(runUntil([&] {
        controls = accessibility.controlsOnScreen(app_->pid());
        return named("打开") && named("更多") && named("跟随系统");
    })) << controls.size()
        << " controls";
    std::vector<std::string> unnamed;
    for (const auto& [role, name] : controls) {
        if (name.empty()) {
            unnamed.push_back(role);
        }
    }
    EXPECT_EQ(unnamed, std::vector<std::string>{}) << "of " << controls.size() << " controls";
    activateAction("quit");
    expectCleanExit();
}

// A person made Velumo the default browser. The website link, as every "open
// in the default browser", goes to the next browser the desktop knows rather
// than back to Velumo; with none, an alert says so.
TEST_F(RunningApplication, OpensTheDefaultBrowsersAddressesElsewhereWhenItIsTheDefault) {
    AccessibilityBus accessibility;
    ASSERT_FALSE(accessibility.address().empty()) << "at-spi2-core is installed by install-deps";
    // The desktop's entries are the test's own: the system's share folder
    // without its applications.
    const auto system = home_ / "system";
    std::filesystem::create_directories(system);
    for (const auto& shared : std::filesystem::directory_iterator("/usr/share")) {
        if (shared.path().filename() != "applications") {
            std::filesystem::create_directory_symlink(shared.path(),
                                                      system / shared.path().filename());
        }
    }
    const auto applications = home_ / "data" / "applications";
    std::filesystem::create_directories(applications);
    std::filesystem::create_directories(home_ / "config");
    // Each entry writes down who got which address.
    const auto recorder = home_ / "record";
    const auto opened = home_ / "opened";
    std::ofstream(recorder) << "#!/bin/sh\necho \"$1 $2\" >> " << opened << "\n";
    std::filesystem::permissions(recorder, std::filesystem::perms::owner_all);
    for (const std::string name : {"com.orvantis.velumo", "browser"}) {
        std::ofstream(applications / (name + ".desktop"))
            << "[Desktop Entry]\nType=Application\nName=" << name << "\nExec=" << recorder.string()
            << " " << name << " %u\nMimeType=x-scheme-handler/http;x-scheme-handler/https;\n";
    }
    // As update-desktop-database indexes them.
    std::ofstream(applications / "mimeinfo.cache")
        << "[MIME Cache]\nx-scheme-handler/https=com.orvantis.velumo.desktop;browser.desktop;\n";
    std::ofstream(home_ / "config" / "mimeapps.list")
        << "[Default Applications]\nx-scheme-handler/https=com.orvantis.velumo.desktop\n";
    const auto record = [&] {
        std::ostringstream text;
        text << std::ifstream(opened).rdbuf();
        return text.str();
    };
    const std::string website(WorkbenchRules::websiteAddress);
    const VelumoProcess::Environment desktop{{"NO_AT_BRIDGE", std::nullopt},
                                             {"AT_SPI_BUS_ADDRESS", accessibility.address()},
                                             {"XDG_DATA_DIRS", system.string()}};
    start({}, desktop);
    ASSERT_TRUE(runUntil([&] { return accessibility.press(app_->pid(), "官网"); }));
    EXPECT_TRUE(runUntil([&] { return record() == "browser " + website + "\n"; })) << record();
    activateAction("quit");
    expectCleanExit();

    std::filesystem::remove(applications / "browser.desktop");
    start({}, desktop);
    ASSERT_TRUE(runUntil([&] { return accessibility.press(app_->pid(), "官网"); }));
    EXPECT_TRUE(showsDialog());
    EXPECT_EQ(record(), "browser " + website + "\n");
    app_->signal(SIGINT);
    expectCleanExit();
}

TEST_F(RunningApplication, OnWaylandTheDesktopPortalBindsTheHotKeys) {
    const VelumoProcess::Environment wayland{{"XDG_SESSION_TYPE", "wayland"}};
    TestShortcutsPortal portal;
    start({server_.url("/one")}, wayland);
    ASSERT_TRUE(waitForFloatingWindows({"Page one"}));
    EXPECT_TRUE(runUntil([&] { return portal.bound().size() == 3; }));
    EXPECT_EQ(portal.bound().at("toggle-boss").trigger, "LOGO+ALT+b");
    portal.activate("toggle-boss");
    EXPECT_TRUE(waitForFloatingWindows({}));
    portal.activate("toggle-boss");
    EXPECT_TRUE(waitForFloatingWindows({"Page one"}));
    activateAction("quit");
    expectCleanExit();

    // A key the desktop has not given yet is no refusal: no alert.
    portal.refuseTrigger("LOGO+ALT+bracketright");
    start({}, wayland);
    EXPECT_TRUE(runUntil([&] { return portal.bound().size() == 2; }));
    runFor(std::chrono::milliseconds(500));
    EXPECT_FALSE(showsDialogNow());
    activateAction("quit");
    expectCleanExit();

    // A desktop that cannot make a session: key grabs stand in, without an
    // alert. The window of the first run comes back.
    portal.refuseSessions();
    start({server_.url("/two")}, wayland);
    ASSERT_TRUE(waitForFloatingWindows({"Page one", "Page two"}));
    tapKeys({XK_Super_L, XK_Alt_L, XK_b});
    EXPECT_TRUE(waitForFloatingWindows({"Page one"}));
    EXPECT_FALSE(showsDialogNow());
    activateAction("quit");
    expectCleanExit();
}

// A KDE Plasma desktop's own portal: its KDE backend binds the keys Velumo
// offers in kglobalaccel, which grabs them under X11, and files them under
// the same name every run.
TEST_F(RunningApplication, OnKdeTheRealPortalBindsTheOfferedKeysUnderOneNameEveryRun) {
    KdeShortcutsDesktop kde;
    ASSERT_TRUE(kde.running());
    const VelumoProcess::Environment wayland{{"XDG_SESSION_TYPE", "wayland"}};
    const std::vector<std::string> velumo{"/component/velumo_hot_keys"};
    // kglobalaccel lists the component from its first binding on, before
    // the keys are set and ever after; presses reach Velumo once it has
    // grabbed them.
    const auto grabbedKeys = [&] {
        return std::ranges::count_if(
            std::array{XK_b, XK_bracketleft, XK_bracketright}, [&](unsigned key) {
                return other_.grabbedElsewhere(key, {XK_Super_L, XK_Alt_L});
            });
    };
    for (const int run : {1, 2}) {
        // The second run finds the first one's windows again.
        start(run == 1 ? std::vector{server_.url("/one"), server_.url("/two")}
                       : std::vector<std::string>{},
              wayland);
        ASSERT_TRUE(waitForFloatingWindows({"Page one", "Page two"})) << run;
        ASSERT_TRUE(runUntil([&] { return kde.components() == velumo; })) << run;
        ASSERT_TRUE(runUntil([&] { return grabbedKeys() == 3; })) << run;
        tapKeys({XK_Super_L, XK_Alt_L, XK_b});
        EXPECT_TRUE(waitForFloatingWindows({"Page one"})) << run;
        tapKeys({XK_Super_L, XK_Alt_L, XK_b});
        EXPECT_TRUE(waitForFloatingWindows({"Page one", "Page two"})) << run;
        tapKeys({XK_Super_L, XK_Alt_L, XK_bracketleft});
        EXPECT_TRUE(waitForFloatingWindows({"Page one"})) << run;
        tapKeys({XK_Super_L, XK_Alt_L, XK_bracketright});
        EXPECT_TRUE(waitForFloatingWindows({"Page two"})) << run;
        activateAction("show-all");
        EXPECT_TRUE(waitForFloatingWindows({"Page one", "Page two"})) << run;
        activateAction("quit");
        expectCleanExit();
        // The session's end gives the keys back to the desktop.
        EXPECT_TRUE(runUntil([&] { return grabbedKeys() == 0; })) << run;
    }
}

// Names itself after its identity and the width its page is laid out in,
// which a zoom divides.
constexpr const char* measuredPage = R"(<script>
    const name = () => document.title =
        (navigator.userAgent.includes('iPhone') ? 'mobile ' : 'desktop ') + innerWidth;
    name();
    addEventListener('resize', name);
    </script>)";

TEST_F(RunningApplication, TheWindowsOpenAtTheEndComeBackWhereAndAsTheyWere) {
    server_.page("/measured", measuredPage);
    StateStore(stateFile()).change([&](SavedState& saved) {
        saved.windows = {
            {.url = server_.url("/measured"),
             .frame = {100, 80, 600, 400},
             .opacity = 0.5,
             .zoom = 2.0,
             .identity = BrowserIdentityMode::mobile,
             .alwaysOnTop = false},
            {.url = server_.url("/two"), .frame = {700, 300, 500, 350}, .hidden = true},
            {.url = server_.url("/one"), .frame = {300, 200, 640, 480}, .ghost = true}};
    });
    start();
    ASSERT_TRUE(waitForFloatingWindows({"mobile 300", "Page one"}));
    const std::uint64_t measured = find("mobile 300");
    EXPECT_EQ(other_.frame(measured), (Rect{100, 80, 600, 400}));
    EXPECT_NEAR(other_.opacity(measured), 0.5, 0.01);
    EXPECT_FALSE(other_.above(measured));
    EXPECT_TRUE(other_.above(find("Page one")));

    // The person moves a window and shows the hidden one, whose page loads
    // only now; SIGTERM ends the run.
    other_.requestMove(measured, {200, 150});
    ASSERT_TRUE(runUntil([&] { return other_.frame(measured).x == 200; }));
    // Counting web processes would not tell: the shown window may take the
    // view kept ready for the next one.
    EXPECT_EQ(server_.requestCount("/two"), 0U);
    activateAction("show-all");
    ASSERT_TRUE(waitForFloatingWindows({"mobile 300", "Page two", "Page one"}));
    EXPECT_EQ(server_.requestCount("/two"), 1U);
    app_->signal(SIGTERM);
    expectCleanExit();
    const auto kept = SavedState::decode(DurableFile::read(stateFile(), 1 << 20).value_or(""));
    ASSERT_TRUE(kept && kept->windows.size() == 3);
    EXPECT_TRUE(kept->windows[2].ghost) << "a ghost comes back a ghost";

    start();
    ASSERT_TRUE(waitForFloatingWindows({"mobile 300", "Page two", "Page one"}));
    EXPECT_EQ(other_.frame(find("mobile 300")), (Rect{200, 150, 600, 400}));
    EXPECT_NEAR(other_.opacity(find("mobile 300")), 0.5, 0.01);

    // A crash loses no more than the last moment: a move the state file has
    // taken in comes back.
    other_.requestMove(find("Page two"), {20, 40});
    ASSERT_TRUE(runUntil([&] {
        const auto saved = SavedState::decode(DurableFile::read(stateFile(), 1 << 20).value_or(""));
        return saved && saved->windows.size() == 3 && saved->windows[1].frame.x == 20;
    })) << DurableFile::read(stateFile(), 1 << 20).value_or("")
        << other_.frame(find("Page two")).x;
    app_->signal(SIGKILL);
    EXPECT_EQ(app_->waitForExit(), std::nullopt);
    start();
    ASSERT_TRUE(waitForFloatingWindows({"mobile 300", "Page two", "Page one"}));
    EXPECT_EQ(other_.frame(find("Page two")), (Rect{20, 40, 500, 350}));
    app_->signal(SIGTERM);
    expectCleanExit();
}

}  // namespace
}  // namespace velumo::uitest
