// The shared look on real widgets: palette colours as GTK draws them, live
// appearance changes from a settings portal on the private session bus, and
// the styled widgets' sizes.
#include <atkmm/object.h>
#include <cairomm/context.h>
#include <cairomm/surface.h>
#include <cmath>
#include <cstdint>
#include <memory>

#include <gtkmm/label.h>
#include <gtkmm/settings.h>
#include <gtkmm/stylecontext.h>

#include "TestSettingsPortal.h"
#include "UiTestSupport.h"
#include "WidgetQueries.h"
#include "design/NativeAccentButton.h"
#include "design/NativeCanvasView.h"
#include "design/NativeCardView.h"
#include "design/NativeDesignSystem.h"
#include "design/NativeModeControl.h"
#include "design/NativePalette.h"
#include "design/NativeSymbolButton.h"

namespace velumo::uitest {
namespace {

constexpr std::uint32_t portalDark = 1;
constexpr std::uint32_t portalLight = 2;
constexpr int cardInset = 22;

struct Pixel {
    int red = 0;
    int green = 0;
    int blue = 0;
    int alpha = 0;
};

std::ostream& operator<<(std::ostream& out, const Pixel& p) {
    return out << "(" << p.red << ", " << p.green << ", " << p.blue << ", " << p.alpha << ")";
}

// A palette colour as GTK draws it onto a transparent surface (premultiplied).
Pixel pixelOf(const PaletteColor& color) {
    const auto byte = [&](double component) {
        return static_cast<int>(std::lround(component * color.alpha * 255));
    };
    return {byte(color.red), byte(color.green), byte(color.blue),
            static_cast<int>(std::lround(color.alpha * 255))};
}

bool near(const Pixel& a, const Pixel& b) {
    return std::abs(a.red - b.red) <= 1 && std::abs(a.green - b.green) <= 1 &&
           std::abs(a.blue - b.blue) <= 1 && std::abs(a.alpha - b.alpha) <= 1;
}

// What `widget` draws itself at (x, y), on nothing.
Pixel drawnAt(Gtk::Widget& widget, int x, int y) {
    // A restyle may have left a layout pending; GTK draws only laid-out widgets.
    dynamic_cast<Gtk::Container*>(widget.get_toplevel())->check_resize();
    auto surface = Cairo::ImageSurface::create(Cairo::FORMAT_ARGB32, widget.get_allocated_width(),
                                               widget.get_allocated_height());
    gtk_widget_draw(widget.gobj(), Cairo::Context::create(surface)->cobj());
    surface->flush();
    const auto* row =
        surface->get_data() + (static_cast<std::ptrdiff_t>(y) * surface->get_stride());
    const auto argb =
        *reinterpret_cast<const std::uint32_t*>(row + (static_cast<std::ptrdiff_t>(x) * 4));
    return {static_cast<int>((argb >> 16U) & 0xffU), static_cast<int>((argb >> 8U) & 0xffU),
            static_cast<int>(argb & 0xffU), static_cast<int>(argb >> 24U)};
}

bool preferDark() {
    return Gtk::Settings::get_default()->property_gtk_application_prefer_dark_theme().get_value();
}

// A window with a canvas holding a card around a label.
class NativeThemeTest : public UiTest {
  protected:
    void SetUp() override {
        canvas.pack_start(card, Gtk::PACK_EXPAND_WIDGET);
        card.set_margin_top(30);
        card.set_margin_bottom(30);
        card.set_margin_start(30);
        card.set_margin_end(30);
        window.add(canvas);
        window.set_default_size(400, 240);
        window.show_all();
        ASSERT_TRUE(presentAndWait(window));
    }
    void TearDown() override {
        applyNativeTheme("system");
        UiTest::TearDown();
    }

    // The card's surface (inside the border, outside the content), its
    // border, and the canvas around it.
    Pixel surfacePixel() { return drawnAt(card, 8, card.get_allocated_height() / 2); }
    Pixel borderPixel() { return drawnAt(card, 0, card.get_allocated_height() / 2); }
    Pixel canvasPixel() { return drawnAt(canvas, 10, 10); }

    bool shows(Appearance appearance) {
        return near(surfacePixel(), pixelOf(NativePalette::surface(appearance))) &&
               near(borderPixel(), pixelOf(NativePalette::stroke(appearance))) &&
               near(canvasPixel(), pixelOf(NativePalette::canvas(appearance))) &&
               preferDark() == (appearance == Appearance::dark);
    }
    // Waits for the appearance to reach the widgets already on screen.
    bool turns(Appearance appearance) {
        return runUntil([&] { return shows(appearance); });
    }

