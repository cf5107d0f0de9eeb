#include "browser/SiteMemory.h"

#include <algorithm>
#include <cmath>

#include <glib.h>

#include "browser/WindowGeometry.h"
#include "data/AppDataSanitizer.h"
#include "data/Url.h"

namespace velumo {
SiteMemory::SiteMemory(std::vector<RememberedSite> sites) {
    for (auto& site : sites) {
        if (sites_.size() == siteLimit) {
            break;
        }
        const auto checked = valid(site.preferences);
        if (!checked || siteOf("http://" + site.host + "/") != site.host ||
            find(site.host) != sites_.end()) {
            continue;
        }
        sites_.push_back({std::move(site.host), *checked});
    }
}

std::optional<std::string> SiteMemory::siteOf(std::string_view url) {
    const auto address = AppDataSanitizer::webURL(url);
    auto host = address ? Url::host(*address) : std::nullopt;
    if (!host || host->empty()) {
        return std::nullopt;
    }
    std::ranges::transform(*host, host->begin(),
                           [](char c) { return static_cast<char>(g_ascii_tolower(c)); });
    return host;
}

std::optional<double> SiteMemory::validZoom(double zoom) {
    return std::isfinite(zoom) ? std::optional(WindowGeometry::pageZoomFromSlider(zoom))
                               : std::nullopt;
}

std::optional<double> SiteMemory::validOpacity(double opacity) {
    return std::isfinite(opacity) ? std::optional(WindowGeometry::opacityFromSlider(opacity))
                                  : std::nullopt;
}

std::optional<SitePreferences> SiteMemory::valid(const SitePreferences& choice) {
    SitePreferences checked;
    checked.zoom = choice.zoom ? validZoom(*choice.zoom) : std::nullopt;
    checked.opacity = choice.opacity ? validOpacity(*choice.opacity) : std::nullopt;
    checked.identity = choice.identity;
    if (!checked.zoom && !checked.opacity && !checked.identity) {
        return std::nullopt;
    }
    return checked;
}

std::vector<RememberedSite>::iterator SiteMemory::find(std::string_view host) {
    return std::ranges::find(sites_, host, &RememberedSite::host);
}

std::optional<SitePreferences> SiteMemory::recall(std::string_view url) {
    const auto host = siteOf(url);
    const auto found = host ? find(*host) : sites_.end();
    if (found == sites_.end()) {
        return std::nullopt;
    }
    std::rotate(sites_.begin(), found, found + 1);
    return sites_.front().preferences;
}

bool SiteMemory::remembers(std::string_view url) const {
    const auto host = siteOf(url);
    return host && std::ranges::find(sites_, *host, &RememberedSite::host) != sites_.end();
}

bool SiteMemory::remember(std::string_view url, const SitePreferences& choice) {
    const auto host = siteOf(url);
    const auto checked = valid(choice);
    if (!host || !checked) {
        return false;
    }
    auto found = find(*host);
    if (found == sites_.end()) {
        if (sites_.size() == siteLimit) {
            sites_.pop_back();
        }
        sites_.insert(sites_.begin(), {*host, {}});
    } else {
        std::rotate(sites_.begin(), found, found + 1);
    }
    SitePreferences& kept = sites_.front().preferences;
    kept.zoom = checked->zoom ? checked->zoom : kept.zoom;
    kept.identity = checked->identity ? checked->identity : kept.identity;
    kept.opacity = checked->opacity ? checked->opacity : kept.opacity;
    return true;
}

bool SiteMemory::forget(std::string_view url) {
    const auto host = siteOf(url);
    return host && std::erase_if(sites_, [&](const auto& site) { return site.host == *host; }) > 0;
}

}  // namespace velumo
