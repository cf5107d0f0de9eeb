// Velumo speaks Chinese whatever the locale, so its titles take the
// Simplified Chinese face: one face and one weight for every character of a
// word, under C.UTF-8 as under zh_CN.UTF-8 (made by the build), in windows
// and menus alike.
#include <algorithm>
#include <clocale>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <gtkmm/checkmenuitem.h>
#include <gtkmm/label.h>
#include <gtkmm/menu.h>
#include <gtkmm/window.h>

#include "UiTestSupport.h"
#include "WidgetQueries.h"
#include "browser/PageDisplayControlsView.h"
#include "design/NativeDesignSystem.h"
#include "workbench/WorkbenchWidgets.h"

namespace velumo::uitest {
namespace {

struct Face {
    std::string family;
    int weight = 0;
    bool operator==(const Face&) const = default;
};

// The faces Pango drew the label's characters with, one for each run of
// characters drawn with the same one.
std::vector<Face> facesOf(Gtk::Label& label) {
    std::vector<Face> faces;
    PangoLayoutIter* runs = pango_layout_get_iter(label.get_layout()->gobj());
    do {
        if (const PangoLayoutRun* run = pango_layout_iter_get_run_readonly(runs)) {
            PangoFontDescription* font = pango_font_describe(run->item->analysis.font);
            faces.push_back(
                {pango_font_description_get_family(font), pango_font_description_get_weight(font)});
            pango_font_description_free(font);
        }
    } while (pango_layout_iter_next_run(runs) != FALSE);
    pango_layout_iter_free(runs);
    return faces;
}

class ChineseType : public UiTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(ChineseType, BoldTitlesTakeOneSimplifiedChineseFace) {
    // As a start under the locale: GTK told Pango nothing yet, and Pango
    // takes the locale's language with the first text laid out, below. Each
    // locale has a process of its own.
    g_setenv("LOCPATH", VELUMO_TEST_LOCALES, TRUE);
    g_setenv("LC_ALL", GetParam(), TRUE);
    ASSERT_STREQ(std::setlocale(LC_ALL, ""), GetParam()) << "the locale is missing";
    // A settings heading, two bookmark tiles, and the section titles of the
    // more-menu's page display controls.
    Gtk::Window window;
    Gtk::Box box(Gtk::ORIENTATION_VERTICAL);
    PageDisplayControlsView controls(1.0, BrowserIdentityMode::desktop, nullptr);
    std::vector<Gtk::Label*> titles{
        nativeLabel("外观与浏览", 16, Pango::WEIGHT_BOLD, NativeTextColor::label),
        WorkbenchWidgets::truncatedLabel("西瓜视频", 12, Pango::WEIGHT_SEMIBOLD,
                                         NativeTextColor::label),
        WorkbenchWidgets::truncatedLabel("小红书", 12, Pango::WEIGHT_SEMIBOLD,
                                         NativeTextColor::label)};
    for (auto* title : titles) {
        box.pack_start(*title, Gtk::PACK_SHRINK);
    }
    box.pack_start(controls, Gtk::PACK_SHRINK);
    window.add(box);
    window.show_all();
    for (const char* text : {"网页缩放", "浏览器模式"}) {
        titles.push_back(
            &firstOf<Gtk::Label>(controls, [&](Gtk::Label& l) { return l.get_text() == text; }));
    }
    // A menu's items take the language only when they show, as the status
    // menu's do when there is no panel to draw it.
    Gtk::Menu menu;
    auto* entry = Gtk::make_managed<Gtk::CheckMenuItem>("西瓜视频");
    entry->set_active(true);
    menu.append(*entry);
    menu.show_all();
    // As a click on the window would open it.
    GdkEvent* click = gdk_event_new(GDK_BUTTON_PRESS);
    click->button.window = GDK_WINDOW(g_object_ref(window.get_window()->gobj()));
    click->button.time = GDK_CURRENT_TIME;
    gdk_event_set_device(click, gdk_seat_get_pointer(gdk_display_get_default_seat(
                                    gdk_window_get_display(click->button.window))));
    menu.popup_at_widget(&box, Gdk::GRAVITY_SOUTH_WEST, Gdk::GRAVITY_NORTH_WEST, click);
    gdk_event_free(click);
    ASSERT_TRUE(runUntil([&] { return entry->get_child()->get_mapped(); }));
    titles.push_back(dynamic_cast<Gtk::Label*>(entry->get_child()));

    ASSERT_EQ(pango_language_get_default(), pango_language_from_string(GetParam()));

    for (auto* title : titles) {
        const auto faces = facesOf(*title);
        const Face first = faces.at(0);
        EXPECT_EQ(first.family, "Noto Sans CJK SC") << title->get_text();
        for (const auto& face : faces) {
            EXPECT_EQ(face, first)
                << title->get_text() << ": " << face.family << " " << face.weight;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Locales, ChineseType, ::testing::Values("C.UTF-8", "zh_CN.UTF-8"),
                         [](const auto& locale) {
                             std::string name = locale.param;
                             std::ranges::replace(name, '.', '_');
                             std::ranges::replace(name, '-', '_');
                             return name;
                         });

}  // namespace
}  // namespace velumo::uitest
