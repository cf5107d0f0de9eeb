#pragma once

#include <filesystem>
#include <functional>
#include <string>

namespace velumo {

// Where Velumo's own files are: installed under the executable's prefix, or
// in the build or source tree when the program runs from its build folder.
namespace InstalledFiles {

// The folder `fromBindir` (relative to the executable's folder) when `holds`
// accepts it, else `tree` when `holds` accepts that; empty when neither.
std::string find(const std::string& fromBindir, const std::string& tree,
                 const std::function<bool(const std::filesystem::path&)>& holds);

}  // namespace InstalledFiles
}  // namespace velumo
