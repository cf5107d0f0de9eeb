#pragma once

#include <gtkmm/entry.h>

namespace velumo {

// A text field that takes a shortcut by having it pressed: a key pressed with
// a modifier becomes its shortcut text (Super shows as Command) and ends
// editing; Escape ends editing and keeps the text; a key without a modifier
// types as in any text field.
class HotKeyCaptureField : public Gtk::Entry {
  public:
    HotKeyCaptureField();

    // Offers a key press to the field; answers whether it was taken. The
    // window offers presses first, so application shortcuts cannot take a
    // combination meant for the field.
    bool capture(const GdkEventKey* event);

  protected:
    bool on_key_press_event(GdkEventKey* event) override;

  private:
    void endEditing();
};

}  // namespace velumo
