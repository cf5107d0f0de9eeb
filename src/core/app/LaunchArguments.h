#pragma once

#include <expected>
#include <string>
#include <string_view>

#include "data/Models.h"

namespace velumo {

// Why a text given on the command line is not opened; shown in an alert.
struct OpenRefusal {
    std::string message;
    std::string informative;
    bool operator==(const OpenRefusal&) const = default;
};

// What `velumo TEXT` opens in a floating window. The text is read as the
// workbench's address field reads it (an address, a bare host or a search),
// but a local file or any scheme other than http and https is refused: a
// floating window shows web pages only.
namespace LaunchArguments {

std::expected<std::string, OpenRefusal> addressToOpen(std::string_view text, SearchEngine engine);

}  // namespace LaunchArguments
}  // namespace velumo
