#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "browser/NavigationPolicy.h"

namespace velumo {
namespace {

using Decision = NavigationDecision;

struct Case {
    std::string url;
    bool targetsFrame;
    bool userGesture;
    Decision expected;
};

class NavigationPolicyCases : public ::testing::TestWithParam<Case> {};

// Every scheme has a handler here, so each refusal below comes from the rule.
TEST_P(NavigationPolicyCases, Decides) {
    const Case& c = GetParam();
    std::vector<std::string> asked;
    const auto decision = NavigationPolicy::decide({c.url, c.targetsFrame, c.userGesture},
                                                   [&](const std::string& scheme) {
                                                       asked.push_back(scheme);
                                                       return true;
                                                   });
    EXPECT_EQ(decision, c.expected) << c.url;
    if (decision != Decision::handToDesktop) {
        EXPECT_TRUE(asked.empty() || decision == Decision::cancel) << c.url;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Schemes, NavigationPolicyCases,
    ::testing::Values(
        // Web pages load in place; new-window requests load in this same view.
        Case{"https://example.com/", true, false, Decision::allow},
        Case{"https://example.com/popup", false, true, Decision::loadInThisView},
        Case{"http://example.com/popup", false, false, Decision::loadInThisView},
        // Inline content stays in its frame and never opens a window.
        Case{"about:blank", true, false, Decision::allow},
        Case{"data:text/html,hi", true, false, Decision::allow},
        Case{"about:blank", false, true, Decision::cancel},
        Case{"Data:text/html,hi", false, true, Decision::cancel},
        // Applications open only from a person's click.
        Case{"mailto:a@example.com", false, true, Decision::handToDesktop},
        Case{"zoommtg://zoom.us/join?confno=1", true, false, Decision::cancel},
        Case{"tel:+861234", false, false, Decision::cancel},
        // Local resources never leave, clicked or not.
        Case{"file:///etc/passwd", true, true, Decision::cancel},
        Case{"FILE:///home/user/run.desktop", true, true, Decision::cancel},
        Case{"ghelp:gnome-help", true, true, Decision::cancel},
        Case{"javascript:alert(1)", false, true, Decision::cancel},
        // Nothing to decide on.
        Case{"", true, true, Decision::cancel}, Case{"://missing", true, true, Decision::cancel}));

TEST(NavigationPolicy, AnUnhandledSchemeDoesNothingAndTheLookupIsOnlyMadeForAClick) {
    int lookups = 0;
    auto none = [&](const std::string&) {
        ++lookups;
        return false;
    };
    EXPECT_EQ(NavigationPolicy::decide({"made-up:thing", true, true}, none), Decision::cancel);
    EXPECT_EQ(lookups, 1);
    EXPECT_EQ(NavigationPolicy::decide({"made-up:thing", true, false}, none), Decision::cancel);
    EXPECT_EQ(NavigationPolicy::decide({"https://example.com", false, false}, none),
              Decision::loadInThisView);
    EXPECT_EQ(lookups, 1);
}

}  // namespace
}  // namespace velumo
