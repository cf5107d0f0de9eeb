#include "design/SegmentedControl.h"

#include <atkmm/object.h>

#include "design/NativeTheme.h"

namespace velumo {

SegmentedControl::SegmentedControl(const std::vector<Segment>& segments, int height,
                                   const std::string& accessibilityLabel)
    : Gtk::Box(Gtk::ORIENTATION_HORIZONTAL) {
    NativeTheme::shared();
    get_style_context()->add_class("velumo-segmented");
    get_accessible()->set_name(accessibilityLabel);
    set_size_request(-1, height);
    set_valign(Gtk::ALIGN_CENTER);
    set_halign(Gtk::ALIGN_START);
    Gtk::RadioButton::Group group;
    for (const auto& [title, width] : segments) {
        auto* segment = Gtk::make_managed<Gtk::RadioButton>(group, title);
        segment->set_mode(false);
        segment->set_size_request(width, -1);
        const int index = static_cast<int>(segments_.size());
        segment->signal_toggled().connect([this, segment, index] {
            if (segment->get_active() && !settingSelection_ && changed_) {
                changed_(index);
            }
        });
        pack_start(*segment, Gtk::PACK_SHRINK);
        segments_.push_back(segment);
    }
}

int SegmentedControl::selectedSegment() const {
    for (std::size_t i = 0; i < segments_.size(); ++i) {
        if (segments_[i]->get_active()) {
            return static_cast<int>(i);
        }
    }
    return 0;
}

void SegmentedControl::setSelectedSegment(int index) {
    settingSelection_ = true;
    segments_.at(static_cast<std::size_t>(index))->set_active(true);
    settingSelection_ = false;
}

}  // namespace velumo
