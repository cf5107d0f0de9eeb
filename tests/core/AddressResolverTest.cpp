#include <string_view>

#include <gtest/gtest.h>

#include "data/AddressResolver.h"

namespace velumo {
namespace {

TEST(SearchEngineAddresses, HomeAndSearchAddressesOfEachEngine) {
    EXPECT_EQ(homeURL(SearchEngine::bing), "https://www.bing.com/");
    EXPECT_EQ(homeURL(SearchEngine::google), "https://www.google.com/");
    EXPECT_EQ(homeURL(SearchEngine::duckduckgo), "https://duckduckgo.com/");
    EXPECT_EQ(searchURL(SearchEngine::google, "Hello  World"),
              "https://www.google.com/search?q=Hello%20%20World");
    EXPECT_EQ(searchURL(SearchEngine::bing, "C++ 教程&page=2#top"),
              "https://www.bing.com/search?q=C%2B%2B%20%E6%95%99%E7%A8%8B%26page%3D2%23top");
    EXPECT_EQ(AddressResolver::resolve("北京", SearchEngine::duckduckgo),
              "https://duckduckgo.com/?q=%E5%8C%97%E4%BA%AC");
}

struct ResolveCase {
    std::string_view typed;
    std::string_view expected;
};

class AddressResolution : public testing::TestWithParam<ResolveCase> {};

TEST_P(AddressResolution, OpensAnAddressOrSearches) {
    EXPECT_EQ(AddressResolver::resolve(GetParam().typed, SearchEngine::bing), GetParam().expected)
        << GetParam().typed;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, AddressResolution,
    testing::Values(
        ResolveCase{" \n\t\u3000", "https://www.bing.com/"},
        ResolveCase{"HTTP://EXAMPLE.COM/Path ", "HTTP://EXAMPLE.COM/Path"},
        // A space the URL reader can escape opens; one in the host cannot, so
        // the text is searched for.
        ResolveCase{"https://example.com/a b", "https://example.com/a%20b"},
        ResolveCase{"https://exa mple.com",
                    "https://www.bing.com/search?q=https%3A%2F%2Fexa%20mple.com"},
        ResolveCase{"example.com/path?q=1", "https://example.com/path?q=1"},
        ResolveCase{"zh.wikipedia.org/wiki/北京",
                    "https://zh.wikipedia.org/wiki/%E5%8C%97%E4%BA%AC"},
        ResolveCase{"例子.测试", "https://xn--fsqu00a.xn--0zwm56d"},
        ResolveCase{"example.com:8080/x", "https://example.com:8080/x"},
        ResolveCase{"localhost:8080", "https://www.bing.com/search?q=localhost%3A8080"},
        ResolveCase{"3.14", "https://3.14"},
        ResolveCase{"hello world.com", "https://www.bing.com/search?q=hello%20world.com"},
        ResolveCase{"javascript:alert(1)",
                    "https://www.bing.com/search?q=javascript%3Aalert%281%29"},
        ResolveCase{"example.com:99999", "https://www.bing.com/search?q=example.com%3A99999"},
        ResolveCase{"bad\xFF", "https://www.bing.com/search?q=bad%FF"}));

}  // namespace
}  // namespace velumo
