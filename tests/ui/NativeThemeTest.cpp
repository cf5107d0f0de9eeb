// The shared look on real widgets: palette colours as GTK draws them, live
// appearance changes from a settings portal on the private session bus or
// from a settings daemon, text that stays readable on Velumo's own surfaces
// under every look, and the styled widgets' sizes.
#include <algorithm>
#include <array>
#include <atkmm/object.h>
#include <cairomm/context.h>
#include <cairomm/surface.h>
#include <cmath>
#include <csignal>
#include <cstdint>
#include <fstream>
#include <map>
#include <memory>

#include <gtkmm/label.h>
#include <gtkmm/settings.h>
#include <gtkmm/stylecontext.h>

#include "FloatingWindowFixture.h"
#include "SettingsServices.h"
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
#include "design/NativeTheme.h"
#include "design/ThemeResolution.h"
#include "shell/SettingsWindowController.h"
#include "workbench/WorkbenchWindowController.h"

namespace velumo::uitest {
namespace {

constexpr std::uint32_t portalDark = 1;
constexpr std::uint32_t portalLight = 2;
constexpr int cardInset = 22;

// A pixel as premultiplied 0xAARRGGBB, as cairo stores it.
using Pixel = std::uint32_t;

std::uint8_t channel(Pixel pixel, unsigned shift) {
    return static_cast<std::uint8_t>((pixel >> shift) & 0xffU);
}

// A palette colour as GTK draws it onto a transparent surface.
Pixel pixelOf(const PaletteColor& color) {
    const auto byte = [&](double component, unsigned shift) {
        return static_cast<Pixel>(std::lround(component * 255)) << shift;
    };
    return byte(color.alpha, 24) | byte(color.red * color.alpha, 16) |
           byte(color.green * color.alpha, 8) | byte(color.blue * color.alpha, 0);
}

bool near(Pixel a, Pixel b) {
    return std::ranges::all_of(std::array{0U, 8U, 16U, 24U}, [&](unsigned shift) {
        return std::abs(channel(a, shift) - channel(b, shift)) <= 1;
    });
}

// What `widget` draws, on nothing (premultiplied ARGB).
Cairo::RefPtr<Cairo::ImageSurface> drawing(Gtk::Widget& widget) {
    // A restyle may have left a layout pending; GTK draws only laid-out widgets.
    dynamic_cast<Gtk::Container*>(widget.get_toplevel())->check_resize();
    auto surface = Cairo::ImageSurface::create(Cairo::FORMAT_ARGB32, widget.get_allocated_width(),
                                               widget.get_allocated_height());
    gtk_widget_draw(widget.gobj(), Cairo::Context::create(surface)->cobj());
    surface->flush();
    return surface;
}

Pixel argbAt(const Cairo::RefPtr<Cairo::ImageSurface>& surface, int x, int y) {
    const auto* row =
        surface->get_data() + (static_cast<std::ptrdiff_t>(y) * surface->get_stride());
    return *reinterpret_cast<const std::uint32_t*>(row + (static_cast<std::ptrdiff_t>(x) * 4));
}

// What `widget` draws itself at (x, y), on nothing.
Pixel drawnAt(Gtk::Widget& widget, int x, int y) {
    return argbAt(drawing(widget), x, y);
}

// The desktop's XSETTINGS manager, played by xsettingsd as lighter desktops
// run it: GTK takes the theme name from it and hears each change.
class XSettingsDaemon {
  public:
    XSettingsDaemon() {
        write("Adwaita");
        process_ = g_subprocess_new(G_SUBPROCESS_FLAGS_STDERR_SILENCE, nullptr, "xsettingsd", "-c",
                                    config_.c_str(), nullptr);
        EXPECT_NE(process_, nullptr) << "xsettingsd did not start";
        waitFor("Adwaita");
    }
    ~XSettingsDaemon() {
        if (process_ != nullptr) {
            g_subprocess_force_exit(process_);
            g_subprocess_wait(process_, nullptr, nullptr);
            g_object_unref(process_);
        }
    }
    XSettingsDaemon(const XSettingsDaemon&) = delete;
    XSettingsDaemon& operator=(const XSettingsDaemon&) = delete;

    // The daemon reads its file again on a hang-up.
    void setThemeName(const std::string& name) {
        write(name);
        g_subprocess_send_signal(process_, SIGHUP);
        waitFor(name);
    }

  private:
    void write(const std::string& name) {
        std::ofstream(config_) << "Net/ThemeName \"" << name << "\"\n";
    }
    static void waitFor(const std::string& name) {
        EXPECT_TRUE(runUntil([&] {
            Glib::ustring announced;
            return Gdk::Screen::get_default()->get_setting("gtk-theme-name", announced) &&
                   announced == name;
        })) << name;
    }

