#include <memory>
#include <string>

#include <gtkmm/icontheme.h>

#include "UiTestSupport.h"
#include "design/SymbolIcons.h"

namespace velumo::uitest {
namespace {

using SymbolIconsTest = UiTest;

TEST_F(SymbolIconsTest, EverySymbolStandsForAnIconOfTheThemeAndAnUnknownOneForNone) {
    auto theme = Gtk::IconTheme::get_default();
    for (const auto& entry : SymbolIcons::table()) {
        EXPECT_TRUE(theme->has_icon(std::string(entry.iconName)))
            << entry.symbol << " -> " << entry.iconName;
    }
    // Empty rather than the theme's "missing image" picture.
    const std::unique_ptr<Gtk::Image> unknown(SymbolIcons::makeImage("no.such.symbol", 13));
    EXPECT_EQ(unknown->get_storage_type(), Gtk::IMAGE_EMPTY);
}

}  // namespace
}  // namespace velumo::uitest
