#include "shell/HotKeyCaptureField.h"

#include <array>

#include <gdk/gdkkeysyms.h>
#include <gtkmm/window.h>

#include "shell/ShortcutCapture.h"
#include "shell/ShortcutText.h"
#include "shell/XkbKeyNames.h"

namespace velumo {

namespace {

// The character the current layout prints on the key: its symbol at group
// 0, level 0, so Shift+1 gives "1" rather than "!". Only keys outside the
// shortcut table are named by it; those inside are named by their place.
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

void HotKeyCaptureField::setShortcut(const std::string& stored) {
    stored_ = stored;
    shown_ = ShortcutText::displayed(stored);
    set_text(shown_);
}

std::string HotKeyCaptureField::shortcut() const {
    const std::string text = get_text();
    return text == shown_ ? stored_ : ShortcutText::stored(text);
}

void HotKeyCaptureField::onRefusal(std::function<void(const std::string&)> refused) {
    refused_ = std::move(refused);
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
    const auto outcome = ShortcutCapture::capture(
        held, XkbKeyNames::name(gdk_window_get_display(event->window), event->hardware_keycode),
        keyCharacters(event));
    switch (outcome.kind) {
        case ShortcutCapture::Outcome::Kind::type:
            return false;
        case ShortcutCapture::Outcome::Kind::refuse:
            if (refused_) {
                refused_(outcome.text);
            }
            return true;
        case ShortcutCapture::Outcome::Kind::take:
            setShortcut(outcome.text);
            endEditing();
            return true;
    }
    return false;
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
