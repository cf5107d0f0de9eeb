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
    // Whether `decoded`, read from `data`, still says everything the file
    // said: every record with every key and value it had, every setting as
    // written, no key left behind. Positions only count by their order, which
    // reading keeps; what reading merely adds (defaults, derived icon
    // addresses, the current version) loses nothing.
    static bool keepsEverything(std::string_view data, const AppDataSnapshot& decoded);

    static std::optional<std::string> webURL(std::string_view text);
    static std::optional<std::string> text(std::string_view text, std::size_t maximum);
    static bool validID(std::string_view text);
    static void normalizeBookmarkPositions(std::vector<Bookmark>& bookmarks);
};

}  // namespace velumo
