#pragma once

#include <string>
#include <vector>

#include "data/Models.h"

namespace velumo {

// The rules every document the store holds must meet: valid and unique
// identifiers, sanitized addresses and titles, categories that exist, dense
// positions, at most 50 history entries, settings in range. Shared by the
// property test and the fuzzer, which has no test framework.
class DocumentInvariants {
  public:
    // One line per broken rule; empty when the document meets them all.
    static std::vector<std::string> violations(const AppDataSnapshot& document);
};

}  // namespace velumo
