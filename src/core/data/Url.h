#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace velumo {

// An absolute URL split into its RFC 3986 parts. Absent parts are nullopt;
// an empty path is "". Scheme and host keep the case they were given in; an IP
// literal host keeps its brackets ("[::1]").
struct UrlParts {
    std::string scheme;
    std::optional<std::string> userInfo;
    std::optional<std::string> host;
    std::optional<std::string> port;
    std::string path;
    std::optional<std::string> query;
    std::optional<std::string> fragment;

    bool operator==(const UrlParts&) const = default;
};

// The text of an http or https address, as Url::webAddress reads it.
struct WebAddress {
    std::string text;
    bool hasHost = false;  // a host that is not empty
    // The length of "scheme://authority" at the start of the text ("scheme:"
    // when there is no authority): what the site's icon address keeps.
    std::size_t originLength = 0;

    bool operator==(const WebAddress&) const = default;
};

namespace Url {

// Parses text as an address bar would: characters a URL cannot hold (spaces,
// non-ASCII in path, query or fragment) are percent-encoded as UTF-8 and an
// internationalised host name becomes its ASCII (punycode) form. None when the
// text is not an absolute URL with a scheme.
std::optional<UrlParts> parse(std::string_view text);

// An http or https address read as parse() reads it, in the text assemble()
// gives for it, in one pass.
std::optional<WebAddress> webAddress(std::string_view text);

// The same for text the caller gives up: when reading changes nothing, the
// text itself becomes the address's text, without a copy.
std::optional<WebAddress> webAddressFrom(std::string&& text);

// True for "http" and "https" in any case.
bool isWebScheme(std::string_view scheme);

// The scheme the text starts with, in lower case: a letter, then letters,
// digits, "+", "-" and ".", up to the first ":". Empty when there is none.
std::string scheme(std::string_view text);

// Re-assembles the parts into absolute text; none when they cannot form a URL.
std::optional<std::string> assemble(const UrlParts& parts);

// The host of an address, or none when it does not parse or has no host.
std::optional<std::string> host(std::string_view url);

// The site's icon: the address with path "/favicon.ico" and without query and
// fragment; none when the text does not parse.
std::optional<std::string> faviconURL(std::string_view url);

// The icon address of an address webAddress() gave, without parsing again:
// the same text faviconURL(address.text) gives.
std::string faviconURL(const WebAddress& address);

// Whether the text is that icon address, without building it.
bool isFaviconURL(std::string_view text, const WebAddress& address);

// The text shown for a page without a title: the host, else the whole address.
std::string hostOrText(std::string_view url);

// Percent-encodes a URL query value (UTF-8; a space becomes %20, never "+").
std::string encodeQueryValue(std::string_view value);

}  // namespace Url
}  // namespace velumo
