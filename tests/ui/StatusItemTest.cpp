// The status item on the tests' private session bus, read and clicked the way
// a desktop panel does: its icon and title in every case, its own icons, its
// menu and where each entry leads.
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

#include <X11/keysym.h>
#include <gtkmm/checkmenuitem.h>
#include <gtkmm/icontheme.h>

#include "../core/FakeApplication.h"
#include "../core/TemporaryFolder.h"
#include "FloatingWindowFixture.h"
#include "StatusNotifierWatcher.h"
#include "data/AddressResolver.h"
#include "design/SymbolIcons.h"
#include "shell/MenuBarController.h"

namespace velumo::uitest {
namespace {

using Entries = std::vector<StatusNotifierWatcher::MenuEntry>;
using Labels = std::vector<std::string>;

Labels labels(const Entries& entries) {
    Labels result;
    for (const auto& entry : entries) {
        result.push_back(entry.label);
    }
    return result;
}

Labels concat(Labels head, const Labels& tail) {
    head.insert(head.end(), tail.begin(), tail.end());
    return head;
}

// Every menu after its window entries.
const Labels commandEntries = {"-", "显示全部窗口", "隐藏全部窗口", "关闭全部窗口", "-", "设置…",
                               "-", "退出Velumo"};

// The controller of a window set, the panel its item registered with, and the
// shell's commands counted. The panel holds its name before the item starts
// looking for one, as on a desktop.
struct StatusItem {
    StatusItem(BrowserWindowManager& manager, AppDataStore& store)
        : controller(manager, store,
                     {.showWorkbench = [this] { ++workbenchShown; },
                      .showSettings = [this] { ++settingsShown; },
                      .quit = [this] { ++quitRequested; }}) {
        manager.setApplicationPort(&alerts);
    }

    std::string property(const std::string& name) { return panel.itemProperty(name); }

    // Clicks the entry labelled `label` in the panel and lets its command run.
    void choose(const std::string& label) {
        for (const auto& entry : panel.menu()) {
            if (entry.label == label) {
                panel.click(entry.id);
                drainMainLoop();
                return;
            }
        }
        ADD_FAILURE() << label << " is not in the menu";
    }

    StatusNotifierWatcher panel;
    FakeWindow::Log alertLog;
    FakeApplication alerts{alertLog};
    int workbenchShown = 0;
    int settingsShown = 0;
    int quitRequested = 0;
    MenuBarController controller;
};

// Windows that stand in for floating ones, titled with the address they are
// opened with.
class StatusItemTest : public UiTest {
  protected:
    StatusItemTest() {
        manager_.setWindowFactory(
            [this](BrowserWindowManager& manager, const std::string& url, BrowserWindowMode) {
                return std::make_shared<FakeWindow>(url, url, log_, manager);
            });
    }
    void SetUp() override { ASSERT_TRUE(item_.panel.waitForItem()); }

    FakeWindow& open(const std::string& title, bool visible) {
        manager_.createWindow(title, BrowserWindowMode::window);
        auto& window = static_cast<FakeWindow&>(*manager_.windows().back());
        window.visible = visible;
        window.announceChange();
        return window;
    }
    void closeAll() {
        for (const auto windows = manager_.windows(); const auto& window : windows) {
            window->closePermanently();
        }
    }
    void setStyle(MenuBarIconStyle style) {
        AppSettings settings = store_.snapshot().settings;
        settings.menuBarIconStyle = style;
        ASSERT_TRUE(store_.updateSettings(settings).has_value());
    }

