#include <optional>
#include <string>
#include <string_view>

#include <gtest/gtest.h>

#include "data/AppDataSanitizer.h"

namespace velumo {
namespace {

struct AddressCase {
    std::string_view text;
    std::optional<std::string_view> expected;
};

class WebURLCheck : public testing::TestWithParam<AddressCase> {};

TEST_P(WebURLCheck, KeepsOnlyHttpAndHttpsAddressesWithAHost) {
    const auto url = AppDataSanitizer::webURL(GetParam().text);
    EXPECT_EQ(url, GetParam().expected) << GetParam().text;
    if (url) {
        EXPECT_EQ(AppDataSanitizer::webURL(*url), url) << "a stored address must pass again";
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, WebURLCheck,
    testing::Values(AddressCase{"  http://example.com\n", "http://example.com"},
                    AddressCase{"HTTPS://EXAMPLE.COM/Path", "HTTPS://EXAMPLE.COM/Path"},
                    AddressCase{"https://example.com/a b", "https://example.com/a%20b"},
                    AddressCase{"http://[::1]:8080/", "http://[::1]:8080/"},
                    AddressCase{"javascript:alert(1)", std::nullopt},
                    AddressCase{"ftp://example.com/file", std::nullopt},
                    AddressCase{"https:/path/without/host", std::nullopt},
                    AddressCase{"https:///path", std::nullopt},
                    AddressCase{"example.com", std::nullopt}, AddressCase{"   ", std::nullopt},
                    AddressCase{"https://exa mple.com/", std::nullopt},
                    AddressCase{"https://example.com/\u200Bx", std::nullopt},
                    AddressCase{"https://example.com/\xFF", std::nullopt}));

TEST(WebURLCheck, LimitsTheTypedAndTheStoredFormTo4096Bytes) {
    const std::string prefix = "https://example.com/";
    const std::string fits = prefix + std::string(4096 - prefix.size(), 'a');
    EXPECT_EQ(AppDataSanitizer::webURL(" " + fits + " "), fits);
    EXPECT_EQ(AppDataSanitizer::webURL(fits + "a"), std::nullopt);

    // Under 4096 bytes typed, three times that escaped: refused, or the stored
    // address would be dropped at the next read.
    std::string chinese = prefix;
    while (chinese.size() + 3 <= 4096) {
        chinese += "北";
    }
    EXPECT_EQ(AppDataSanitizer::webURL(chinese), std::nullopt);
}

TEST(TextCheck, TrimsCountsCharactersAndRefusesControlCharacters) {
    EXPECT_EQ(AppDataSanitizer::text("\t" + std::string(512, 'a') + "\u3000", 512),
              std::string(512, 'a'));
    EXPECT_EQ(AppDataSanitizer::text(std::string(513, 'a'), 512), std::nullopt);
    std::string flags;  // 128 characters of 8 bytes each
    for (int i = 0; i < 128; ++i) {
        flags += "\U0001F1E8\U0001F1F3";
    }
    EXPECT_EQ(AppDataSanitizer::text(flags, 128), flags);
    EXPECT_EQ(AppDataSanitizer::text(flags + "a", 128), std::nullopt);
    EXPECT_EQ(AppDataSanitizer::text(" \u3000\n", 10), std::nullopt);
    EXPECT_EQ(AppDataSanitizer::text("a\u200Db", 10), std::nullopt);
    EXPECT_EQ(AppDataSanitizer::text("line\nbreak", 20), std::nullopt);
    EXPECT_EQ(AppDataSanitizer::text("bad\xFF", 10), std::nullopt);
}

TEST(IdentifierCheck, AcceptsUpTo64LettersMarksDigitsUnderscoresAndHyphens) {
    EXPECT_TRUE(AppDataSanitizer::validID("书签_42-编号"));
    EXPECT_TRUE(AppDataSanitizer::validID(std::string(64, 'x')));
    EXPECT_FALSE(AppDataSanitizer::validID(std::string(65, 'x')));
    std::string accented;  // 64 characters of two scalars each
    for (int i = 0; i < 64; ++i) {
        accented += "e\u0301";
    }
    EXPECT_TRUE(AppDataSanitizer::validID(accented));
    EXPECT_FALSE(AppDataSanitizer::validID(""));
    EXPECT_FALSE(AppDataSanitizer::validID("a.b"));
    EXPECT_FALSE(AppDataSanitizer::validID(" a"));
}

}  // namespace
}  // namespace velumo
