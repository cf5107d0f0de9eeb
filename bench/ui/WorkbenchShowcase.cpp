// The workbench as a person sees it after a while: the default bookmarks and
// a few of their own (some with site icons), recent visits and two floating
// windows, in the light or dark appearance. Prints "ready" once everything
// has arrived, then waits for SIGTERM; scripts/run photographs it headless.
// Usage: velumo_workbench_showcase light|dark top|end
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <tuple>

#include <gtkmm/application.h>
#include <gtkmm/scrolledwindow.h>
#include <libsoup/soup.h>

#include "MeasuredApplication.h"
#include "app/GtkApplicationPort.h"
#include "browser/BrowserWindowController.h"
#include "browser/GioDesktopLauncher.h"
#include "design/NativeDesignSystem.h"
#include "workbench/WorkbenchWindowController.h"

namespace {

// A square site icon in one colour, as PNG bytes.
std::string iconBytes(guint32 rgba) {
    GdkPixbuf* pixbuf = gdk_pixbuf_new(GDK_COLORSPACE_RGB, TRUE, 8, 32, 32);
    gdk_pixbuf_fill(pixbuf, rgba);
    gchar* buffer = nullptr;
    gsize size = 0;
    gdk_pixbuf_save_to_buffer(pixbuf, &buffer, &size, "png", nullptr, nullptr);
    std::string bytes(buffer, size);
    g_free(buffer);
    g_object_unref(pixbuf);
    return bytes;
}

// Pages and icons on 127.0.0.1, so the picture needs no network.
class LocalSite {
  public:
    LocalSite() {
        soup_server_listen_local(server_, 0, SOUP_SERVER_LISTEN_IPV4_ONLY, nullptr);
        GSList* uris = soup_server_get_uris(server_);
        port_ = g_uri_get_port(static_cast<GUri*>(uris->data));
        g_slist_free_full(uris, reinterpret_cast<GDestroyNotify>(g_uri_unref));
        soup_server_add_handler(
            server_, nullptr,
            +[](SoupServer*, SoupServerMessage* message, const char* path, GHashTable*, gpointer) {
                const std::string page = path;
                std::string body;
                const char* type = "text/html; charset=utf-8";
                if (page == "/favicon.ico") {
                    // Each host name its own colour.
                    const std::string host = g_uri_get_host(soup_server_message_get_uri(message));
                    body = iconBytes(host == "localhost" ? 0xe0683dff : 0x3d7be0ff);
                    type = "image/png";
                } else {
                    const std::string title =
                        page == "/notes" ? "每日笔记 · 待办清单" : "实时行情看板";
                    body = "<!DOCTYPE html><html><head><meta charset='utf-8'><title>" + title +
                           "</title></head><body><h1>" + title + "</h1></body></html>";
                }
                soup_server_message_set_status(message, SOUP_STATUS_OK, nullptr);
                soup_server_message_set_response(message, type, SOUP_MEMORY_COPY, body.data(),
                                                 body.size());
            },
            nullptr, nullptr);
    }
    ~LocalSite() { g_object_unref(server_); }
    LocalSite(const LocalSite&) = delete;
    LocalSite& operator=(const LocalSite&) = delete;

    std::string url(const std::string& path, const std::string& host = "127.0.0.1") const {
        return "http://" + host + ":" + std::to_string(port_) + path;
    }

  private:
    SoupServer* server_ = soup_server_new(nullptr, nullptr);
    int port_ = 0;
};

struct Progress {
    velumo::BrowserWindowManager* manager;
    velumo::FaviconLoader* favicons;
    // Set when the page is to be shown scrolled to its end.
    std::unique_ptr<velumo::WorkbenchWindowController>* scrolled;
};

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s light|dark top|end\n", argv[0]);
        return EXIT_FAILURE;
    }
    const std::string appearance = argv[1];
    const bool end = std::string(argv[2]) == "end";
    auto application = measuredApplication("org.example.VelumoWorkbenchShowcase");

    char* made = g_dir_make_tmp("velumo-showcase-XXXXXX", nullptr);
    const std::filesystem::path folder = made;
    g_free(made);
    LocalSite site;
    velumo::AppDataStore store(folder / "app-data.json");
    velumo::BrowserWindowManager manager(store);
    velumo::GtkApplicationPort port;
    velumo::GioDesktopLauncher launcher(port);
    velumo::WebSession session(folder / "web-data", folder / "web-cache");
    velumo::FaviconLoader favicons(folder / "favicons", velumo::FaviconLoader::iconSide);
    std::unique_ptr<velumo::WorkbenchWindowController> workbench;

    application->signal_activate().connect([&] {
        velumo::applyNativeTheme(appearance);
        manager.setApplicationPort(&port);
        manager.setWindowFactory(velumo::BrowserWindowController::factory(
            store, launcher, [&session]() -> velumo::WebSession& { return session; },
            &velumo::ScreenLayout::ofDisplay));
        for (const auto& [title, path, host] :
             {std::tuple{"团队周报与项目进度汇总（第三季度，含各小组的详细数据与下季度计划）",
                         "/report", "127.0.0.1"},
              std::tuple{"设计稿评审", "/design", "localhost"},
              std::tuple{"接口文档", "/api", "127.0.0.1"},
              std::tuple{"Grafana 监控", "/grafana", "localhost"}}) {
            [[maybe_unused]] const auto added =
                store.addBookmarkThrowing(site.url(path, host), title);
        }
        for (const auto* title :
             {"百度一下，你就知道", "哔哩哔哩 (゜-゜)つロ 干杯~", "知乎 - 有问题，就会有答案",
              "Bing",
              "GitHub · 拉取请求 #128：修复浮窗在多显示器上的定位与缩放，并补上对应的界面测试"}) {
            [[maybe_unused]] const auto visited =
                store.recordVisitThrowing("https://www.example.com/", title);
        }
        workbench = std::make_unique<velumo::WorkbenchWindowController>(
            velumo::WorkbenchViewController::Services{store, manager, launcher, favicons, {}});
        application->add_window(workbench->window());
        manager.createWindow(site.url("/notes"), velumo::BrowserWindowMode::window);
        manager.createWindow(site.url("/board"), velumo::BrowserWindowMode::advertisement);
        workbench->showWindow();
    });
    // Once both pages have their titles and the icons have arrived, the
    // windows step aside so the workbench is in full view.
    g_timeout_add(
        200,
        +[](gpointer data) -> gboolean {
            auto& [manager, favicons, scrolled] = *static_cast<Progress*>(data);
            const auto& windows = manager->windows();
            if (windows.size() < 2 || favicons->pending() > 0) {
                return G_SOURCE_CONTINUE;
            }
            for (const auto& window : windows) {
                if (window->displayTitle().starts_with("127.0.0.1")) {
                    return G_SOURCE_CONTINUE;
                }
            }
            manager->hideAll();
            if (scrolled != nullptr) {
                auto* page = (*scrolled)->workbenchViewController().heroCard().get_ancestor(
                    GTK_TYPE_SCROLLED_WINDOW);
                auto adjustment = dynamic_cast<Gtk::ScrolledWindow*>(page)->get_vadjustment();
                adjustment->set_value(adjustment->get_upper());
            }
            std::puts("ready");
            std::fflush(stdout);
            return G_SOURCE_REMOVE;
        },
        new Progress{&manager, &favicons, end ? &workbench : nullptr});
    const int status = application->run(1, argv);
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
    return status;
}
