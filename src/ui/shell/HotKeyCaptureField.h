#pragma once

#include <functional>
#include <string>

#include <gtkmm/entry.h>

namespace velumo {

// A text field that takes a shortcut by having it pressed: a key pressed with
// Super, Ctrl or Alt becomes its shortcut and ends editing; Shift alone is
// refused (the field keeps its text and says why); Escape ends editing and
// keeps the text; a key without a modifier types as in any text field. The
// field shows shortcuts with this desktop's key names ("Super+Alt+[") and
// hands out their stored form ("Command+Option+[").
class HotKeyCaptureField : public Gtk::Entry {
  public:
    HotKeyCaptureField();

    void setShortcut(const std::string& stored);
    // The stored form of the field's shortcut: as given or captured, or, once
    // edited by hand, the edit with Super, Alt and Ctrl written as stored.
    std::string shortcut() const;
    // Hears why a pressed combination was refused.
    void onRefusal(std::function<void(const std::string&)> refused);

    // Offers a key press to the field; answers whether it was taken. The
    // window offers presses first, so application shortcuts cannot take a
    // combination meant for the field.
    bool capture(const GdkEventKey* event);

  protected:
    bool on_key_press_event(GdkEventKey* event) override;

  private:
    void endEditing();

    std::string stored_;
    std::string shown_;
    std::function<void(const std::string&)> refused_;
};

}  // namespace velumo
