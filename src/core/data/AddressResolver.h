#pragma once

#include <string>
#include <string_view>

#include "data/Models.h"

namespace velumo {

std::string homeURL(SearchEngine engine);
std::string searchURL(SearchEngine engine, std::string_view text);

// Turns what the user typed into the address to open: a web address, a bare
// host with "https://" in front, or a search. Never fails.
class AddressResolver {
  public:
    static std::string resolve(std::string_view text, SearchEngine engine);
};

}  // namespace velumo
