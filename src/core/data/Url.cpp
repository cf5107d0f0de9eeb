#include "data/Url.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <memory>

#include <glib.h>
#include <uriparser/Uri.h>

#include "data/TextRules.h"

// Addresses are read the way an address bar reads them. uriparser alone is
// strict RFC 3986, so before it sees the text, whatever a URL cannot hold is
// made legal: in user information, path, query and fragment every byte outside
// the characters RFC 3986 allows there (a space, non-ASCII as UTF-8, a "%" that
// starts no valid escape) becomes %XX, while valid escapes stay as they are; an
// internationalised host name becomes its ASCII (punycode) form through
// g_hostname_to_ascii. The result is plain RFC 3986, so reading it again
// changes nothing, and what the user typed opens the page it names.

namespace velumo {
namespace {

constexpr std::array<char, 16> hexDigits{'0', '1', '2', '3', '4', '5', '6', '7',
                                         '8', '9', 'A', 'B', 'C', 'D', 'E', 'F'};
constexpr unsigned largestPort = 65535;
constexpr std::string_view faviconPath = "/favicon.ico";

constexpr bool isAlphaNumeric(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

bool isHexDigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

constexpr bool isUnreserved(char c) {
    return isAlphaNumeric(c) || c == '-' || c == '.' || c == '_' || c == '~';
}

constexpr bool isSubDelimiter(char c) {
    constexpr std::string_view subDelimiters = "!$&'()*+,;=";
    return subDelimiters.find(c) != std::string_view::npos;
}

enum class Component : unsigned { userInfo, path, query, fragment };

// The characters RFC 3986 lets stand unescaped in a component.
constexpr bool allows(Component component, char c) {
    if (isUnreserved(c) || isSubDelimiter(c) || c == ':') {
        return true;
    }
    switch (component) {
        case Component::userInfo:
            return false;
        case Component::path:
            return c == '@' || c == '/';
        case Component::query:
        case Component::fragment:
            return c == '@' || c == '/' || c == '?';
    }
    return false;
}

// allows() as a table, one bit per component: every character of every
// address read is looked up.
constexpr auto allowedComponents = [] {
    std::array<std::uint8_t, 256> bits{};
    for (unsigned byte = 0; byte < bits.size(); ++byte) {
        for (const auto component :
             {Component::userInfo, Component::path, Component::query, Component::fragment}) {
            if (allows(component, static_cast<char>(byte))) {
                bits[byte] |= 1U << static_cast<unsigned>(component);
            }
        }
    }
    return bits;
}();

bool isAllowed(char c, Component component) {
    return ((allowedComponents[static_cast<unsigned char>(c)] >> static_cast<unsigned>(component)) &
            1U) != 0;
}

void appendPercentEncoded(std::string& out, unsigned char byte) {
    out += '%';
    out += hexDigits[byte >> 4];
    out += hexDigits[byte & 0x0F];
}

void appendEncoded(std::string& out, std::string_view text, Component component) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        const bool validEscape =
            c == '%' && i + 2 < text.size() && isHexDigit(text[i + 1]) && isHexDigit(text[i + 2]);
        if (validEscape || isAllowed(c, component)) {
            out += c;
        } else {
            appendPercentEncoded(out, static_cast<unsigned char>(c));
        }
    }
}

// Appends the authority with its host in ASCII and its user information
// escaped. False when the host name cannot be converted.
bool appendAuthority(std::string& out, std::string_view authority) {
    // Like browsers, split at the last "@": one inside the user information is
    // escaped rather than taken for the end of it.
    if (const auto at = authority.rfind('@'); at != std::string_view::npos) {
        appendEncoded(out, authority.substr(0, at), Component::userInfo);
        out += '@';
        authority.remove_prefix(at + 1);
    }
    std::size_t hostEnd = 0;
    if (authority.starts_with('[')) {
        const auto close = authority.find(']');
        hostEnd = close == std::string_view::npos ? authority.size() : close + 1;
    } else {
        hostEnd = std::min(authority.find(':'), authority.size());
    }
    const auto host = authority.substr(0, hostEnd);
    if (TextRules::isAscii(host)) {
        out += host;
    } else {
        if (host.find('\0') != std::string_view::npos) {
            return false;
        }
        const std::unique_ptr<gchar, decltype(&g_free)> ascii(
            g_hostname_to_ascii(std::string(host).c_str()), &g_free);
        if (!ascii) {
            return false;
        }
        out += ascii.get();
    }
    // The port is left to the parser, which accepts only digits.
    out += authority.substr(hostEnd);
    return true;
}

// Makes the text plain RFC 3986 (see the top of this file). None when it has
// no scheme or its host name cannot be converted.
std::optional<std::string> encodeForParsing(std::string_view text) {
    const auto schemeEnd = text.find_first_of(":/?#");
    if (schemeEnd == std::string_view::npos || text[schemeEnd] != ':') {
        return std::nullopt;
    }
    std::string out;
    out.reserve(text.size() + text.size() / 2);
    out += text.substr(0, schemeEnd + 1);
    auto rest = text.substr(schemeEnd + 1);
    if (rest.starts_with("//")) {
        const auto authorityEnd = std::min(rest.find_first_of("/?#", 2), rest.size());
        out += "//";
        if (!appendAuthority(out, rest.substr(2, authorityEnd - 2))) {
            return std::nullopt;
        }
        rest.remove_prefix(authorityEnd);
    }
    const auto pathEnd = std::min(rest.find_first_of("?#"), rest.size());
    appendEncoded(out, rest.substr(0, pathEnd), Component::path);
    rest.remove_prefix(pathEnd);
    if (rest.starts_with('?')) {
        const auto queryEnd = std::min(rest.find('#'), rest.size());
        out += '?';
        appendEncoded(out, rest.substr(1, queryEnd - 1), Component::query);
        rest.remove_prefix(queryEnd);
    }
    if (rest.starts_with('#')) {
        out += '#';
        appendEncoded(out, rest.substr(1), Component::fragment);
    }
    return out;
}

std::string_view textOf(const UriTextRangeA& range) {
    return {range.first, static_cast<std::size_t>(range.afterLast - range.first)};
}

std::optional<std::string> optionalTextOf(const UriTextRangeA& range) {
    if (range.first == nullptr) {
        return std::nullopt;
    }
    return std::string(textOf(range));
}

bool isPortInRange(std::string_view port) {
    unsigned value = 0;
    for (const char digit : port) {
        value = value * 10 + static_cast<unsigned>(digit - '0');
        if (value > largestPort) {
            return false;
        }
    }
    return true;
}

// A text parsed by uriparser, whose parts point into `text()`. Unless the
// parse is strict, text that is not plain RFC 3986 as it stands is parsed in
// its encoded form. Not movable: the parts point into the object itself.
class ParsedUri {
  public:
    enum class Mode { strict, addressBar };