    TemporaryFolder folder_;
    std::filesystem::path config_ = folder_.path() / "xsettingsd.conf";
    GSubprocess* process_ = nullptr;
};

// The contrast ratio of a label's text to its background, as drawn: the
// colour most of the label's box shows is the background, the one furthest
// from it in luminance the text.
double contrastOf(Gtk::Label& label) {
    // A label in a scrolled page is brought into view first.
    if (auto* scroller =
            gtk_widget_get_ancestor(GTK_WIDGET(label.gobj()), GTK_TYPE_SCROLLED_WINDOW)) {
        auto* scrolling = gtk_scrolled_window_get_vadjustment(GTK_SCROLLED_WINDOW(scroller));
        int x = 0;
        int y = 0;
        gtk_widget_translate_coordinates(GTK_WIDGET(label.gobj()), scroller, 0, 0, &x, &y);
        const double top = y + gtk_adjustment_get_value(scrolling);
        gtk_adjustment_clamp_page(scrolling, top, top + label.get_allocated_height());
        drainMainLoop();
    }
    auto& window = *label.get_toplevel();
    const auto surface = drawing(window);
    int left = 0;
    int top = 0;
    label.translate_coordinates(window, 0, 0, left, top);
    std::map<Pixel, int> counts;
    for (int y = std::max(top, 0);
         y < std::min(top + label.get_allocated_height(), surface->get_height()); ++y) {
        for (int x = std::max(left, 0);
             x < std::min(left + label.get_allocated_width(), surface->get_width()); ++x) {
            ++counts[argbAt(surface, x, y)];
        }
    }
    const auto luminance = [](Pixel pixel) {
        const auto component = [&](unsigned shift) { return channel(pixel, shift) / 255.0; };
        return ThemeResolution::relativeLuminance({component(16), component(8), component(0), 1});
    };
    if (counts.empty()) {
        return 0;
    }
    const double background = luminance(std::ranges::max_element(counts, {}, [](const auto& count) {
                                            return count.second;
                                        })->first);
    double best = 1;
    for (const auto& [pixel, count] : counts) {
        const double text = luminance(pixel);
        best = std::max(best,
                        (std::max(text, background) + 0.05) / (std::min(text, background) + 0.05));
    }
    return best;
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
        ASSERT_TRUE(turns(Appearance::light)) << std::hex << surfacePixel() << " " << borderPixel();

        portal.setColorScheme(portalDark);
        EXPECT_TRUE(turns(Appearance::dark)) << std::hex << surfacePixel() << " " << borderPixel();

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
            << std::hex << drawnAt(accent, 3, accent.get_allocated_height() / 2);
    }
}

class ThemeContrast : public FloatingWindowTest, protected SettingsServices {
  protected:
    ThemeContrast()
        : favicons_(folder_ / "favicons", FaviconLoader::iconSide),
          workbench_({store_, manager_, launcher_, favicons_, [] {}}) {}

    void TearDown() override {
        settingsWindow_.window().hide();
        applyNativeTheme("system");
        FloatingWindowTest::TearDown();
    }

    FaviconLoader favicons_;
    WorkbenchWindowController workbench_;
    SettingsWindowController settingsWindow_{store, hotKeys, autostart};
};

TEST_F(ThemeContrast, LabelsOnVelumosSurfacesReadUnderLightDarkAndInverseDesktops) {
    XSettingsDaemon desktop;
    server_.page("/", "<title>浮窗页面</title><p>页面</p>");
    workbench_.showWindow();
    settingsWindow_.show();
    auto floating = open(server_.url("/"));

    auto& bench = workbench_.window();
    auto& settings = settingsWindow_.window();
    // Headings on cards, a bookmark's tile, the segments of the mode
    // controls, a check box, and the floating window's title.
    const std::vector<std::pair<Gtk::Widget*, std::string>> texts{
        {&bench, "我的收藏"},
        {&bench, "小红书"},
        {&bench, "当前窗口"},
        {&bench, "广告模式"},
        {&settings, "外观与浏览"},
        {&settings, "主题"},
        {&settings, "深色"},
        {&settings, "关闭最后一个窗口后继续运行"},
        {&floating->panel(), "浮窗页面"}};

    struct Look {
        std::string theme;
        bool preferDark;
        std::string preference;
        Appearance shown;
    };
    const std::vector<Look> looks{{"Adwaita", false, "system", Appearance::light},
                                  {"Adwaita", true, "system", Appearance::dark},
                                  {"HighContrastInverse", false, "system", Appearance::dark},
                                  {"HighContrastInverse", false, "light", Appearance::light},
                                  {"Adwaita", false, "system", Appearance::light}};
    for (const auto& [theme, preferDark, preference, shown] : looks) {
        const std::string look =
            theme + (preferDark ? " preferring dark" : "") + ", preference " + preference;
        desktop.setThemeName(theme);
        Gtk::Settings::get_default()->property_gtk_application_prefer_dark_theme() = preferDark;
        applyNativeTheme(preference);
        EXPECT_TRUE(runUntil([&] { return NativeTheme::shared().appearance() == shown; })) << look;
        for (const auto& [window, text] : texts) {
            auto& drawn =
                firstOf<Gtk::Label>(*window, [&](Gtk::Label& l) { return l.get_text() == text; });
            EXPECT_TRUE(runUntil([&] { return contrastOf(drawn) >= 4.5; }))
                << text << " under " << look << ": " << contrastOf(drawn);
        }
    }
}

}  // namespace
}  // namespace velumo::uitest
