#pragma once

#include <memory>
#include <string>

#include <gtkmm/checkbutton.h>
#include <gtkmm/comboboxtext.h>
#include <gtkmm/label.h>
#include <gtkmm/messagedialog.h>
#include <gtkmm/scale.h>
#include <gtkmm/scrolledwindow.h>
#include <gtkmm/window.h>
#include <gtkmm/windowgroup.h>

#include "NotificationCenter.h"
#include "app/AutostartEntry.h"
#include "data/AppDataStore.h"
#include "design/NativeCanvasView.h"
#include "design/SegmentedControl.h"
#include "shell/GlobalHotKeyManager.h"
#include "shell/HotKeyBackend.h"
#include "shell/HotKeyCaptureField.h"
#include "shell/SettingsForm.h"

namespace velumo {

// The settings window: theme, search engine, default opacity, status icon
// style, the three global shortcuts, keep-running, the control bar's
// auto-hide, starting at login and bringing the windows back at start. Closing only hides it; every
// show reloads it from the store and the autostart entry.
class SettingsWindowController {
  public:
    // The process-wide controller on the shared store and hot-key manager and
    // the user's autostart entry for this program, created on first use and
    // kept for the life of the process.
    static SettingsWindowController& shared();

    // Without a state file, the check box for bringing windows back is not shown.
    SettingsWindowController(AppDataStore& store, GlobalHotKeyManager& hotKeys,
                             AutostartEntry autostart, StateStore* state = nullptr);
    SettingsWindowController(const SettingsWindowController&) = delete;
    SettingsWindowController& operator=(const SettingsWindowController&) = delete;

    // Reloads the controls, centres the window on the primary monitor and
    // brings it to the front, above the floating windows.
    void show();
    void loadSettings();
    // The save button and Return: changed shortcuts first, then the store;
    // a refusal is shown as an alert on the window, which stays open.
    void saveSettings();

    // What binds the hot keys decides what the window says under them: for
    // the desktop portal, which keys the desktop gave, following its answers.
    void setHotKeyBackend(HotKeyBackend backend);

    Gtk::Window& window() { return window_; }

  private:
    Gtk::Widget& makeContent();
    Gtk::Widget* appearanceCard();
    Gtk::Widget* behaviourCard();
    void updateHotKeyNote();
    void showShortcutProblem(const std::string& text);
    Gtk::Box* settingRow(const std::string& title, Gtk::Widget& control);
    bool opacityChanged(double value);
    bool keyPressed(const GdkEventKey* event);
    SettingsForm form() const;
    void showAlert(const std::string& text);

    AppDataStore& store_;
    GlobalHotKeyManager& hotKeys_;
    AutostartEntry autostart_;
    StateStore* state_;
    // The window's own, so its alert blocks only this window.
    Glib::RefPtr<Gtk::WindowGroup> group_;
    Gtk::Window window_;
    NativeCanvasView canvas_;
    Gtk::ScrolledWindow scroller_;
    Gtk::ComboBoxText enginePopup_;
    Gtk::Scale opacitySlider_{Gtk::ORIENTATION_HORIZONTAL};
    Gtk::Label opacityValue_;
    Gtk::ComboBoxText iconPopup_;
    SegmentedControl themeControl_;
    Gtk::CheckButton keepRunning_{"关闭最后一个窗口后继续运行"};
    Gtk::CheckButton toolbarHide_{"自动隐藏浮窗控制栏"};
    Gtk::CheckButton startAtLogin_{"登录时启动"};
    Gtk::CheckButton restoreWindows_{"启动时恢复浮窗"};
    HotKeyBackend hotKeyBackend_ = HotKeyBackend::keyGrabs;
    // Under the shortcuts: why a pressed combination was refused; what the
    // session's hot-key backend did with the keys, and the commands to bind
    // in the desktop's own settings for those without a key.
    Gtk::Label* shortcutProblem_ = nullptr;
    Gtk::Box* hotKeyNote_ = nullptr;
    NotificationCenter::Token hotKeysObserver_;
    HotKeyCaptureField shortcutField_;
    HotKeyCaptureField previousWindowShortcutField_;
    HotKeyCaptureField nextWindowShortcutField_;
    // The alert shown on the window; replaced by the next one.
    std::unique_ptr<Gtk::MessageDialog> alert_;
};

}  // namespace velumo