    TemporaryFolder folder_;
    AppDataStore store_{folder_.path() / "app-data.json"};
    BrowserWindowManager manager_{store_};
    FakeWindow::Log log_;
    StatusItem item_{manager_, store_};
};

TEST_F(StatusItemTest, IconAndTitleFollowTheWindowsAndTheStyle) {
    using enum MenuBarIconStyle;
    struct Case {
        MenuBarIconStyle style;
        std::vector<bool> visible;
        std::string icon;
        std::string title;
    };
    const std::string allHidden = "Velumo · 0/3 个窗口正在显示";
    const std::vector<Case> cases = {
        {eye, {}, "velumo-eye-symbolic", "Velumo · 暂无浮窗"},
        {eye, {false, true}, "velumo-eye-filled-symbolic", "Velumo · 1/2 个窗口正在显示"},
        {eye, {false, false, false}, "velumo-eye-slash-symbolic", allHidden},
        {window, {false, false, false}, "velumo-eye-slash-symbolic", allHidden},
        {pin, {false, false, false}, "velumo-eye-slash-symbolic", allHidden},
        {window, {true}, "velumo-window-symbolic", "Velumo · 1/1 个窗口正在显示"},
        {pin, {}, "velumo-pin-symbolic", "Velumo · 暂无浮窗"},
    };
    const std::filesystem::path theme = item_.property("IconThemePath");
    for (const auto& [style, visible, icon, title] : cases) {
        SCOPED_TRACE(icon + ", " + title);
        closeAll();
        setStyle(style);
        for (const bool shown : visible) {
            open("页面", shown);
        }
        EXPECT_EQ(item_.property("IconName"), icon);
        EXPECT_EQ(item_.property("Title"), title);
        EXPECT_EQ(item_.property("Status"), "Active");
        // A panel finds the icon in the theme folder the item names.
        EXPECT_TRUE(std::filesystem::exists(theme / "hicolor/scalable/status" / (icon + ".svg")));
    }
}

TEST_F(StatusItemTest, TheHiddenStyleRemovesTheItemUntilAnotherStyleIsSaved) {
    open("页面", true);
    setStyle(MenuBarIconStyle::hidden);
    EXPECT_EQ(item_.property("Status"), "Passive");
    open("另一页", true);
    EXPECT_EQ(item_.property("Status"), "Passive");

    setStyle(MenuBarIconStyle::pin);
    EXPECT_EQ(item_.property("Status"), "Active");
    EXPECT_EQ(item_.property("IconName"), "velumo-pin-symbolic");
    EXPECT_EQ(item_.property("Title"), "Velumo · 2/2 个窗口正在显示");
}

TEST_F(StatusItemTest, ItsOwnIconsAreDistinctAndTakeThePanelsColour) {
    auto theme = Gtk::IconTheme::create();
    const std::filesystem::path folder = item_.property("IconThemePath");
    theme->append_search_path(folder.string());
    std::set<std::string> files;
    std::set<std::string> images;
    for (const char* symbol :
         {"eye.circle", "eye.circle.fill", "eye.slash.circle.fill", "macwindow", "pin.circle"}) {
        const std::string name(SymbolIcons::iconName(symbol));
        SCOPED_TRACE(name);
        const auto file = folder / "hicolor/scalable/status" / (name + ".svg");
        std::ostringstream contents;
        contents << std::ifstream(file).rdbuf();
        files.insert(contents.str());

        const auto info = theme->lookup_icon(name, 32, Gtk::ICON_LOOKUP_FORCE_SIZE);
        ASSERT_TRUE(info);
        EXPECT_EQ(info.get_filename(), file.string());
        bool symbolic = false;
        const Gdk::RGBA red("#ff0000");
        const auto image = info.load_symbolic(red, red, red, red, symbolic);
        ASSERT_TRUE(image && symbolic);
        // Every shape takes the colour asked for: one the recolouring misses
        // would stay grey on a dark or a light panel alike.
        const guint8* pixels = image->get_pixels();
        int painted = 0;
        for (int y = 0; y < image->get_height(); ++y) {
            for (int x = 0; x < image->get_width(); ++x) {
                const guint8* pixel = pixels + y * image->get_rowstride() + x * 4;
                if (pixel[3] > 128) {
                    ++painted;
                    EXPECT_TRUE(pixel[0] > 200 && pixel[1] < 60 && pixel[2] < 60) << x << "," << y;
                }
            }
        }
        EXPECT_GT(painted, 60);
        images.emplace(reinterpret_cast<const char*>(pixels),
                       image->get_rowstride() * image->get_height());
    }
    EXPECT_EQ(files.size(), 5U);
    EXPECT_EQ(images.size(), 5U);
}

TEST_F(StatusItemTest, TheMenuListsTheCommandsAndTheWindowsWithTheirChecks) {
    Entries entries = item_.panel.menu();
    EXPECT_EQ(labels(entries), concat({"打开工作台", "新建浮窗", "-", "暂无浮窗"}, commandEntries));
    std::map<std::string, std::string> shortcuts;
    for (const auto& entry : entries) {
        EXPECT_EQ(entry.enabled, entry.label != "暂无浮窗") << entry.label;
        if (!entry.shortcut.empty()) {
            shortcuts[entry.label] = entry.shortcut;
        }
    }
    EXPECT_EQ(shortcuts, (std::map<std::string, std::string>{{"新建浮窗", "Control+n"},
                                                             {"设置…", "Control+comma"},
                                                             {"退出Velumo", "Control+q"}}));

    // With its prefix, a title of 31 characters makes an entry of 36, listed
    // whole; one of 32 makes 37, cut to 33 and "…".
    open(std::string(31, 'x'), true);
    open(std::string(32, 'x'), false);
    entries = item_.panel.menu();
    EXPECT_EQ(labels(entries),
              concat({"打开工作台", "新建浮窗", "-", "[窗口] " + std::string(31, 'x'),
                      "[窗口] " + std::string(28, 'x') + "…"},
                     commandEntries));
    EXPECT_EQ(entries.at(3).toggleState, 1);
    EXPECT_EQ(entries.at(4).toggleState, 0);
}

TEST_F(StatusItemTest, CommandsReachTheShellAndTheWindowSet) {
    for (const auto& [label, count] :
         std::vector<std::pair<std::string, const int*>>{{"打开工作台", &item_.workbenchShown},
                                                         {"设置…", &item_.settingsShown},
                                                         {"退出Velumo", &item_.quitRequested}}) {
        item_.choose(label);
        EXPECT_EQ(*count, 1) << label;
    }

    item_.choose("新建浮窗");
    ASSERT_EQ(manager_.windows().size(), 1U);
    EXPECT_EQ(manager_.windows().front()->currentURL(), homeURL(SearchEngine::bing));
    auto& hidden = open("页面", false);
    item_.choose("显示全部窗口");
    EXPECT_TRUE(hidden.visible);
    hidden.ghost = true;
    hidden.announceChange();
    ASSERT_TRUE(runUntil([&] {
        return std::ranges::count(labels(item_.panel.menu()), std::string("退出穿透模式")) == 1;
    }));
    item_.choose("退出穿透模式");
    EXPECT_FALSE(hidden.ghost);
    EXPECT_EQ(item_.workbenchShown + item_.settingsShown + item_.quitRequested, 3);
}

TEST_F(StatusItemTest, CloseAllAsksFirstAndCancellingClosesNothing) {
    item_.choose("关闭全部窗口");
    EXPECT_TRUE(item_.alertLog.empty());

    open("一", true);
    open("二", false);
    item_.alerts.answer = 1;
    item_.choose("关闭全部窗口");
    EXPECT_EQ(item_.alertLog,
              Labels{"alert:关闭全部浮窗？|所有正在播放的页面都会停止。|关闭全部|取消"});
    EXPECT_EQ(manager_.windows().size(), 2U);

    item_.alerts.answer = 0;
    item_.choose("关闭全部窗口");
    EXPECT_TRUE(manager_.windows().empty());
    EXPECT_EQ(labels(item_.panel.menu()).at(3), "暂无浮窗");
}

class StatusItemRegistration : public UiTest {
  protected:
    TemporaryFolder folder_;
    AppDataStore store_{folder_.path() / "app-data.json"};
    BrowserWindowManager manager_{store_};
};

// The library can lose a race for its own bus connection against the panel's
// name and then never register: a panel that does not take the item within a
// moment gets it anew, icon and menu included.
TEST_F(StatusItemRegistration, AnItemThePanelDidNotTakeIsMadeAgain) {
    StatusNotifierWatcher panel{StatusNotifierWatcher::FirstRegistration::leftUnanswered};
    MenuBarController controller{manager_, store_, {}};
    ASSERT_TRUE(panel.waitForItem());
    EXPECT_EQ(panel.itemProperty("Status"), "Active");
    EXPECT_EQ(labels(panel.menu()).back(), "退出Velumo");
}

// Where no panel hosts items, the library shows an icon in the desktop's
// system tray: a real one here (trayer, at the top right of the screen).
class StatusItemInATray : public StatusItemRegistration {
  protected:
    StatusItemInATray() {
        manager_.setWindowFactory(
            [this](BrowserWindowManager& manager, const std::string& title, BrowserWindowMode) {
                return std::make_shared<FakeWindow>(title, "https://example.com/", log_, manager);
            });
    }
    ~StatusItemInATray() override {
        if (tray_ != nullptr) {
            g_subprocess_force_exit(tray_);
            g_subprocess_wait(tray_, nullptr, nullptr);
            g_object_unref(tray_);
        }
    }

