#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

namespace velumo {

// Character rules for the user's texts, all taken from the Unicode tables of
// utf8proc. A "character" is an extended grapheme cluster. Text that is not
// valid UTF-8 never passes a check.
class TextRules {
  public:
    // Removes white space and line breaks (general category Z, tab, U+000A to
    // U+000D, U+0085) from both ends. Trimming stops at bytes that are not
    // valid UTF-8, so they are never cut in half.
    static std::string_view trimmed(std::string_view text);

    // True when some scalar is a control or format character (general
    // category Cc or Cf), and also when the text is not valid UTF-8.
    static bool containsControlCharacter(std::string_view text);

    // The number of characters, or none when the text is not valid UTF-8.
    static std::optional<std::size_t> characterCount(std::string_view text);

    // The first `count` characters (all of the text when it has fewer). Here a
    // byte that is not valid UTF-8 counts as a character of its own, so a cut
    // never splits a sequence.
    static std::string_view leadingCharacters(std::string_view text, std::size_t count);

    // True when every scalar is a letter, mark or digit (general category L, M
    // or N), "_" or "-"; false for text that is not valid UTF-8.
    static bool isIdentifierText(std::string_view text);

    // True when every byte is ASCII: such text needs no Unicode lookups.
    static bool isAscii(std::string_view text);
};

}  // namespace velumo
