#pragma once

#include <functional>

#include <gtkmm/overlay.h>
#include <gtkmm/window.h>

namespace velumo {

// The content of a floating panel: the page with the control bar laid over
// its top. It reports when the pointer really leaves the panel: crossings into
// the panel's own parts (page, bar, resize edges) do not count, nor does a
// pointer that is still inside the panel's frame.
class BrowserRootView : public Gtk::Overlay {
  public:
    explicit BrowserRootView(Gtk::Window& panel);
    ~BrowserRootView() override;

    void setOnMouseExit(std::function<void()> onMouseExit) {
        onMouseExit_ = std::move(onMouseExit);
    }

  private:
    bool panelLeft(GdkEventCrossing* event);

    Gtk::Window& panel_;
    std::function<void()> onMouseExit_;
    sigc::connection leave_;
};

}  // namespace velumo
