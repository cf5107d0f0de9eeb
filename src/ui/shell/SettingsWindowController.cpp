#include "shell/SettingsWindowController.h"

#include <atkmm/object.h>
#include <filesystem>
#include <system_error>

#include <gdk/gdkkeysyms.h>
#include <glibmm/markup.h>
#include <gtkmm/adjustment.h>
#include <gtkmm/viewport.h>

#include "browser/ScreenLayout.h"
#include "browser/WindowGeometry.h"
#include "design/NativeAccentButton.h"
#include "design/NativeCardView.h"
#include "design/NativeDesignSystem.h"
#include "shell/HotKeyMessages.h"

namespace velumo {

namespace {

constexpr int windowWidth = 650;
constexpr int windowHeight = 620;
constexpr int minimumWidth = 580;
constexpr int minimumHeight = 480;
constexpr int cardInset = 18;
constexpr int rowTitleWidth = 150;
constexpr int captureFieldWidth = 245;
constexpr int commandTitleWidth = 80;
constexpr double opacityStep = 0.05;
constexpr int opacityTicks = 19;

// The program that runs now, as a login should start it again.
std::filesystem::path runningProgram() {
    std::error_code error;
    auto program = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::filesystem::path("velumo") : program;
}

Gtk::Widget* spacer() {
    auto* space = Gtk::make_managed<Gtk::Box>();
    space->set_hexpand(true);
    return space;
}

Gtk::Label* note(const std::string& text) {
    return nativeLabel(text, 11, Pango::WEIGHT_NORMAL, NativeTextColor::muted);
}

Gtk::Box* heading(const std::string& title, const std::string& subtitle) {
    return nativeVStack(
        {nativeLabel(title, 16, Pango::WEIGHT_BOLD, NativeTextColor::label), note(subtitle)}, 2);
}

}  // namespace

SettingsWindowController& SettingsWindowController::shared() {
    static auto* controller =  // NOLINT(cppcoreguidelines-owning-memory)
        new SettingsWindowController(
            AppDataStore::shared(), GlobalHotKeyManager::shared(),
            AutostartEntry(AutostartEntry::defaultPath(), runningProgram()), &StateStore::shared());
    return *controller;
}

SettingsWindowController::SettingsWindowController(AppDataStore& store,
                                                   GlobalHotKeyManager& hotKeys,
                                                   AutostartEntry autostart, StateStore* state)
    : store_(store),
      hotKeys_(hotKeys),
      autostart_(std::move(autostart)),
      state_(state),
      group_(Gtk::WindowGroup::create()),
      themeControl_({{"跟随系统", 88}, {"浅色", 70}, {"深色", 70}}, 30, "主题") {
    group_->add_window(window_);
    window_.set_title("设置");
    window_.set_default_size(windowWidth, windowHeight);
    window_.set_size_request(minimumWidth, minimumHeight);
    window_.add(makeContent());
    // A window group of its own for the window manager as well: openbox keeps
    // utility windows of a group (the floating windows) above every other
    // window of that group, this one included.
    window_.signal_realize().connect([this] {
        gdk_window_set_group(window_.get_window()->gobj(), window_.get_window()->gobj());
    });
    window_.signal_delete_event().connect([this](GdkEventAny*) {
        window_.hide();
        return true;
    });
    // Before the window's own handling, which would hand application
    // shortcuts their keys first.
    window_.signal_key_press_event().connect(
        [this](GdkEventKey* event) { return keyPressed(event); }, false);
    canvas_.show_all();
    hotKeysObserver_ = NotificationCenter::defaultCenter().addObserver(
        std::string(hotKeysDidChange), &hotKeys_,
        [this](const Notification&) { updateHotKeyNote(); });
}

Gtk::Widget& SettingsWindowController::makeContent() {
    auto* header =
        nativeVStack({nativeLabel("设置", 24, Pango::WEIGHT_BOLD, NativeTextColor::label),
                      nativeLabel("调整浏览、外观和老板键。更改只保存在本机。", 12,
                                  Pango::WEIGHT_NORMAL, NativeTextColor::muted)},
                     3);

    auto* buttons = Gtk::make_managed<Gtk::Box>(Gtk::ORIENTATION_HORIZONTAL, 10);
    auto* save = Gtk::make_managed<NativeAccentButton>("保存设置", [this] { saveSettings(); });
    save->set_size_request(112, -1);
    buttons->pack_start(*spacer(), Gtk::PACK_EXPAND_WIDGET);
    buttons->pack_start(*save, Gtk::PACK_SHRINK);

    auto* root = nativeVStack({header, appearanceCard(), behaviourCard(), buttons}, 16);
    root->set_margin_top(24);
    root->set_margin_start(26);
    root->set_margin_bottom(26);
    root->set_margin_end(26);

    scroller_.set_policy(Gtk::POLICY_NEVER, Gtk::POLICY_AUTOMATIC);
    scroller_.set_shadow_type(Gtk::SHADOW_NONE);
    scroller_.add(*root);
    dynamic_cast<Gtk::Viewport*>(scroller_.get_child())->set_shadow_type(Gtk::SHADOW_NONE);
    canvas_.pack_start(scroller_, Gtk::PACK_EXPAND_WIDGET);
    return canvas_;
}

Gtk::Widget* SettingsWindowController::appearanceCard() {
    for (const char* engine : {"Bing", "Google", "DuckDuckGo"}) {
        enginePopup_.append(engine);
    }
    for (const char* style : {"品牌眼睛", "极简窗口", "图钉", "隐藏"}) {
        iconPopup_.append(style);
    }

    auto adjustment = opacitySlider_.get_adjustment();
    adjustment->configure(1.0, 0.1, 1.0, opacityStep, opacityStep, 0);
    for (int tick = 0; tick < opacityTicks; ++tick) {
        opacitySlider_.add_mark(0.1 + (tick * opacityStep), Gtk::POS_BOTTOM, "");
    }
    opacitySlider_.set_draw_value(false);
    opacitySlider_.get_accessible()->set_name("默认透明度");
    opacitySlider_.set_size_request(205, -1);
    opacitySlider_.signal_change_value().connect(
        [this](Gtk::ScrollType, double value) { return opacityChanged(value); });
    opacityValue_.set_text("100%");
    opacityValue_.set_size_request(42, -1);
    opacityValue_.set_xalign(0);
    opacityValue_.get_style_context()->add_class("velumo-tabular-value");
    auto* opacity = Gtk::make_managed<Gtk::Box>(Gtk::ORIENTATION_HORIZONTAL, 10);
    opacity->pack_start(opacitySlider_, Gtk::PACK_SHRINK);
    opacity->pack_start(opacityValue_, Gtk::PACK_SHRINK);
    opacity->set_valign(Gtk::ALIGN_CENTER);

    auto* content =
        nativeVStack({heading("外观与浏览", "新建窗口会使用以下默认值"),
                      settingRow("主题", themeControl_), settingRow("搜索引擎", enginePopup_),
                      settingRow("默认透明度", *opacity), settingRow("菜单栏图标", iconPopup_),
                      note("选择“隐藏”后应用仍在后台运行，可用老板键恢复浮窗或重新打开应用。")},
                     14);
    return Gtk::make_managed<NativeCardView>(*content, cardInset);
}

Gtk::Widget* SettingsWindowController::behaviourCard() {
    auto* content = nativeVStack({heading("行为与快捷键", "老板键可随时隐藏或恢复当前浮窗"),
                                  settingRow("全局老板键", shortcutField_),
                                  settingRow("上一个浮窗", previousWindowShortcutField_),
                                  settingRow("下一个浮窗", nextWindowShortcutField_)},
                                 14);
    for (auto* field :
         {&shortcutField_, &previousWindowShortcutField_, &nextWindowShortcutField_}) {
        field->set_size_request(captureFieldWidth, -1);
        field->onRefusal([this](const std::string& text) { showShortcutProblem(text); });
    }
    shortcutProblem_ = nativeLabel("", 11, Pango::WEIGHT_NORMAL, NativeTextColor::label);
    shortcutProblem_->set_no_show_all(true);
    shortcutProblem_->hide();
    hotKeyNote_ = nativeVStack({}, 8);
    content->pack_start(*shortcutProblem_, Gtk::PACK_SHRINK);
    content->pack_start(*hotKeyNote_, Gtk::PACK_SHRINK);
    content->pack_start(keepRunning_, Gtk::PACK_SHRINK);
    content->pack_start(toolbarHide_, Gtk::PACK_SHRINK);
    content->pack_start(*note("控制栏自动隐藏开启后会覆盖网页；关闭时网页始终从控制栏下方开始。"),
                        Gtk::PACK_SHRINK);
    content->pack_start(startAtLogin_, Gtk::PACK_SHRINK);
    content->pack_start(restoreWindows_, Gtk::PACK_SHRINK);
    restoreWindows_.set_no_show_all(state_ == nullptr);
    return Gtk::make_managed<NativeCardView>(*content, cardInset);
}

void SettingsWindowController::setHotKeyBackend(HotKeyBackend backend) {
    hotKeyBackend_ = backend;
    updateHotKeyNote();
}

void SettingsWindowController::updateHotKeyNote() {
    // The rows are managed: destroying them frees them.
    for (auto* child : hotKeyNote_->get_children()) {
        gtk_widget_destroy(child->gobj());
    }
    const auto shown = HotKeyMessages::note(hotKeyBackend_, hotKeys_.desktopBindings());
    for (const auto& line : shown.lines) {
        hotKeyNote_->pack_start(*note(line), Gtk::PACK_SHRINK);
    }
    for (const auto& [title, command] : shown.commands) {
        auto* text = Gtk::make_managed<Gtk::Label>();
        text->set_markup("<tt>" + Glib::Markup::escape_text(command) + "</tt>");
        text->set_selectable(true);
        text->set_xalign(0);
        auto* label = note(title);
        label->set_size_request(commandTitleWidth, -1);
        label->set_xalign(0);
        auto* row = Gtk::make_managed<Gtk::Box>(Gtk::ORIENTATION_HORIZONTAL, 12);
        row->pack_start(*label, Gtk::PACK_SHRINK);
        row->pack_start(*text, Gtk::PACK_EXPAND_WIDGET);
        hotKeyNote_->pack_start(*row, Gtk::PACK_SHRINK);
    }
    hotKeyNote_->show_all();
    hotKeyNote_->set_visible(!shown.lines.empty());
}

void SettingsWindowController::showShortcutProblem(const std::string& text) {
    shortcutProblem_->set_text(text);
    shortcutProblem_->set_visible(!text.empty());
}

Gtk::Box* SettingsWindowController::settingRow(const std::string& title, Gtk::Widget& control) {
    auto* row = Gtk::make_managed<Gtk::Box>(Gtk::ORIENTATION_HORIZONTAL, 12);
    auto* label = nativeLabel(title, 13, Pango::WEIGHT_MEDIUM, NativeTextColor::label);
    label->set_size_request(rowTitleWidth, -1);
    control.set_valign(Gtk::ALIGN_CENTER);
    // A screen reader names the control by its row, as a person reads it.
    control.get_accessible()->set_name(title);
    row->pack_start(*label, Gtk::PACK_SHRINK);
    row->pack_start(*spacer(), Gtk::PACK_EXPAND_WIDGET);
    row->pack_start(control, Gtk::PACK_SHRINK);
    return row;
}

void SettingsWindowController::show() {
    loadSettings();
    const auto layout = ScreenLayout::ofDisplay(window_);
    if (layout.primary) {
        int width = 0;
        int height = 0;
        window_.get_size(width, height);
        const Rect frame = WindowGeometry::centredOn(
            {0, 0, static_cast<double>(width), static_cast<double>(height)},
            layout.screens.at(*layout.primary).workArea);
        window_.move(static_cast<int>(frame.x), static_cast<int>(frame.y));
    }
    // Floating windows stay above all others; opened from the status menu
    // or the workbench, this window would show beneath them.
    window_.set_keep_above(true);
    window_.present();
}

void SettingsWindowController::loadSettings() {
    const auto loaded = SettingsForm::load(store_.snapshot().settings, autostart_.enabled(),
                                           state_ == nullptr || state_->snapshot().restoreWindows);
    enginePopup_.set_active(loaded.enginePosition);
    opacitySlider_.set_value(loaded.opacity);
    opacityValue_.set_text(WindowGeometry::percentText(loaded.opacity));
    iconPopup_.set_active(loaded.iconPosition);
    themeControl_.setSelectedSegment(loaded.themeSegment);
    shortcutField_.setShortcut(loaded.shortcut);
    previousWindowShortcutField_.setShortcut(loaded.previousWindowShortcut);
    nextWindowShortcutField_.setShortcut(loaded.nextWindowShortcut);
    showShortcutProblem("");
    keepRunning_.set_active(loaded.keepRunning);
    toolbarHide_.set_active(loaded.autoHideToolbar);
    startAtLogin_.set_active(loaded.startAtLogin);
    restoreWindows_.set_active(loaded.restoreWindows);
}

// The slider only rests on its ticks; the label follows every move.
bool SettingsWindowController::opacityChanged(double value) {
    const double snapped = WindowGeometry::opacityFromSlider(value);
    opacitySlider_.set_value(snapped);
    opacityValue_.set_text(WindowGeometry::percentText(snapped));
    return true;
}

SettingsForm SettingsWindowController::form() const {
    SettingsForm current;
    current.enginePosition = enginePopup_.get_active_row_number();
    current.opacity = opacitySlider_.get_value();
    current.iconPosition = iconPopup_.get_active_row_number();
    current.themeSegment = themeControl_.selectedSegment();
    current.shortcut = shortcutField_.shortcut();
    current.previousWindowShortcut = previousWindowShortcutField_.shortcut();
    current.nextWindowShortcut = nextWindowShortcutField_.shortcut();
    current.keepRunning = keepRunning_.get_active();
    current.autoHideToolbar = toolbarHide_.get_active();
    current.startAtLogin = startAtLogin_.get_active();
    current.restoreWindows = restoreWindows_.get_active();
    return current;
}

void SettingsWindowController::saveSettings() {
    const auto outcome = form().save(store_, hotKeys_, autostart_, state_);
    if (outcome.restoreShortcuts) {
        shortcutField_.setShortcut(outcome.stored.shortcut);
        previousWindowShortcutField_.setShortcut(outcome.stored.previousWindowShortcut);
        nextWindowShortcutField_.setShortcut(outcome.stored.nextWindowShortcut);
    }
    if (outcome.settingsSaved) {
        applyNativeTheme(outcome.stored.themePreference);
    }
    if (outcome.alert) {
        // The check box shows the entry as it is, whatever was asked of it.
        startAtLogin_.set_active(autostart_.enabled());
        showAlert(*outcome.alert);
        return;
    }
    window_.hide();
}

bool SettingsWindowController::keyPressed(const GdkEventKey* event) {
    if (auto* field = dynamic_cast<HotKeyCaptureField*>(window_.get_focus());
        field != nullptr && field->capture(event)) {
        return true;
    }
    const auto modifiers = GDK_CONTROL_MASK | GDK_MOD1_MASK | GDK_SHIFT_MASK | GDK_SUPER_MASK;
    const bool plainReturn =
        (event->keyval == GDK_KEY_Return || event->keyval == GDK_KEY_KP_Enter) &&
        (event->state & modifiers) == 0;
    if (plainReturn) {
        saveSettings();
    }
    return plainReturn;
}

void SettingsWindowController::showAlert(const std::string& text) {
    // Transient for the window, it joins the window's group: modal on the
    // settings window only, the rest of the application stays usable.
    alert_ = std::make_unique<Gtk::MessageDialog>(window_, text, false, Gtk::MESSAGE_WARNING,
                                                  Gtk::BUTTONS_NONE, true);
    alert_->add_button("好", Gtk::RESPONSE_OK);
    alert_->set_position(Gtk::WIN_POS_CENTER_ON_PARENT);
    alert_->signal_response().connect([dialog = alert_.get()](int) { dialog->hide(); });
    alert_->show();
}

}  // namespace velumo
