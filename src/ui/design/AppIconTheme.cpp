#include "design/AppIconTheme.h"

#include <filesystem>
#include <system_error>

#include <gtkmm/icontheme.h>

#include "app/InstalledFiles.h"

namespace velumo::AppIconTheme {
namespace {

bool holdsIcons(const std::filesystem::path& folder) {
    std::error_code error;
    return std::filesystem::exists(folder / "hicolor/scalable/status/velumo-eye-symbolic.svg",
                                   error);
}

}  // namespace

const std::string& folder() {
    static const std::string found =
        InstalledFiles::find(VELUMO_ICONS_FROM_BINDIR, VELUMO_BUILD_ICONS, holdsIcons);
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
