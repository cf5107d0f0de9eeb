// The settings window on a store in a temporary folder and a hot-key manager
// on a fake desktop: what the user sees after each way a save can end, and
// shortcuts captured from real key presses.
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

#include <X11/keysym.h>
#include <gmock/gmock.h>
#include <gtkmm/messagedialog.h>
#include <gtkmm/scrolledwindow.h>

#include "OtherXClient.h"
#include "SettingsServices.h"
#include "UiTestSupport.h"
#include "WidgetQueries.h"
#include "browser/FloatingPanel.h"
#include "browser/StateStore.h"
#include "design/NativeDesignSystem.h"
#include "design/NativeTheme.h"
#include "shell/SettingsWindowController.h"

namespace velumo::uitest {
namespace {

using Active = std::map<std::uint32_t, std::string>;
using Texts = std::vector<std::string>;
const Active defaultsActive{{1, "11-2304"}, {2, "33-2304"}, {3, "30-2304"}};
const Texts storedShortcuts{"Command+Option+B", "Command+Option+[", "Command+Option+]"};
// As the fields show them.
const Texts shownShortcuts{"Super+Alt+B", "Super+Alt+[", "Super+Alt+]"};

class SettingsWindowTest : public UiTest, protected SettingsServices {
  protected:
    void SetUp() override {
        ASSERT_TRUE(
            hotKeys.updateShortcuts(storedShortcuts[0], storedShortcuts[1], storedShortcuts[2]));
        service.calls.clear();
        controller.show();
        ASSERT_TRUE(runUntil([&] { return controller.window().is_active(); }));
    }
    void TearDown() override {
        controller.window().hide();
        applyNativeTheme("system");
        UiTest::TearDown();
    }

    Gtk::Window& window() { return controller.window(); }
    std::vector<HotKeyCaptureField*> fields() {
        std::vector<HotKeyCaptureField*> found;
        for (auto* widget : descendants(window())) {
            if (auto* field = dynamic_cast<HotKeyCaptureField*>(widget)) {
                found.push_back(field);
            }
        }
        return found;
    }
    Texts fieldTexts() {
        Texts texts;
        for (auto* field : fields()) {
            texts.emplace_back(field->get_text());
        }
        return texts;
    }
    void typeShortcuts(const Texts& texts) {
        for (std::size_t i = 0; i < texts.size(); ++i) {
            fields().at(i)->set_text(texts[i]);
        }
    }
    // Scrolls the window's content until `widget` is in view, then clicks it.
    // The scrolled window holds a press back a moment (it could start a
    // kinetic scroll), so callers wait for what the click does.
    void clickInView(Gtk::Widget& widget) {
        auto& scroller = firstOf<Gtk::ScrolledWindow>(window());
        int x = 0;
        int y = 0;
        widget.translate_coordinates(*scroller.get_child(), 0, 0, x, y);
        scroller.get_vadjustment()->set_value(std::max(0, y - 40));
        clickOn(widget);
    }
    void save() { clickInView(buttonNamed(window(), "保存设置")); }
    Gtk::CheckButton& checkBox(const std::string& title) {
        return firstOf<Gtk::CheckButton>(
            window(), [&](Gtk::CheckButton& box) { return box.get_label() == title; });
    }
    Gtk::CheckButton& keepRunning() { return checkBox("关闭最后一个窗口后继续运行"); }
    // The texts the window shows, in order.
    std::vector<std::string> shownTexts() {
        std::vector<std::string> texts;
        for (auto* widget : descendants(window())) {
            if (auto* label = dynamic_cast<Gtk::Label*>(widget); label && label->get_mapped()) {
                texts.emplace_back(label->get_text());
            }
        }
        return texts;
    }
    // The alert shown on the settings window, if any.
    Gtk::MessageDialog* alert() {
        for (auto* toplevel : Gtk::Window::list_toplevels()) {
            auto* dialog = dynamic_cast<Gtk::MessageDialog*>(toplevel);
            if (dialog != nullptr && dialog->get_visible() &&
                dialog->get_transient_for() == &window()) {
                return dialog;
            }
        }
        return nullptr;
    }
    std::string dismissAlert() {
        if (!runUntil([&] { return alert() != nullptr; })) {
            return "<no alert>";
        }
        auto* dialog = alert();
        EXPECT_TRUE(dialog->get_modal());
        std::string text = dialog->property_text().get_value();
        dialog->response(Gtk::RESPONSE_OK);
        return text;
    }

