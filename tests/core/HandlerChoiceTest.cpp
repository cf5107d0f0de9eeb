#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "browser/HandlerChoice.h"

namespace velumo {
namespace {

// Velumo's desktop entry registers it for web addresses; a person may make it
// the default browser. Its own "open in the default browser" must then reach
// another browser, not come back to it.
TEST(HandlerChoice, SkipsVelumosOwnEntryForTheNextRegisteredBrowser) {
    const std::string own = "com.orvantis.velumo.desktop";
    const struct {
        std::vector<std::string> entries;
        HandlerChoice choice;
    } cases[] = {
        {{}, {}},
        {{"firefox-esr.desktop", own}, {}},
        // The default comes again among the registered ones.
        {{own, own, "firefox-esr.desktop", "chromium.desktop"}, {Handoff::nextApplication, 2}},
        {{own, own}, {Handoff::onlyVelumo}},
    };
    for (const auto& [entries, choice] : cases) {
        EXPECT_EQ(HandlerChoices::choose(entries), choice) << entries.size() << " entries";
    }
}

}  // namespace
}  // namespace velumo
