#pragma once

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include <gtkmm/dialog.h>
#include <gtkmm/eventbox.h>
#include <gtkmm/overlay.h>
#include <gtkmm/window.h>
#include <gtkmm/windowgroup.h>

#include "browser/WindowGeometry.h"

namespace velumo {

// The borderless window of a floating page. It has no frame of the window
// manager, so it brings its own resize edges: thin strips along its sides and
// corners that start the window manager's resize. Each panel is a window
// group of its own, so its dialogs (sheets) block only this panel; they hide
// and come back with it. Hidden and shown again, it comes back where it was.
// It is a utility window, which tiling window managers float rather than
// tile, and it keeps the place and size Velumo gives it there too. A window
// manager that drops the panel while it shows (openbox can lose a map that
// follows an unmap closely) is asked again to map it: GDK holds the layout
// and drawing of an unmapped window, resizes included, until it maps.
class FloatingPanel : public Gtk::Window {
  public:
    FloatingPanel();
    ~FloatingPanel() override;

    void setContent(Gtk::Widget& content);
    void setMinimumSize(Size size);

    // The window's frame in root coordinates (logical pixels).
    Rect frame() const;
    void setFrame(Rect frame);

    // True from the start of a resize from one of the edges until the button
    // that started it is released, which ends the window manager's resize.
    bool inLiveResize() const;

    Glib::RefPtr<Gtk::WindowGroup> windowGroup() const { return group_; }

    // Above other windows or at the normal level; the panel's dialogs follow.
    void setAlwaysOnTop(bool on);

    // Shows `dialog` over the panel, modal within the panel's window group,
    // at once or, while the panel is hidden, once it shows; `completion` gets
    // the first response. The panel keeps the dialog until then.
    void showSheet(std::unique_ptr<Gtk::Dialog> dialog, std::function<void(int)> completion);
    bool hasVisibleSheet() const;
    // Gives a shown dialog `size`, centred over the panel and within its
    // screen's work area: for dialogs that size themselves as they map.
    void placeSheet(Gtk::Window& sheet, Size size) const;
    // Destroys every dialog unanswered (no completion runs) and refuses later
    // ones: the panel is closing.
    void closeSheets();

    // Emitted as the hidden panel is asked to show, before GTK realizes,
    // lays out and maps it.
    sigc::signal<void()>& signalWillShow() { return willShow_; }

  protected:
    void on_show() override;
    void on_hide() override;
    bool on_configure_event(GdkEventConfigure* event) override;
    bool on_map_event(GdkEventAny* event) override;
    bool on_unmap_event(GdkEventAny* event) override;

  private:
    class ResizeEdge;
    struct Sheet {
        std::unique_ptr<Gtk::Dialog> dialog;
        // Hidden with the panel, or asked for while it was hidden.
        bool waiting = false;
        bool answered = false;
    };

    Sheet* sheetOf(const Gtk::Dialog* dialog);
    void forgetSheet(Gtk::Dialog* dialog);
    // Whether the window manager holds the panel (its WM_STATE).
    bool heldByWindowManager();
    // Maps the panel again if the window manager has not taken it shortly.
    void watchMap();
    // Where the window manager should put the panel; see placing_.
    void placeAt(Point origin);
    // After the window manager moved or mapped the panel.
    void correctPlacement(bool mapped);

    Glib::RefPtr<Gtk::WindowGroup> group_;
    Gtk::Overlay layers_;
    std::array<std::unique_ptr<ResizeEdge>, 8> edges_;
    // Cleared the first time it is read after the button went up.
    mutable bool liveResize_ = false;
    bool alwaysOnTop_ = false;
    bool sheetsClosed_ = false;
    std::vector<Sheet> sheets_;
    // Where the hidden panel shows again: X forgets an unmapped window's
    // place, and GTK would put it back where it was last asked to be, not
    // where the person moved it.
    std::optional<Point> hiddenAt_;
    sigc::connection mapWatch_;
    int mapTries_ = 0;
    sigc::signal<void()> willShow_;
    // Under sway: where Velumo last put the panel, until the window manager
    // shows it there, with the corrections asked for so far. A panel placed
    // while unmapped waits for its map, before which sway has not placed it.
    std::optional<Point> placing_;
    int placingTries_ = 0;
    bool placingAwaitsMap_ = false;
    sigc::connection placingTimeout_;
};

}  // namespace velumo
