#include "shell/XkbKeyNames.h"

#include <X11/XKBlib.h>
#include <gdk/gdkx.h>

namespace velumo::XkbKeyNames {
namespace {

// XKB keeps names in four bytes, without a terminating zero when all four are used.
std::string_view text(const char (&name)[XkbKeyNameLength]) {
    std::string_view view(name, XkbKeyNameLength);
    return view.substr(0, view.find('\0'));
}

// The keymap's key names and aliases; freed with the object.
class Names {
  public:
    explicit Names(GdkDisplay* display)
        : keymap_(XkbGetMap(gdk_x11_display_get_xdisplay(display), 0, XkbUseCoreKbd)) {
        if (keymap_ != nullptr &&
            (XkbGetNames(gdk_x11_display_get_xdisplay(display), XkbKeyNamesMask | XkbKeyAliasesMask,
                         keymap_) != Success ||
             keymap_->names == nullptr || keymap_->names->keys == nullptr)) {
            XkbFreeKeyboard(keymap_, 0, True);
            keymap_ = nullptr;
        }
    }
    ~Names() {
        if (keymap_ != nullptr) {
            XkbFreeKeyboard(keymap_, 0, True);
        }
    }
    Names(const Names&) = delete;
    Names& operator=(const Names&) = delete;

    std::optional<int> keyCode(std::string_view name) const {
        if (const auto code = ownerOf(name)) {
            return code;
        }
        for (int i = 0; keymap_ != nullptr && i < keymap_->names->num_key_aliases; ++i) {
            const XkbKeyAliasRec& alias = keymap_->names->key_aliases[i];
            if (text(alias.alias) == name) {
                return ownerOf(text(alias.real));
            }
        }
        return std::nullopt;
    }

    std::string name(int code) const {
        if (keymap_ == nullptr || code < keymap_->min_key_code || code > keymap_->max_key_code) {
            return {};
        }
        return std::string(text(keymap_->names->keys[code].name));
    }

  private:
    // The key that carries `name` itself.
    std::optional<int> ownerOf(std::string_view name) const {
        for (int code = keymap_ == nullptr ? 1 : keymap_->min_key_code;
             keymap_ != nullptr && code <= keymap_->max_key_code; ++code) {
            if (text(keymap_->names->keys[code].name) == name) {
                return code;
            }
        }
        return std::nullopt;
    }

    // Only kept when its names could be read.
    XkbDescPtr keymap_;
};

}  // namespace

std::optional<int> keyCode(GdkDisplay* display, std::string_view name) {
    return Names(display).keyCode(name);
}

std::string name(GdkDisplay* display, int keyCode) {
    return Names(display).name(keyCode);
}

}  // namespace velumo::XkbKeyNames
