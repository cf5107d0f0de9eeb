#include <gmodule.h>
#include <memory>
#include <system_error>

#include <gio/gio.h>

#include "app/InstalledFiles.h"
#include "browser/WebEngine.h"

namespace velumo::WebEngine {
namespace {

std::string moduleError() {
    const gchar* error = g_module_error();
    return error != nullptr ? error : "";
}

}  // namespace

std::string modulePath() {
    static const std::string found = [] {
        const std::string folder = InstalledFiles::find(
            VELUMO_WEB_ENGINE_FROM_BINDIR, VELUMO_WEB_ENGINE_BUILD_DIR,
            [](const std::filesystem::path& candidate) {
                std::error_code error;
                return std::filesystem::is_regular_file(candidate / "velumo_web_engine.so", error);
            });
        return folder.empty() ? folder : folder + "/velumo_web_engine.so";
    }();
    return found;
}

void preload(const std::string& path) {
    if (path.empty()) {
        return;
    }
    // The system's loader lets one library load at a time. GIO loads its own
    // modules when the application starts up; loaded first, they never wait
    // for the engine's.
    g_vfs_get_default();
    g_thread_unref(g_thread_new(
        "velumo-engine",
        [](gpointer data) -> gpointer {
            std::unique_ptr<gchar, decltype(&g_free)> path(static_cast<gchar*>(data), g_free);
            if (GModule* module = g_module_open(path.get(), G_MODULE_BIND_LOCAL)) {
                g_module_make_resident(module);
            }
            return nullptr;
        },
        g_strdup(path.c_str())));
}

FloatingWindowFactory loadingFactory(Services services, ApplicationPort& alerts, std::string path) {
    auto loaded = std::make_shared<FloatingWindowFactory>();
    return [services = std::move(services), &alerts, path = std::move(path), loaded](
               BrowserWindowManager& manager, const std::string& url,
               BrowserWindowMode mode) -> std::shared_ptr<FloatingWindow> {
        if (!*loaded) {
            std::string reason = "找不到 velumo_web_engine.so";
            // Kept for the rest of the run: WebKit cannot be unloaded.
            if (GModule* module =
                    path.empty() ? nullptr : g_module_open(path.c_str(), G_MODULE_BIND_LOCAL)) {
                g_module_make_resident(module);
                gpointer entry = nullptr;
                if (g_module_symbol(module, entryName, &entry)) {
                    reinterpret_cast<Entry>(entry)(services, *loaded);
                } else {
                    reason = moduleError();
                }
            } else if (!path.empty()) {
                reason = moduleError();
            }
            if (!*loaded) {
                alerts.showAlert(unavailableMessage,
                                 std::string(unavailableInformative) + "\n" + reason);
                return nullptr;
            }
        }
        return (*loaded)(manager, url, mode);
    };
}

}  // namespace velumo::WebEngine
