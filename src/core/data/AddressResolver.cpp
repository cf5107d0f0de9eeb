#include "data/AddressResolver.h"

#include "data/TextRules.h"
#include "data/Url.h"

namespace velumo {
namespace {

struct EngineAddresses {
    std::string_view host;
    std::string_view searchPath;
};

EngineAddresses addressesOf(SearchEngine engine) {
    switch (engine) {
        case SearchEngine::google:
            return {"www.google.com", "/search"};
        case SearchEngine::duckduckgo:
            return {"duckduckgo.com", "/"};
        case SearchEngine::bing:
            break;
    }
    return {"www.bing.com", "/search"};
}

}  // namespace

std::string homeURL(SearchEngine engine) {
    return "https://" + std::string(addressesOf(engine).host) + "/";
}

std::string searchURL(SearchEngine engine, std::string_view text) {
    const auto addresses = addressesOf(engine);
    return "https://" + std::string(addresses.host) + std::string(addresses.searchPath) +
           "?q=" + Url::encodeQueryValue(text);
}

std::string AddressResolver::resolve(std::string_view text, SearchEngine engine) {
    const auto trimmed = TextRules::trimmed(text);
    if (trimmed.empty()) {
        return homeURL(engine);
    }
    // An address without a host would open a blank window; it is searched for.
    if (auto address = Url::webAddress(trimmed); address && address->hasHost) {
        return std::move(address->text);
    }
    // Text that names its own scheme and authority was meant as that address:
    // it is searched for, never opened behind a second "https://".
    if (const auto scheme = Url::scheme(trimmed);
        !scheme.empty() && trimmed.substr(scheme.size() + 1).starts_with("//")) {
        return searchURL(engine, trimmed);
    }
    // Bare host names, with or without a path: "example.com/page".
    if (trimmed.find(' ') == std::string_view::npos &&
        trimmed.find('.') != std::string_view::npos) {
        if (auto address = Url::webAddress("https://" + std::string(trimmed))) {
            return std::move(address->text);
        }
    }
    return searchURL(engine, trimmed);
}

}  // namespace velumo