    bool startTray() {
        tray_ = g_subprocess_new(G_SUBPROCESS_FLAGS_STDOUT_SILENCE, nullptr, "trayer", "--edge",
                                 "top", "--align", "right", "--widthtype", "request", "--height",
                                 "24", "--SetDockType", "true", nullptr);
        return tray_ != nullptr;
    }

    // The icon's own window, once the tray took it in.
    Gtk::Window* trayIcon() {
        for (auto* window : Gtk::Window::list_toplevels()) {
            // A GtkPlug, whose "embedded" property says it is in the tray.
            gboolean embedded = FALSE;
            if (g_object_class_find_property(G_OBJECT_GET_CLASS(window->gobj()), "embedded")) {
                g_object_get(window->gobj(), "embedded", &embedded, nullptr);
            }
            if (window->get_title().raw().starts_with("Velumo · ") && window->get_mapped() &&
                embedded != FALSE) {
                return window;
            }
        }
        return nullptr;
    }
    // Clicks the icon; the menu's frame on the screen once it shows. A click
    // while the tray still places the icon is lost, so it clicks again.
    std::optional<Rect> popUp(Gtk::Menu& menu) {
        Gtk::Widget& shown = *menu.get_toplevel();
        auto clickedAt = std::chrono::steady_clock::time_point();
        if (!runUntil([&] {
                Gtk::Window* icon = trayIcon();
                if (icon != nullptr && !shown.get_mapped() &&
                    std::chrono::steady_clock::now() - clickedAt > std::chrono::seconds(2)) {
                    clickOn(*icon);
                    clickedAt = std::chrono::steady_clock::now();
                }
                return shown.get_mapped();
            })) {
            return std::nullopt;
        }
        drainMainLoop();
        const Rect frame = rootFrame(menu);
        tapKey(XK_Escape);
        runUntil([&] { return !shown.get_mapped(); });
        return frame;
    }

