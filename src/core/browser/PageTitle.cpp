#include "browser/PageTitle.h"

#include <utf8proc.h>

#include "data/TextRules.h"
#include "data/Url.h"

namespace velumo::PageTitle {
namespace {

// A page may set a title of megabytes, over and over; what lies beyond this
// much cleaned text is never shown (512 characters of 128 bytes each).
constexpr std::size_t keptBytes = maximumLength * 128;

bool isWhiteSpace(utf8proc_int32_t scalar, utf8proc_category_t category) {
    return scalar == U'\t' || (scalar >= 0x0A && scalar <= 0x0D) || scalar == 0x85 ||
           category == UTF8PROC_CATEGORY_ZS || category == UTF8PROC_CATEGORY_ZL ||
           category == UTF8PROC_CATEGORY_ZP;
}

}  // namespace

std::string cleaned(std::string_view title) {
    std::string text;
    text.reserve(title.size());
    bool spacePending = false;
    std::size_t offset = 0;
    while (offset < title.size() && text.size() < keptBytes) {
        utf8proc_int32_t scalar = -1;
        const auto length =
            utf8proc_iterate(reinterpret_cast<const utf8proc_uint8_t*>(title.data() + offset),
                             static_cast<utf8proc_ssize_t>(title.size() - offset), &scalar);
        if (length < 1) {
            ++offset;
            continue;
        }
        const auto sequence = title.substr(offset, static_cast<std::size_t>(length));
        offset += static_cast<std::size_t>(length);
        const auto category = utf8proc_category(scalar);
        if (isWhiteSpace(scalar, category)) {
            spacePending = !text.empty();
        } else if (!TextRules::containsControlCharacter(sequence)) {
            // A dropped character between two spaces leaves one space.
            if (spacePending) {
                text += ' ';
                spacePending = false;
            }
            text += sequence;
        }
    }
    // The cut may end on a space.
    return std::string(TextRules::trimmed(TextRules::leadingCharacters(text, maximumLength)));
}

std::string orAddress(std::string_view title, std::string_view url) {
    std::string text = cleaned(title);
    if (text.empty()) {
        return cleaned(Url::hostOrText(url));
    }
    return text;
}

}  // namespace velumo::PageTitle