    Gtk::Window window;
    NativeCanvasView canvas;
    Gtk::Label text{"卡片内容"};
    NativeCardView card{text, cardInset};
};

TEST_F(NativeThemeTest, CardsAndCanvasesFollowThePortalLiveAndForcedPreferencesIgnoreIt) {
    for (const auto version :
         {TestSettingsPortal::Version::withReadOne, TestSettingsPortal::Version::readOnly}) {
        TestSettingsPortal portal(portalLight, version);
        applyNativeTheme("system");
        ASSERT_TRUE(turns(Appearance::light)) << surfacePixel() << borderPixel();

        portal.setColorScheme(portalDark);
        EXPECT_TRUE(turns(Appearance::dark)) << surfacePixel() << borderPixel();

        applyNativeTheme("Dark");
        portal.setColorScheme(portalLight);
        EXPECT_TRUE(turns(Appearance::light)) << "only the exact \"dark\" forces dark";

        applyNativeTheme("dark");
        EXPECT_TRUE(turns(Appearance::dark));
        portal.setColorScheme(portalLight);
        runFor(std::chrono::milliseconds(100));
        EXPECT_TRUE(shows(Appearance::dark));

        applyNativeTheme("light");
        portal.setColorScheme(portalDark);
        runFor(std::chrono::milliseconds(100));
        EXPECT_TRUE(shows(Appearance::light));
        // A preference read at the start (the portal says dark by now).
        applyNativeTheme("system");
        EXPECT_TRUE(shows(Appearance::dark));
    }
}

TEST_F(NativeThemeTest, CardInsetAndTheStyledWidgetsKeepTheirSizes) {
    window.resize(520, 300);
    ASSERT_TRUE(runUntil([&] { return card.get_allocated_width() == 520 - 60; }));
    int x = -1;
    int y = -1;
    text.translate_coordinates(card, 0, 0, x, y);
    EXPECT_EQ(x, cardInset);
    EXPECT_EQ(y, cardInset);
    EXPECT_EQ(text.get_allocated_width(), card.get_allocated_width() - 2 * cardInset);
    EXPECT_EQ(text.get_allocated_height(), card.get_allocated_height() - 2 * cardInset);

    Gtk::Window sample;
    NativeAccentButton accent("保存设置");
    accent.set_size_request(112, -1);
    NativeSymbolButton gear("gearshape", "设置");
    NativeSymbolButton close("xmark", "关闭当前窗口", {}, 28);
    NativeSymbolButton unknown("no.such.symbol", "未知");
    NativeModeControl mode;
    Gtk::Box row(Gtk::ORIENTATION_HORIZONTAL, 10);
    for (Gtk::Widget* widget :
         std::initializer_list<Gtk::Widget*>{&accent, &gear, &close, &unknown, &mode}) {
        row.pack_start(*widget, Gtk::PACK_SHRINK);
    }
    // Nothing stretches the widgets vertically in a taller window.
    sample.add(row);
    sample.set_default_size(300, 400);
    sample.show_all();
    ASSERT_TRUE(presentAndWait(sample));

    EXPECT_EQ(accent.get_allocated_height(), 42);
    EXPECT_EQ(accent.get_allocated_width(), 112);
    EXPECT_EQ(gear.get_allocated_width(), 40);
    EXPECT_EQ(gear.get_allocated_height(), 40);
    EXPECT_EQ(close.get_allocated_width(), 28);
    EXPECT_EQ(close.get_allocated_height(), 28);
    EXPECT_EQ(iconNames(close), std::vector<std::string>{"window-close-symbolic"});
    EXPECT_TRUE(iconNames(unknown).empty());
    EXPECT_EQ(&buttonNamed(row, "关闭当前窗口"), &close);

    EXPECT_EQ(mode.get_allocated_height(), 34);
    EXPECT_EQ(mode.get_accessible()->get_name(), "新窗口显示模式");
    EXPECT_EQ(labelTexts(mode), (std::vector<std::string>{"窗口模式", "广告模式"}));
    for (auto* segment : descendants(mode)) {
        if (dynamic_cast<Gtk::Button*>(segment) != nullptr) {
            EXPECT_EQ(segment->get_allocated_width(), 94);
        }
    }
    EXPECT_EQ(mode.selectedMode(), BrowserWindowMode::window);
    clickOn(firstOf<Gtk::Label>(mode, [](Gtk::Label& l) { return l.get_text() == "广告模式"; }));
    // A loaded display may hand the click over a little later.
    EXPECT_TRUE(runUntil([&] { return mode.selectedMode() == BrowserWindowMode::advertisement; }));
}

TEST_F(NativeThemeTest, AccentIsTheSameInBothAppearancesAndMutedTextIsGrey) {
    auto* muted = nativeLabel("次要文字", 11, Pango::WEIGHT_NORMAL, NativeTextColor::muted);
    NativeAccentButton accent("保存设置");
    auto* stack = nativeVStack({muted, &accent}, 8);
    canvas.pack_start(*stack, Gtk::PACK_SHRINK);
    window.show_all();
    for (const auto appearance : {Appearance::light, Appearance::dark}) {
        applyNativeTheme(appearance == Appearance::dark ? "dark" : "light");
        ASSERT_TRUE(turns(appearance));
        const auto color = muted->get_style_context()->get_color(Gtk::STATE_FLAG_NORMAL);
        const double grey = NativePalette::muted(appearance).red;
        EXPECT_NEAR(color.get_red(), grey, 1e-3);
        EXPECT_NEAR(color.get_green(), grey, 1e-3);
        EXPECT_NEAR(color.get_blue(), grey, 1e-3);
        // The button's fill beside its title.
        EXPECT_TRUE(near(drawnAt(accent, 3, accent.get_allocated_height() / 2),
                         pixelOf(NativePalette::accent(Appearance::light))))
            << drawnAt(accent, 3, accent.get_allocated_height() / 2);
    }
}

}  // namespace
}  // namespace velumo::uitest
