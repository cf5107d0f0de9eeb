#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "DocumentInvariants.h"
#include "data/AppDataSanitizer.h"

// Any bytes: decode must not crash or hang, what it accepts must meet every
// rule of a stored document, and it must survive encode and decode unchanged.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using velumo::AppDataSanitizer;
    const auto document =
        AppDataSanitizer::decode(std::string_view(reinterpret_cast<const char*>(data), size));
    if (!document) {
        return 0;
    }
    const auto violations = velumo::DocumentInvariants::violations(*document);
    for (const auto& violation : violations) {
        std::fprintf(stderr, "invariant broken: %s\n", violation.c_str());
    }
    if (!violations.empty()) {
        std::abort();
    }
    const auto bytes = AppDataSanitizer::encode(*document);
    if (!bytes) {
        std::abort();
    }
    const auto again = AppDataSanitizer::decode(*bytes);
    if (!again || *again != *document || AppDataSanitizer::encode(*again) != bytes) {
        std::abort();
    }
    return 0;
}
