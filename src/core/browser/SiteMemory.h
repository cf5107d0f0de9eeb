#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "data/Models.h"

namespace velumo {

// What a person chose by hand for a site; what was never chosen is absent.
struct SitePreferences {
    std::optional<double> zoom = std::nullopt;
    std::optional<BrowserIdentityMode> identity = std::nullopt;
    std::optional<double> opacity = std::nullopt;

    bool operator==(const SitePreferences&) const = default;
};

struct RememberedSite {
    std::string host;
    SitePreferences preferences;

    bool operator==(const RememberedSite&) const = default;
};

// The zoom, identity and opacity chosen by hand per site (its host), as
// browsers remember zoom: the most recently used first, the least recently
// used dropped beyond siteLimit. Only a person's own choice in a window is
// remembered; what a window applies by itself (a fitted zoom, a remembered
// or restored value, the default opacity) never is.
class SiteMemory {
  public:
    static constexpr std::size_t siteLimit = 500;

    SiteMemory() = default;
    // From stored records, most recent first: records without a site, with
    // no valid choice left, or repeating an earlier site are dropped, values
    // out of range forgotten, and only the first siteLimit kept.
    explicit SiteMemory(std::vector<RememberedSite> sites);

    // The site of an http or https address: its host in lower case.
    static std::optional<std::string> siteOf(std::string_view url);
    // A zoom or an opacity on the window's own steps and within its range;
    // none for a number that is not finite.
    static std::optional<double> validZoom(double zoom);
    static std::optional<double> validOpacity(double opacity);

    // What was chosen for the address's site, which becomes the most recent.
    std::optional<SitePreferences> recall(std::string_view url);
    bool remembers(std::string_view url) const;
    // Adds the values `choice` holds to the site's; the site becomes the most
    // recent. False when the address has no site or the values are invalid.
    bool remember(std::string_view url, const SitePreferences& choice);
    // Whether there was anything to forget.
    bool forget(std::string_view url);

    // Most recent first.
    const std::vector<RememberedSite>& sites() const { return sites_; }

    bool operator==(const SiteMemory&) const = default;

  private:
    std::vector<RememberedSite>::iterator find(std::string_view host);
    // The choice's valid values; none when it holds none.
    static std::optional<SitePreferences> valid(const SitePreferences& choice);

    std::vector<RememberedSite> sites_;
};

}  // namespace velumo
