#include "app/InstalledFiles.h"

#include <system_error>

namespace velumo::InstalledFiles {

std::string find(const std::string& fromBindir, const std::string& tree,
                 const std::function<bool(const std::filesystem::path&)>& holds) {
    std::error_code error;
    const auto executable = std::filesystem::read_symlink("/proc/self/exe", error);
    if (!error) {
        const auto installed = (executable.parent_path() / fromBindir).lexically_normal();
        if (holds(installed)) {
            return installed.string();
        }
    }
    return holds(tree) ? tree : std::string();
}

}  // namespace velumo::InstalledFiles
