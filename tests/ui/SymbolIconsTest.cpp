#include <string>

#include <gtkmm/icontheme.h>

#include "UiTestSupport.h"
#include "design/SymbolIcons.h"

namespace velumo::uitest {
namespace {

using SymbolIconsTest = UiTest;

TEST_F(SymbolIconsTest, EverySymbolStandsForAnIconOfTheTheme) {
    auto theme = Gtk::IconTheme::get_default();
    for (const auto& entry : SymbolIcons::table()) {
        EXPECT_TRUE(theme->has_icon(std::string(entry.iconName)))
            << entry.symbol << " -> " << entry.iconName;
    }
}

TEST_F(SymbolIconsTest, AnUnknownSymbolGivesAnEmptyImageNotTheMissingIcon) {
    auto* known = SymbolIcons::makeImage("xmark", 13);
    auto* unknown = SymbolIcons::makeImage("no.such.symbol", 13);
    EXPECT_EQ(known->get_storage_type(), Gtk::IMAGE_ICON_NAME);
    EXPECT_EQ(known->get_pixel_size(), 13);
    EXPECT_EQ(unknown->get_storage_type(), Gtk::IMAGE_EMPTY);
    delete known;
    delete unknown;
}

}  // namespace
}  // namespace velumo::uitest