    ParsedUri(std::string_view text, Mode mode) : text_(text) {
        // Most stored addresses are plain RFC 3986 already; only the others pay
        // for encoding.
        if (parse() || mode == Mode::strict) {
            return;
        }
        auto encoded = encodeForParsing(text);
        if (!encoded) {
            return;
        }
        encoded_ = std::move(*encoded);
        text_ = encoded_;
        parse();
    }
    ParsedUri(const ParsedUri&) = delete;
    ParsedUri& operator=(const ParsedUri&) = delete;
    ~ParsedUri() {
        if (parsed_) {
            uriFreeUriMembersA(&uri_);
        }
    }

    // An absolute URL whose port, if any, is at most 65535.
    bool valid() const { return parsed_; }
    const UriUriA& uri() const { return uri_; }
    std::string_view text() const { return text_; }

  private:
    bool parse() {
        const char* errorPosition = nullptr;
        if (uriParseSingleUriExA(&uri_, text_.data(), text_.data() + text_.size(),
                                 &errorPosition) != URI_SUCCESS) {
            return false;
        }
        parsed_ = true;
        if (uri_.scheme.first == nullptr ||
            (uri_.portText.first != nullptr && !isPortInRange(textOf(uri_.portText)))) {
            uriFreeUriMembersA(&uri_);
            parsed_ = false;
        }
        return parsed_;
    }

