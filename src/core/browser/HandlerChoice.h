#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace velumo {

enum class Handoff {
    // The desktop's default handler for the scheme takes the address, as it
    // takes any other application's; nothing registered leaves it to the
    // desktop as well.
    desktopDefault,
    // The default is Velumo itself: the next registered application takes it.
    nextApplication,
    // Velumo is the only application registered: handing the address over
    // would open it in Velumo again.
    onlyVelumo,
};

struct HandlerChoice {
    Handoff handoff = Handoff::desktopDefault;
    // For nextApplication, the application's place in the list.
    std::size_t index = 0;

    bool operator==(const HandlerChoice&) const = default;
};

// Who opens an address Velumo hands to the desktop ("open in the default
// browser", the website link). A person may have made Velumo the default web
// browser; giving the address back to it would make a floating window of what
// was meant for a browser.
namespace HandlerChoices {

// `entries` are the desktop entry ids registered for the address's scheme,
// the default first, then the others in the desktop's order of preference.
HandlerChoice choose(const std::vector<std::string>& entries);

inline constexpr std::string_view onlyVelumoMessage = "没有其他浏览器可以打开此网址";
inline constexpr std::string_view onlyVelumoInformative =
    "Velumo 是唯一能打开网页的应用。请在系统设置中把另一个浏览器设为默认浏览器。";

}  // namespace HandlerChoices
}  // namespace velumo
