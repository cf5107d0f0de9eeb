#include "design/AppIconTheme.h"

#include <filesystem>
#include <system_error>

#include <gtkmm/icontheme.h>

namespace velumo::AppIconTheme {
namespace {

bool holdsIcons(const std::filesystem::path& folder) {
    std::error_code error;
    return std::filesystem::exists(folder / "hicolor/scalable/status/velumo-eye-symbolic.svg",
                                   error);
}

}  // namespace

const std::string& folder() {
    static const std::string found = [] {
        std::error_code error;
        const auto executable = std::filesystem::read_symlink("/proc/self/exe", error);
        if (!error) {
            const auto installed =
                (executable.parent_path() / VELUMO_ICONS_FROM_BINDIR).lexically_normal();
            if (holdsIcons(installed)) {
                return installed.string();
            }
        }
        return holdsIcons(VELUMO_SOURCE_ICONS) ? std::string(VELUMO_SOURCE_ICONS) : std::string();
    }();
    return found;
}

void install() {
    static const bool installed = [] {
        if (!folder().empty()) {
            Gtk::IconTheme::get_default()->append_search_path(folder());
        }
        return true;
    }();
    static_cast<void>(installed);
}

}  // namespace velumo::AppIconTheme
