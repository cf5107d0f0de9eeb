#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "data/Models.h"

namespace velumo {

// What a floating window knows about its page (address, title, zoom,
// identity) and the rules by which the web view's reports change it.
class PageState {
  public:
    // Measures the page after each finished load: `viewport` is the visible
    // width, `content` the width of the laid-out page.
    static constexpr std::string_view fitToViewportScript =
        "(() => {\n"
        "  const root = document.documentElement;\n"
        "  const body = document.body;\n"
        "  const viewport = Math.max(root?.clientWidth || 0, window.innerWidth || 0);\n"
        "  const content = Math.max(root?.scrollWidth || 0, body?.scrollWidth || 0);\n"
        "  return { viewport, content };\n"
        "})()";

    explicit PageState(std::string initialURL);

    const std::string& initialURL() const { return initialURL_; }
    const std::string& currentURL() const { return currentURL_; }
    const std::string& displayTitle() const { return displayTitle_; }
    double pageZoom() const { return pageZoom_; }
    bool hasManualPageZoom() const { return hasManualPageZoom_; }
    BrowserIdentityMode identity() const { return identity_; }

    // The new page started to arrive, or finished loading. The title shown
    // is the page's own, cleaned (PageTitle), or the address when nothing of
    // it is left; the same text is recorded and bookmarked. Answers whether
    // the page named itself.
    bool arrived(std::optional<std::string_view> url, std::optional<std::string_view> title);
    // The page changed its title (same rule).
    bool titleChanged(std::optional<std::string_view> title);

    // The measured widths give the zoom to apply, unless the user zoomed by
    // hand or the numbers say nothing; the answer becomes `pageZoom`.
    std::optional<double> fit(double viewport, double content);
    // `fit` for the script's answer as JSON text, where a number that is not
    // finite reads null; an answer that is not the two widths changes nothing.
    std::optional<double> fitMeasured(std::string_view answer);
    // The user set the zoom: automatic fitting stops for good. Answers the
    // zoom in force (tenths within 0.3 ... 3.0).
    double setManualZoom(double zoom);
    // A zoom the window brings back (a site's, a saved window's) rather than
    // one the user sets now: fixed like a zoom by hand; none fits again.
    void presetZoom(std::optional<double> zoom);
    // Answers whether the identity changed (the page must then reload).
    bool setIdentity(BrowserIdentityMode mode);

  private:
    // Shows the cleaned title, or the address when nothing is left of it;
    // answers whether the title was used.
    bool showTitleOrAddress(std::optional<std::string_view> title);

    std::string initialURL_;
    std::string currentURL_;
    std::string displayTitle_;
    double pageZoom_ = 1.0;
    bool hasManualPageZoom_ = false;
    BrowserIdentityMode identity_ = BrowserIdentityMode::desktop;
};

}  // namespace velumo
