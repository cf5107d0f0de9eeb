#pragma once

#include <functional>
#include <string>
#include <vector>

#include <gtkmm/box.h>
#include <gtkmm/radiobutton.h>

namespace velumo {

// A row of segments of which exactly one is selected, each of a fixed width;
// the first is selected at first.
class SegmentedControl : public Gtk::Box {
  public:
    struct Segment {
        std::string title;
        int width = 0;
    };

    SegmentedControl(const std::vector<Segment>& segments, int height,
                     const std::string& accessibilityLabel);

    int selectedSegment() const;
    // Selects without reporting a change.
    void setSelectedSegment(int index);
    // Called with the new index when the user selects another segment.
    void onChange(std::function<void(int)> changed) { changed_ = std::move(changed); }

  private:
    std::vector<Gtk::RadioButton*> segments_;
    std::function<void(int)> changed_;
    bool settingSelection_ = false;
};

}  // namespace velumo
