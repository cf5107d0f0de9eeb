#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace velumo::PageTitle {

// The longest title the store keeps, in characters.
inline constexpr std::size_t maximumLength = 512;

// A page's own title made fit to show, record and bookmark: control and
// format characters (and bytes that are not UTF-8) dropped, each run of white
// space made one space and none at either end, cut to `maximumLength`
// characters. Empty when nothing is left.
std::string cleaned(std::string_view title);

// The cleaned title, or the host of `url` (its whole text without a host)
// when nothing of the title is left.
std::string orAddress(std::string_view title, std::string_view url);

}  // namespace velumo::PageTitle