    std::string_view text_;
    std::string encoded_;
    UriUriA uri_{};
    bool parsed_ = false;
};

// The end of "scheme://host[:port]" when the text is an http or https address
// that is plain RFC 3986 as it stands and whose host is a name of letters,
// digits, "-" and ".": the form of nearly every stored address. Such text is
// what uriparser would accept unchanged, with that host, so it needs no
// parse. None for any other text, which then goes to uriparser.
std::optional<std::size_t> plainWebOrigin(std::string_view text) {
    const auto schemeEnd = text.find("://");
    if (schemeEnd == std::string_view::npos || !Url::isWebScheme(text.substr(0, schemeEnd))) {
        return std::nullopt;
    }
    const auto hostStart = schemeEnd + 3;
    auto end = hostStart;
    while (end < text.size() &&
           (isAlphaNumeric(text[end]) || text[end] == '-' || text[end] == '.')) {
        ++end;
    }
    if (end == hostStart) {
        return std::nullopt;
    }
    if (end < text.size() && text[end] == ':') {
        const auto portStart = end + 1;
        end = portStart;
        while (end < text.size() && text[end] >= '0' && text[end] <= '9') {
            ++end;
        }
        if (end == portStart || !isPortInRange(text.substr(portStart, end - portStart))) {
            return std::nullopt;
        }
    }
    if (end < text.size() && text[end] != '/' && text[end] != '?' && text[end] != '#') {
        return std::nullopt;
    }
    auto component = Component::path;
    for (auto i = end; i < text.size(); ++i) {
        const char c = text[i];
        if (isAllowed(c, component)) {
            continue;
        }
        if (c == '?' && component == Component::path) {
            component = Component::query;
        } else if (c == '#' && component != Component::fragment) {
            component = Component::fragment;
        } else if (c == '%' && i + 2 < text.size() && isHexDigit(text[i + 1]) &&
                   isHexDigit(text[i + 2])) {
            i += 2;
        } else {
            return std::nullopt;
        }
    }
    return end;
}

// An http or https address; `takeText(read)` gives the address's text from
// the text read, which is exactly what assembling its parts gives.
template <typename TakeText>
std::optional<WebAddress> readWebAddress(std::string_view text, TakeText takeText) {
    if (const auto origin = plainWebOrigin(text)) {
        return WebAddress{takeText(text), true, *origin};
    }
    const ParsedUri parsed(text, ParsedUri::Mode::addressBar);
    if (!parsed.valid() || !Url::isWebScheme(textOf(parsed.uri().scheme))) {
        return std::nullopt;
    }
    const auto& host = parsed.uri().hostText;
    WebAddress address;
    address.hasHost = host.first != nullptr && host.first != host.afterLast;
    const auto parsedText = parsed.text();
    address.originLength = textOf(parsed.uri().scheme).size() + 1;
    if (host.first != nullptr) {
        // After "//", the authority runs up to path, query or fragment: none
        // of "/?#" can stand inside it in RFC 3986 text.
        const auto end =
            std::find_if(parsedText.begin() + static_cast<std::ptrdiff_t>(address.originLength + 2),
                         parsedText.end(), [](char c) { return c == '/' || c == '?' || c == '#'; });
        address.originLength = static_cast<std::size_t>(end - parsedText.begin());
    }
    address.text = takeText(parsedText);
    return address;
}

UrlParts partsOf(const UriUriA& uri) {
    UrlParts parts;
    parts.scheme = std::string(textOf(uri.scheme));
    parts.userInfo = optionalTextOf(uri.userInfo);
    if (uri.hostText.first != nullptr) {
        const bool ipLiteral =
            uri.hostData.ip6 != nullptr || uri.hostData.ipFuture.first != nullptr;
        std::string host(textOf(uri.hostText));
        parts.host = ipLiteral ? '[' + std::move(host) + ']' : std::move(host);
    }
    parts.port = optionalTextOf(uri.portText);
    // Segments are joined by "/"; the path starts with one when it is
    // absolute, which it always is after a host.
    const bool absolute =
        (uri.hostText.first != nullptr && uri.pathHead != nullptr) || uri.absolutePath == URI_TRUE;
    for (const auto* segment = uri.pathHead; segment != nullptr; segment = segment->next) {
        if (segment != uri.pathHead || absolute) {
            parts.path.push_back('/');
        }
        parts.path.append(textOf(segment->text));
    }
    if (absolute && uri.pathHead == nullptr) {
        parts.path.push_back('/');
    }
    parts.query = optionalTextOf(uri.query);
    parts.fragment = optionalTextOf(uri.fragment);
    return parts;
}

std::string compose(const UrlParts& parts) {
    std::string text = parts.scheme + ":";
    if (parts.host) {
        text += "//";
        if (parts.userInfo) {
            text += *parts.userInfo + "@";
        }
        text += *parts.host;
        if (parts.port) {
            text += ":" + *parts.port;
        }
    }
    text += parts.path;
    if (parts.query) {
        text += "?" + *parts.query;
    }
    if (parts.fragment) {
        text += "#" + *parts.fragment;
    }
    return text;
}

}  // namespace

