#include "data/TextRules.h"

#include <algorithm>
#include <cstdint>

#include <utf8proc.h>

namespace velumo {
namespace {

// The text from the first byte that `accepts` does not take: the run before it
// is mostly all of the text, and ASCII that needs no Unicode lookup.
template <typename Accepts>
std::string_view afterLeadingRun(std::string_view text, Accepts accepts) {
    const auto end = std::ranges::find_if_not(
        text, [accepts](char c) { return accepts(static_cast<unsigned char>(c)); });
    return {end, text.end()};
}

bool isPrintableAscii(unsigned char byte) {
    return byte >= 0x20 && byte < 0x7F;
}

bool isAsciiIdentifierByte(unsigned char byte) {
    return (byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z') ||
           (byte >= '0' && byte <= '9') || byte == '_' || byte == '-';
}

// Decodes scalars one by one; stops for good at the first invalid sequence.
class ScalarReader {
  public:
    explicit ScalarReader(std::string_view text) : text_(text) {}

    // The next scalar, or none at the end or at an invalid sequence.
    std::optional<char32_t> next() {
        if (offset_ >= text_.size()) {
            return std::nullopt;
        }
        utf8proc_int32_t scalar = 0;
        const auto length =
            utf8proc_iterate(reinterpret_cast<const utf8proc_uint8_t*>(text_.data() + offset_),
                             static_cast<utf8proc_ssize_t>(text_.size() - offset_), &scalar);
        if (length <= 0) {
            invalid_ = true;
            return std::nullopt;
        }
        offset_ += static_cast<std::size_t>(length);
        return static_cast<char32_t>(scalar);
    }

    std::size_t offset() const { return offset_; }
    bool invalid() const { return invalid_; }

  private:
    std::string_view text_;
    std::size_t offset_ = 0;
    bool invalid_ = false;
};

utf8proc_category_t categoryOf(char32_t scalar) {
    return utf8proc_category(static_cast<utf8proc_int32_t>(scalar));
}

bool isWhiteSpace(char32_t scalar) {
    if (scalar == U'\t' || (scalar >= 0x0A && scalar <= 0x0D) || scalar == 0x85) {
        return true;
    }
    const auto category = categoryOf(scalar);
    return category == UTF8PROC_CATEGORY_ZS || category == UTF8PROC_CATEGORY_ZL ||
           category == UTF8PROC_CATEGORY_ZP;
}

bool isControl(char32_t scalar) {
    const auto category = categoryOf(scalar);
    return category == UTF8PROC_CATEGORY_CC || category == UTF8PROC_CATEGORY_CF;
}

bool isIdentifierScalar(char32_t scalar) {
    if (scalar == U'_' || scalar == U'-') {
        return true;
    }
    const auto category = categoryOf(scalar);
    return category >= UTF8PROC_CATEGORY_LU && category <= UTF8PROC_CATEGORY_NO;
}

// The length of the scalar that ends `text`, or 0 when its last bytes are not
// a whole valid sequence.
std::size_t lastScalarLength(std::string_view text, char32_t& scalar) {
    std::size_t start = text.size();
    while (start > 0 && text.size() - start < 4) {
        --start;
        if ((static_cast<unsigned char>(text[start]) & 0xC0) != 0x80) {
            break;
        }
    }
    ScalarReader reader(text.substr(start));
    const auto decoded = reader.next();
    if (!decoded || reader.offset() != text.size() - start) {
        return 0;
    }
    scalar = *decoded;
    return text.size() - start;
}

// Calls `onStart(offset)` at the byte offset where each character begins, until
// it returns false. A byte that is not valid UTF-8 is a character of its own.
// False when the bytes walked were not all valid UTF-8.
template <typename OnStart>
bool forEachCharacterStart(std::string_view text, OnStart onStart) {
    bool valid = true;
    utf8proc_int32_t previous = -1;
    utf8proc_int32_t state = 0;
    std::size_t offset = 0;
    while (offset < text.size()) {
        utf8proc_int32_t scalar = -1;
        auto length =
            utf8proc_iterate(reinterpret_cast<const utf8proc_uint8_t*>(text.data() + offset),
                             static_cast<utf8proc_ssize_t>(text.size() - offset), &scalar);
        if (length < 1) {
            length = 1;
            scalar = -1;
            valid = false;
        }
        bool starts = true;
        if (previous < 0 || scalar < 0) {
            state = 0;
        } else {
            starts = utf8proc_grapheme_break_stateful(previous, scalar, &state);
        }
        if (starts && !onStart(offset)) {
            return valid;
        }
        previous = scalar;
        offset += static_cast<std::size_t>(length);
    }
    return valid;
}

}  // namespace

std::string_view TextRules::trimmed(std::string_view text) {
    // Printable ASCII at both ends, the usual case, needs no Unicode lookup.
    const auto isPrintableAscii = [](char c) { return c > 0x20 && c < 0x7F; };
    if (!text.empty() && isPrintableAscii(text.front()) && isPrintableAscii(text.back())) {
        return text;
    }
    ScalarReader reader(text);
    std::size_t start = 0;
    while (const auto scalar = reader.next()) {
        if (!isWhiteSpace(*scalar)) {
            break;
        }
        start = reader.offset();
    }
    text.remove_prefix(start);
    char32_t scalar = 0;
    while (const auto length = lastScalarLength(text, scalar)) {
        if (!isWhiteSpace(scalar)) {
            break;
        }
        text.remove_suffix(length);
    }
    return text;
}

bool TextRules::containsControlCharacter(std::string_view text) {
    // Whatever follows the printable ASCII is looked up scalar by scalar; an
    // ASCII byte among it is a control character or a lookup gives its category.
    ScalarReader reader(afterLeadingRun(text, isPrintableAscii));
    while (const auto scalar = reader.next()) {
        if (isControl(*scalar)) {
            return true;
        }
    }
    return reader.invalid();
}

std::optional<std::size_t> TextRules::characterCount(std::string_view text) {
    // Most texts are ASCII, where the only character of two scalars is CR LF.
    if (isAscii(text)) {
        std::size_t count = text.size();
        for (std::size_t i = 1; i < text.size(); ++i) {
            if (text[i - 1] == '\r' && text[i] == '\n') {
                --count;
            }
        }
        return count;
    }
    std::size_t count = 0;
    const bool valid = forEachCharacterStart(text, [&count](std::size_t) {
        ++count;
        return true;
    });
    if (!valid) {
        return std::nullopt;
    }
    return count;
}

std::string_view TextRules::leadingCharacters(std::string_view text, std::size_t count) {
    std::size_t taken = 0;
    std::size_t end = text.size();
    forEachCharacterStart(text, [&](std::size_t start) {
        if (taken == count) {
            end = start;
            return false;
        }
        ++taken;
        return true;
    });
    return text.substr(0, end);
}

bool TextRules::isIdentifierText(std::string_view text) {
    ScalarReader reader(afterLeadingRun(text, isAsciiIdentifierByte));
    while (const auto scalar = reader.next()) {
        if (!isIdentifierScalar(*scalar)) {
            return false;
        }
    }
    return !reader.invalid();
}

bool TextRules::isAscii(std::string_view text) {
    return std::ranges::all_of(text, [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

}  // namespace velumo
