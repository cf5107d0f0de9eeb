#pragma once

#include <cstddef>
#include <expected>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "data/Models.h"

namespace velumo {

// The only code that turns the data file's bytes into a document and back.
// Reading is forgiving record by record and strict about the document's shape.
class AppDataSanitizer {
  public:
    // None when the bytes are not a readable document.
    static std::optional<AppDataSnapshot> decode(std::string_view data);
    // Pretty-printed JSON with sorted keys, or the JSON writer's error message.
    static std::expected<std::string, std::string> encode(const AppDataSnapshot& snapshot);

    static std::optional<std::string> webURL(std::string_view text);
    static std::optional<std::string> text(std::string_view text, std::size_t maximum);
    static bool validID(std::string_view text);
    static void normalizeBookmarkPositions(std::vector<Bookmark>& bookmarks);
};

}  // namespace velumo
