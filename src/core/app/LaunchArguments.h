#pragma once

#include <expected>
#include <string>
#include <string_view>
#include <vector>

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

// Whether a first start given these command-line arguments (the program's
// name left out, options included) opens a floating window as it starts:
// --new-window asks for one, and so does every text `addressToOpen` takes.
bool opensWindow(const std::vector<std::string>& arguments);

// The one alert for what a single request refused (at least one refusal): a
// refusal repeated for several addresses is shown once; different reasons
// are listed with the number of addresses each refused.
OpenRefusal alertFor(const std::vector<OpenRefusal>& refusals);

// What the application says, in Chinese and in English, when it cannot open
// `display` (empty when DISPLAY is unset): it runs on X11, through XWayland
// on a Wayland desktop.
std::string missingDisplay(std::string_view display);

}  // namespace LaunchArguments
}  // namespace velumo
