#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "data/AppDataSanitizer.h"

// Any bytes: decode must not crash or hang, and what it accepts must survive
// encode and decode unchanged.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using velumo::AppDataSanitizer;
    const auto document =
        AppDataSanitizer::decode(std::string_view(reinterpret_cast<const char*>(data), size));
    if (!document) {
        return 0;
    }
    const auto bytes = AppDataSanitizer::encode(*document);
    if (!bytes) {
        std::abort();
    }
    const auto again = AppDataSanitizer::decode(*bytes);
    if (!again || *again != *document) {
        std::abort();
    }
    return 0;
}