    StateStore state{temporary.path() / "state.json"};
    SettingsWindowController controller{store, hotKeys, autostart, &state};
};

TEST_F(SettingsWindowTest, RefusedShortcutsPutTheStoredTextsBackAndKeepTheWindowOpen) {
    struct Case {
        const char* name;
        Texts typed;
        std::string alert;
    };
    service.refusals["30-4608"] = HotKeyStatus::hotKeyExists;
    const std::vector<Case> cases = {
        {"typed by hand",
         {"Super+Alt+B", "Super+1", "Command+Option+]"},
         "快捷键格式无效，请按下带修饰键的组合键。"},
        {"duplicate",
         {"Command+Option+B", "Command+Option+[", "cmd+alt+["},
         "三个快捷键不能重复，请重新设置。"},
        {"taken",
         {"Control+Shift+B", "Control+Shift+[", "Control+Shift+]"},
         "该快捷键已被系统或其他应用占用，已保留原快捷键。"},
    };
    const auto before = fileContents();
    auto& engine = firstOf<Gtk::ComboBoxText>(window());
    for (const auto& [name, typed, expectedAlert] : cases) {
        engine.set_active(2);
        typeShortcuts(typed);
        save();
        EXPECT_EQ(dismissAlert(), expectedAlert) << name;
        EXPECT_EQ(fieldTexts(), shownShortcuts) << name;
        EXPECT_EQ(engine.get_active_row_number(), 2) << "the other choices stay";
        EXPECT_TRUE(window().get_visible()) << name;
        EXPECT_EQ(fileContents(), before) << name;
        EXPECT_EQ(service.active(), defaultsActive) << name;
    }
}

TEST_F(SettingsWindowTest, ShowsAboveFloatingWindowsAndItsAlertBlocksNoOtherWindow) {
    window().hide();
    FloatingPanel floating;
    floating.set_title("浮窗");
    floating.setAlwaysOnTop(true);
    floating.show();
    OtherXClient desktop;
    const auto topmost = [&](const std::string& title) {
        return runUntil([&] {
            const auto stacked = desktop.windowsOf(getpid());
            return !stacked.empty() && stacked.back().title == title;
        });
    };
    ASSERT_TRUE(topmost("浮窗"));
    controller.show();
    EXPECT_TRUE(topmost("设置"));

    // Another window of the application, beside the settings window.
    Gtk::Window other;
    Gtk::Button button("另一个窗口");
    int clicks = 0;
    button.signal_clicked().connect([&] { ++clicks; });
    other.add(button);
    button.show();
    other.set_default_size(200, 80);
    other.move(0, 0);
    ASSERT_TRUE(presentAndWait(other));
    typeShortcuts({"Command+1", storedShortcuts[1], storedShortcuts[2]});
    save();
    ASSERT_TRUE(runUntil([&] { return alert() != nullptr && alert()->get_mapped(); }));
    clickOn(button);
    EXPECT_TRUE(runUntil([&] { return clicks == 1; })) << "the alert blocked another window";
    dismissAlert();
}

TEST_F(SettingsWindowTest, AFailedStoreShowsItsTextAndRestoresTheHotKeys) {
    std::filesystem::remove_all(file.parent_path());
    std::ofstream(file.parent_path()) << "in the way";
    const Texts typed{"Control+Shift+B", "Control+Shift+[", "Control+Shift+]"};
    typeShortcuts(typed);
    save();
    const auto text = dismissAlert();
    EXPECT_NE(text.find(file.parent_path().string()), std::string::npos) << text;
    EXPECT_EQ(service.active(), defaultsActive);
    EXPECT_EQ(fieldTexts(), typed);
    EXPECT_TRUE(window().get_visible());
}

TEST_F(SettingsWindowTest, SavingStoresTheControlsHidesAndAppliesTheThemeShowReloads) {
    auto& slider = firstOf<Gtk::Scale>(window());
    dragTo(slider, 0.12);
    EXPECT_EQ(slider.get_value(), 0.1);
    EXPECT_THAT(labelTexts(window()), ::testing::Contains("10%"));
    auto& theme = firstOf<SegmentedControl>(window());
    clickInView(
        firstOf<Gtk::Label>(window(), [](Gtk::Label& l) { return l.get_text() == "深色"; }));
    ASSERT_TRUE(runUntil([&] { return theme.selectedSegment() == 2; }));
    clickInView(keepRunning());
    ASSERT_TRUE(runUntil([&] { return !keepRunning().get_active(); }));
    tapKey(XK_Return);

    ASSERT_TRUE(runUntil([&] { return !window().get_visible(); }));
    EXPECT_TRUE(service.calls.empty()) << "unchanged shortcuts are not applied again";
    const auto saved = AppDataStore(file).snapshot().settings;
    EXPECT_EQ(saved.defaultOpacity, 0.1);
    EXPECT_EQ(saved.themePreference, "dark");
    EXPECT_FALSE(saved.keepRunningAfterLastWindow);
    EXPECT_EQ(NativeTheme::shared().appearance(), Appearance::dark);

    // Unsaved edits are gone at the next show, which reads the store again.
    slider.set_value(0.5);
    auto changed = saved;
    changed.shortcut = "Control+Option+Z";
    ASSERT_TRUE(store.updateSettings(changed));
    controller.show();
    EXPECT_EQ(slider.get_value(), 0.1);
    EXPECT_EQ(fieldTexts().front(), "Ctrl+Alt+Z");
    EXPECT_FALSE(keepRunning().get_active());
}

TEST_F(SettingsWindowTest, CaptureFieldsTakePressedCombinationsAndTypePlainKeys) {
    struct Case {
        std::vector<unsigned> modifiers;
        std::string keyName;
        std::string shown;
        std::string stored;
    };
    const std::vector<Case> cases = {
        {{XK_Super_L, XK_Alt_L}, "AB05", "Super+Alt+B", "Option+Command+B"},
        {{XK_Shift_L, XK_Super_L, XK_Control_L, XK_Alt_L},
         "AB05",
         "Super+Ctrl+Alt+Shift+B",
         "Control+Option+Shift+Command+B"},
        {{XK_Control_L}, "AD11", "Ctrl+[", "Control+["},
    };
    auto& field = *fields().at(1);
    const auto focus = [&] {
        clickInView(field);
        return runUntil([&] { return field.has_focus(); });
    };
    // The key right of P is "[" under a German layout too, where it types ü.
    for (const char* layout : {"us", "de"}) {
        ASSERT_TRUE(setKeyboardLayout(layout));
        for (const auto& [modifiers, keyName, shown, stored] : cases) {
            ASSERT_TRUE(focus());
            tapKeysAt(modifiers, keyName);
            EXPECT_TRUE(runUntil([&] { return field.get_text() == shown; })) << field.get_text();
            EXPECT_EQ(field.shortcut(), stored);
            EXPECT_EQ(window().get_focus(), nullptr) << shown << " ends editing";
        }
    }
    ASSERT_TRUE(setKeyboardLayout("us"));

    // Shift alone would take a typed character from every program: refused
    // with the reason, the field keeps what it had.
    ASSERT_TRUE(focus());
    tapKeys({XK_Shift_L, XK_a});
    const std::string typing(GlobalHotKeyError::typingShortcut().description());
    EXPECT_TRUE(runUntil([&] { return std::ranges::count(shownTexts(), typing) == 1; }));
    EXPECT_EQ(field.get_text(), "Ctrl+[");
    tapKey(XK_Escape);
    EXPECT_TRUE(runUntil([&] { return window().get_focus() == nullptr; }));
    EXPECT_EQ(field.shortcut(), "Control+[");

    field.set_text("");
    ASSERT_TRUE(focus());
    tapKey(XK_x);
    tapKey(XK_1);
    EXPECT_TRUE(runUntil([&] { return field.get_text() == "x1"; })) << field.get_text();
    EXPECT_TRUE(window().get_visible()) << "a plain key is no shortcut";
}

TEST_F(SettingsWindowTest, IsAPlainWindowThatHidesOnClose) {
    EXPECT_EQ(window().get_title(), "设置");
    int width = 0;
    int height = 0;
    window().get_default_size(width, height);
    EXPECT_EQ(std::pair(width, height), std::pair(650, 620));
    window().get_size_request(width, height);
    EXPECT_EQ(std::pair(width, height), std::pair(580, 480));

    GdkEvent* close = gdk_event_new(GDK_DELETE);
    close->any.window = GDK_WINDOW(g_object_ref(window().get_window()->gobj()));
    gtk_main_do_event(close);
    gdk_event_free(close);
    EXPECT_FALSE(window().get_visible());
    controller.show();
    EXPECT_TRUE(window().get_visible());
}

TEST_F(SettingsWindowTest, SaysUnderTheShortcutsWhichKeysTheDesktopGaveAndHowToBindTheRest) {
    const std::string command = "gapplication action com.orvantis.velumo ";
    const auto shown = [this](const std::string& text) {
        return std::ranges::count(shownTexts(), text) == 1;
    };
    controller.setHotKeyBackend(HotKeyBackend::keyGrabs);
    EXPECT_FALSE(std::ranges::any_of(shownTexts(), [&](const std::string& text) {
        return text.starts_with(command) || text.starts_with("桌面");
    }));

    // The portal's answers, as they come.
    controller.setHotKeyBackend(HotKeyBackend::portal);
    EXPECT_TRUE(shown("正在等待桌面登记快捷键。"));
    service.observer({DesktopBindings::Answer::answered, {{1, "Meta+Alt+B"}}});
    EXPECT_TRUE(shown("桌面已登记：全局老板键 Meta+Alt+B。可在系统的键盘快捷键设置中查看或更改。"));
    EXPECT_FALSE(shown(command + "toggle-boss"));
    EXPECT_TRUE(shown(command + "previous-window"));
    EXPECT_TRUE(shown(command + "next-window"));
    service.observer({DesktopBindings::Answer::answered,
                      {{1, "Meta+Alt+B"}, {2, "Meta+Alt+["}, {3, "Meta+Alt+]"}}});
    EXPECT_FALSE(shown(command + "next-window"));

    // Without the portal on Wayland: the commands for every key, ready to copy.
    controller.setHotKeyBackend(HotKeyBackend::keyGrabsWhileFocused);
    EXPECT_TRUE(shown("在 Wayland 桌面上，快捷键仅在 Velumo 窗口处于前台时有效。"));
    EXPECT_TRUE(shown(command + "toggle-boss"));
    EXPECT_TRUE(firstOf<Gtk::Label>(window(), [&](Gtk::Label& label) {
                    return label.get_text() == command + "toggle-boss";
                }).get_selectable());
}

TEST_F(SettingsWindowTest, StartAtLoginAndRestoringWindowsAreKeptBySaving) {
    auto& startAtLogin = checkBox("登录时启动");
    auto& restoreWindows = checkBox("启动时恢复浮窗");
    EXPECT_FALSE(startAtLogin.get_active());
    EXPECT_TRUE(restoreWindows.get_active());
    clickInView(startAtLogin);
    ASSERT_TRUE(runUntil([&] { return startAtLogin.get_active(); }));
    clickInView(restoreWindows);
    ASSERT_TRUE(runUntil([&] { return !restoreWindows.get_active(); }));
    save();
    // Hidden, and no longer the focus: the next show's focus is a fresh one.
    ASSERT_TRUE(runUntil([&] { return !window().get_visible() && !window().is_active(); }));
    EXPECT_TRUE(autostart.enabled());
    EXPECT_FALSE(state.snapshot().restoreWindows);

    // The entry is the state: gone behind our back, the box is clear at the next show.
    std::filesystem::remove_all(autostart.path().parent_path());
    controller.show();
    ASSERT_TRUE(runUntil([&] { return window().is_active(); }));
    EXPECT_FALSE(startAtLogin.get_active());

    std::ofstream(autostart.path().parent_path()) << "in the way";
    startAtLogin.set_active(true);
    tapKey(XK_Return);
    EXPECT_TRUE(dismissAlert().starts_with("其他设置已保存，但未能更改“登录时启动”："));
    EXPECT_FALSE(startAtLogin.get_active());
    EXPECT_TRUE(window().get_visible());
}

}  // namespace
}  // namespace velumo::uitest
