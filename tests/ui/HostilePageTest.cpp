// What a page cannot do behind the person's back: save files, start other
// applications, or speak through dialogs that are not the application's own.
#include <fstream>
#include <sstream>

#include <gtkmm/entry.h>
#include <gtkmm/filechooserdialog.h>

#include "FloatingWindowFixture.h"
#include "WidgetQueries.h"

namespace velumo::uitest {
namespace {

using std::chrono::milliseconds;

class HostilePage : public FloatingWindowTest {
  protected:
    HostilePage() {
        // Every download that ends with a file, whoever started it.
        g_signal_connect(
            session_.context(), "download-started",
            G_CALLBACK(+[](WebKitWebContext*, WebKitDownload* download, gpointer self) {
                g_signal_connect(download, "finished", G_CALLBACK(downloadFinished), self);
            }),
            this);
    }
    ~HostilePage() override { g_signal_handlers_disconnect_by_data(session_.context(), this); }

    static void downloadFinished(WebKitDownload* download, gpointer self) {
        if (const char* destination = webkit_download_get_destination(download)) {
            static_cast<HostilePage*>(self)->saved.emplace_back(destination);
        }
    }

    static Gtk::FileChooserDialog* openChooser() {
        for (Gtk::Window* window : Gtk::Window::list_toplevels()) {
            if (auto* chooser = dynamic_cast<Gtk::FileChooserDialog*>(window);
                chooser && chooser->get_visible()) {
                return chooser;
            }
        }
        return nullptr;
    }

    std::vector<std::string> saved;
};

std::string contentOf(const std::filesystem::path& path) {
    std::ifstream file(path);
    std::stringstream content;
    content << file.rdbuf();
    return content.str();
}

TEST_F(HostilePage, FilesAreSavedOnlyFromAClickAndWhereThePersonChooses) {
    const std::string report = "a,b\n1,2\n";
    server_.page("/report.csv", report, "text/csv",
                 {{"Content-Disposition", "attachment; filename=\"report.csv\""}});
    server_.page("/data.bin", std::string(4096, 'x'), "application/x-velumo");
    // A hidden frame, a download link clicked by the page and a script's
    // navigation: none of them is the person's.
    server_.page("/",
                 "<title>Files</title><a id=report href=/report.csv>report</a>"
                 "<a id=auto download href=/report.csv></a>"
                 "<iframe style='display:none' src=/data.bin></iframe><script>"
                 "setTimeout(() => auto.click(), 100);"
                 "setTimeout(() => location.href = '/data.bin', 200);</script>");
    auto window = open(server_.url("/"));
    ASSERT_TRUE(runUntil([&] { return server_.requestCount("/data.bin") == 2; }));
    runFor(milliseconds(1000));
    EXPECT_TRUE(saved.empty());
    EXPECT_EQ(openChooser(), nullptr);
    EXPECT_EQ(window->displayTitle(), "Files");

    clickElement(*window, "#report");
    ASSERT_TRUE(runUntil([&] { return openChooser() != nullptr; }));
    Gtk::FileChooserDialog& chooser = *openChooser();
    EXPECT_EQ(chooser.get_transient_for(), &window->panel());
    const char* downloads = g_get_user_special_dir(G_USER_DIRECTORY_DOWNLOAD);
    const std::string expected = downloads != nullptr ? downloads : g_get_home_dir();
    // The chooser reads its folder on its own schedule.
    EXPECT_TRUE(runUntil([&] { return chooser.get_current_folder() == expected; }));
    EXPECT_EQ(chooser.get_current_name(), "report.csv");
    const auto destination = folder_ / "chosen.csv";
    // GTK's chooser fills its path bar's icons for that folder a moment later;
    // moved elsewhere before then, GTK itself sets an image that is gone.
    runFor(milliseconds(500));
    chooser.set_current_folder(folder_.string());
    chooser.set_current_name("chosen.csv");
    ASSERT_TRUE(runUntil([&] { return chooser.get_filename() == destination.string(); }));
    chooser.response(Gtk::RESPONSE_ACCEPT);
    EXPECT_TRUE(runUntil([&] { return !saved.empty(); }));
    EXPECT_EQ(saved, std::vector<std::string>{destination.string()});
    EXPECT_EQ(contentOf(destination), report);
}

TEST_F(HostilePage, OtherApplicationsStartOnlyOnceThePersonAgrees) {
    server_.page("/", "<title>Links</title><a id=share href='smb://server/share'>share</a>");
    auto window = open(server_.url("/"));
    for (const auto& [button, launched] :
         {std::pair{"取消", std::vector<std::string>{}},
          {"打开", std::vector<std::string>{"smb://server/share"}}}) {
        clickElement(*window, "#share");
        ASSERT_TRUE(runUntil([] { return openDialog() != nullptr; }));
        EXPECT_EQ(openDialog()->property_text().get_value(), "要打开外部应用“smb handler”吗？");
        EXPECT_EQ(openDialog()->get_transient_for(), &window->panel());
        EXPECT_TRUE(launcher_.launched.empty());
        choose(*openDialog(), button);
        EXPECT_TRUE(runUntil([] { return openDialog() == nullptr; }));
        EXPECT_EQ(launcher_.launched, launched);
    }
}

TEST_F(HostilePage, ThePagesOwnDialogsAreTheApplicationsAndSpeakChinese) {
    server_.page("/", "<title>Dialogs</title>");
    auto window = open(server_.url("/"));
    ASSERT_TRUE(evaluate(*window,
                         "setTimeout(() => { alert('第一'); document.title = "
                         "confirm('第二') + ' ' + prompt('名字？', '默认'); }, 0); 1")
                    .has_value());
    const struct {
        std::vector<std::string> texts;
        const char* answer;
    } dialogs[] = {
        {{"“127.0.0.1”显示", "第一", "确定"}, "确定"},
        {{"“127.0.0.1”显示", "第二", "取消", "确定"}, "取消"},
        {{"“127.0.0.1”显示", "名字？", "取消", "确定"}, "确定"},
    };
    for (const auto& dialog : dialogs) {
        ASSERT_TRUE(runUntil([&] {
            return openDialog() != nullptr && labelTexts(*openDialog()) == dialog.texts;
        })) << (openDialog() != nullptr ? labelTexts(*openDialog()).at(1) : "no dialog");
        Gtk::MessageDialog& shown = *openDialog();
        EXPECT_EQ(shown.get_transient_for(), &window->panel());
        if (dialog.texts[1] == "名字？") {
            auto& field = firstOf<Gtk::Entry>(shown);
            EXPECT_EQ(field.get_text(), "默认");
            field.set_text("小明");
        }
        choose(shown, dialog.answer);
    }
    EXPECT_TRUE(runUntil([&] { return window->displayTitle() == "false 小明"; }));
}

}  // namespace
}  // namespace velumo::uitest