std::optional<UrlParts> Url::parse(std::string_view text) {
    const ParsedUri parsed(text, ParsedUri::Mode::addressBar);
    if (!parsed.valid()) {
        return std::nullopt;
    }
    return partsOf(parsed.uri());
}

std::optional<WebAddress> Url::webAddress(std::string_view text) {
    return readWebAddress(text, [](std::string_view read) { return std::string(read); });
}

std::optional<WebAddress> Url::webAddressFrom(std::string&& text) {
    return readWebAddress(text, [&text](std::string_view read) {
        return read.data() == text.data() ? std::move(text) : std::string(read);
    });
}

std::optional<std::string> Url::assemble(const UrlParts& parts) {
    // Parts that do not read back as themselves cannot form this URL: a "?"
    // in the path, user information without a host, a path without "/" after
    // a host...
    auto text = compose(parts);
    const ParsedUri reread(text, ParsedUri::Mode::strict);
    if (!reread.valid() || partsOf(reread.uri()) != parts) {
        return std::nullopt;
    }
    return text;
}

bool Url::isWebScheme(std::string_view scheme) {
    const auto equalsIgnoringCase = [scheme](std::string_view lowerCase) {
        return std::ranges::equal(scheme, lowerCase, [](char a, char b) {
            return (a >= 'A' && a <= 'Z' ? static_cast<char>(a - 'A' + 'a') : a) == b;
        });
    };
    return equalsIgnoringCase("http") || equalsIgnoringCase("https");
}

std::string Url::scheme(std::string_view text) {
    const auto end = text.find(':');
    if (end == std::string_view::npos || end == 0 || g_ascii_isalpha(text.front()) == 0) {
        return {};
    }
    std::string name(text.substr(0, end));
    for (char& c : name) {
        if (!isAlphaNumeric(c) && c != '+' && c != '-' && c != '.') {
            return {};
        }
        c = g_ascii_tolower(c);
    }
    return name;
}

std::optional<std::string> Url::host(std::string_view url) {
    auto parts = parse(url);
    if (!parts || !parts->host || parts->host->empty()) {
        return std::nullopt;
    }
    return std::move(parts->host);
}

std::optional<std::string> Url::faviconURL(std::string_view url) {
    auto parts = parse(url);
    if (!parts) {
        return std::nullopt;
    }
    parts->path = faviconPath;
    parts->query.reset();
    parts->fragment.reset();
    return assemble(*parts);
}

std::string Url::faviconURL(const WebAddress& address) {
    return address.text.substr(0, address.originLength) + std::string(faviconPath);
}

bool Url::isFaviconURL(std::string_view text, const WebAddress& address) {
    const auto origin = std::string_view(address.text).substr(0, address.originLength);
    return text.size() == origin.size() + faviconPath.size() && text.starts_with(origin) &&
           text.ends_with(faviconPath);
}

std::string Url::hostOrText(std::string_view url) {
    return host(url).value_or(std::string(url));
}

std::string Url::encodeQueryValue(std::string_view value) {
    std::string out;
    out.reserve(value.size());
    for (const char c : value) {
        if (isUnreserved(c)) {
            out += c;
        } else {
            appendPercentEncoded(out, static_cast<unsigned char>(c));
        }
    }
    return out;
}

}  // namespace velumo