    FakeWindow::Log log_;
    GSubprocess* tray_ = nullptr;
};

TEST_F(StatusItemInATray, AMenuThatGrewSinceItLastShowedOpensWithinTheScreen) {
    // While the tray takes in the icon's window, which GTK first maps as a
    // window of its own, GTK may thaw that window's updates once more than
    // it froze them, depending on how the window manager and the tray pass
    // the window between them. Nothing of it shows.
    const ToleratedComplaint doubleMap(
        "gdk_window_thaw_toplevel_updates: assertion "
        "'window->update_and_descendants_freeze_count > 0' failed");
    MenuBarController controller{manager_, store_, {}};
    ASSERT_TRUE(startTray()) << "trayer is installed by scripts/install-deps";
    ASSERT_TRUE(runUntil([&] { return trayIcon() != nullptr; }));
    const double screenWidth = Gdk::Screen::get_default()->get_width();
    ASSERT_TRUE(popUp(controller.menu()));

    // A window whose entry is far wider than the menu was.
    manager_.createWindow("一个标题很长很长很长很长很长很长的网页", BrowserWindowMode::window);
    const auto frame = popUp(controller.menu());
    ASSERT_TRUE(frame);
    EXPECT_GE(frame->x, 0);
    EXPECT_LE(frame->x + frame->width, screenWidth);
}

class StatusItemWithPages : public FloatingWindowTest {
  protected:
    void SetUp() override { ASSERT_TRUE(item_.panel.waitForItem()); }

    // The menu's own entry for a window, as the tray shows it.
    Gtk::CheckMenuItem* entry(const std::string& label) {
        for (Gtk::Widget* child : item_.controller.menu().get_children()) {
            auto* check = dynamic_cast<Gtk::CheckMenuItem*>(child);
            if (check != nullptr && check->get_label() == label) {
                return check;
            }
        }
        return nullptr;
    }

    StatusItem item_{manager_, store_};
};

TEST_F(StatusItemWithPages, HideAllAndTheWindowEntriesDriveRealWindows) {
    server_.page("/a", "<title>Alpha</title>a");
    server_.page("/b", "<title>Beta</title>b");
    const auto alpha = open(server_.url("/a"));
    const auto beta = open(server_.url("/b"));
    // The pages announce their last changes of the load meanwhile.
    runFor(std::chrono::milliseconds(300));
    std::vector<const void*> announced;
    const auto token = NotificationCenter::defaultCenter().addObserver(
        std::string(browserWindowsDidChange), nullptr,
        [&](const Notification& notification) { announced.push_back(notification.object); });

    item_.choose("隐藏全部窗口");
    const FloatingWindow* windows[] = {alpha.get(), beta.get()};
    EXPECT_EQ(announced, (std::vector<const void*>{windows[0], windows[1]}));
    EXPECT_FALSE(alpha->panel().get_visible() || beta->panel().get_visible());
    EXPECT_EQ(item_.property("IconName"), "velumo-eye-slash-symbolic");
    EXPECT_EQ(item_.property("Title"), "Velumo · 0/2 个窗口正在显示");
    Entries entries = item_.panel.menu();
    ASSERT_EQ(labels(entries).at(4), "[窗口] Beta");
    EXPECT_EQ(entries.at(3).toggleState, 0);
    EXPECT_EQ(entries.at(4).toggleState, 0);

    // Choosing an entry shows its window in front; the check follows the
    // window rather than flipping on its own.
    Gtk::CheckMenuItem* alphaEntry = entry("[窗口] Alpha");
    ASSERT_NE(alphaEntry, nullptr);
    alphaEntry->activate();
    EXPECT_FALSE(alphaEntry->get_active());
    EXPECT_TRUE(runUntil([&] { return alpha->panel().is_active(); }));
    item_.choose("[窗口] Beta");
    EXPECT_TRUE(runUntil([&] { return beta->panel().is_active(); }));
    entries = item_.panel.menu();
    EXPECT_EQ(entries.at(3).toggleState, 1);
    EXPECT_EQ(entries.at(4).toggleState, 1);
}

}  // namespace
}  // namespace velumo::uitest
