#include <set>
#include <string>

#include <gtest/gtest.h>

#include "shell/HotKeyAccelerator.h"

namespace velumo {
namespace {

struct Grab {
    const char* shortcut;
    const char* accelerator;
};

class HotKeyAccelerators : public ::testing::TestWithParam<Grab> {};

TEST_P(HotKeyAccelerators, NameTheDesktopsModifiersAndTheUnshiftedKeysym) {
    const auto combination = ShortcutText::parse(GetParam().shortcut);
    ASSERT_TRUE(combination);
    EXPECT_EQ(HotKeyAccelerator::text(*combination), std::string(GetParam().accelerator));
}

INSTANTIATE_TEST_SUITE_P(
    Shortcuts, HotKeyAccelerators,
    ::testing::Values(Grab{"Command+Option+B", "<Alt><Super>b"},
                      Grab{"Command+Option+[", "<Alt><Super>bracketleft"},
                      Grab{"Option+Command+]", "<Alt><Super>bracketright"},
                      Grab{"Shift+Control+-", "<Control><Shift>minus"},
                      Grab{"Control+Option+Shift+Command+=", "<Control><Alt><Shift><Super>equal"},
                      Grab{"Shift+,", "<Shift>comma"}, Grab{"Ctrl+.", "<Control>period"},
                      Grab{"Alt+/", "<Alt>slash"}));

TEST(HotKeyAccelerator, EveryKeyOfTheShortcutTableHasItsOwnKeysym) {
    std::set<std::string_view> names;
    for (const ShortcutKey& key : ShortcutText::keys) {
        const auto name = HotKeyAccelerator::keysymName(key.keyCode);
        ASSERT_TRUE(name) << key.token;
        names.insert(*name);
    }
    EXPECT_EQ(names.size(), ShortcutText::keys.size());
    // Key code 18 is the "1" key, which a shortcut may not use.
    EXPECT_EQ(HotKeyAccelerator::text({18, ShortcutText::commandModifier}), std::nullopt);
}

}  // namespace
}  // namespace velumo
