#include "shell/HotKeyCaptureField.h"

#include <array>

#include <gdk/gdkkeysyms.h>
#include <gtkmm/window.h>

#include "shell/ShortcutCapture.h"

namespace velumo {

namespace {

// The character printed on the key: its symbol at group 0, level 0, so
// Shift+[ gives "[" rather than "{". The event's own symbol already carries
// Shift (and the layout's other levels), while the hot-key service grabs the
// key itself, whatever level it types; group 0 is the first layout, the one
// whose symbols the shortcut texts name.
std::string keyCharacters(const GdkEventKey* event) {
    guint keyval = 0;
    if (gdk_keymap_translate_keyboard_state(
            gdk_keymap_get_for_display(gdk_window_get_display(event->window)),
            event->hardware_keycode, GdkModifierType(0), 0, &keyval, nullptr, nullptr,
            nullptr) == FALSE) {
        return {};
    }
    const gunichar character = gdk_keyval_to_unicode(keyval);
    if (character == 0 || g_unichar_iscntrl(character) != FALSE) {
        return {};
    }
    std::array<char, 6> utf8{};
    const int length = g_unichar_to_utf8(character, utf8.data());
    return {utf8.data(), static_cast<std::size_t>(length)};
}

}  // namespace

HotKeyCaptureField::HotKeyCaptureField() {
    set_placeholder_text("点击后直接按组合键");
}

bool HotKeyCaptureField::capture(const GdkEventKey* event) {
    if (event->keyval == GDK_KEY_Escape) {
        endEditing();
        return true;
    }
    const auto state = event->state;
    const HeldModifiers held{
        .control = (state & GDK_CONTROL_MASK) != 0,
        .option = (state & GDK_MOD1_MASK) != 0,
        .shift = (state & GDK_SHIFT_MASK) != 0,
        // X reports the Super key as Mod4; GDK adds the virtual Super bit.
        .command = (state & (GDK_SUPER_MASK | GDK_MOD4_MASK)) != 0,
    };
    const auto text = ShortcutCapture::text(held, keyCharacters(event));
    if (!text) {
        return false;
    }
    set_text(*text);
    endEditing();
    return true;
}

bool HotKeyCaptureField::on_key_press_event(GdkEventKey* event) {
    return capture(event) || Gtk::Entry::on_key_press_event(event);
}

void HotKeyCaptureField::endEditing() {
    if (auto* window = dynamic_cast<Gtk::Window*>(get_toplevel())) {
        window->unset_focus();
    }
}

}  // namespace velumo
