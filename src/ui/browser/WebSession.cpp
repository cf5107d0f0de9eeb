#include "browser/WebSession.h"

#include <memory>
#include <system_error>
#include <utility>

#include <glib.h>

#include "app/InstalledFiles.h"
#include "browser/PageScriptChannel.h"
#include "data/DurableFile.h"

namespace velumo {
namespace {

// Runs in every frame. A frame pauses its own media and passes the request
// on to its child frames by message, which also reaches frames of other
// origins; the random key keeps pages from forging or reading the request.
std::string mediaScript(const std::string& key) {
    return R"((() => {
  const key = ")" +
           key + R"(";
  const pauseAll = () => {
    for (const media of document.querySelectorAll("audio, video")) {
      try { media.pause(); } catch (error) {}
    }
    for (let i = 0; i < window.frames.length; i++) {
      try { window.frames[i].postMessage({ [key]: "pause" }, "*"); } catch (error) {}
    }
  };
  window.addEventListener("message", (event) => {
    if (event.data && event.data[key] === "pause") {
      pauseAll();
    }
  });
  globalThis["pause_" + key] = pauseAll;
})();
)";
}

std::string randomKey() {
    char* uuid = g_uuid_string_random();
    std::string key = std::string("k") + uuid;
    g_free(uuid);
    for (char& c : key) {
        if (c == '-') {
            c = '_';
        }
    }
    return key;
}

// The folder of Velumo's page extension, which runs the application's own
// scripts in pages (PageScriptChannel); WebKit loads every module there.
const std::string& pageExtensionFolder() {
    static const std::string found =
        InstalledFiles::find(VELUMO_WEB_EXTENSIONS_FROM_BINDIR, VELUMO_WEB_EXTENSIONS_BUILD_DIR,
                             [](const std::filesystem::path& folder) {
                                 std::error_code error;
                                 return std::filesystem::is_directory(folder, error);
                             });
    return found;
}

}  // namespace

WebSession::WebSession(const std::filesystem::path& dataDirectory,
                       const std::filesystem::path& cacheDirectory,
                       std::chrono::milliseconds spareIdleTime,
                       std::chrono::milliseconds sparePrepareDelay)
    : sparePlan_({.prepare = [this] { prepareSpareView(); }, .giveUp = [this] { dropSpareView(); }},
                 spareIdleTime, sparePrepareDelay) {
    // Cookies, storage and cache are the user's alone, whatever mode the
    // folders had. Should this fail, WebKit reports it when it writes there.
    for (const auto& folder : {dataDirectory, cacheDirectory}) {
        [[maybe_unused]] const auto made = DurableFile::makePrivateFolder(folder);
    }
    dataManager_ =
        webkit_website_data_manager_new("base-data-directory", dataDirectory.c_str(),
                                        "base-cache-directory", cacheDirectory.c_str(), nullptr);
    webkit_website_data_manager_set_tls_errors_policy(dataManager_, WEBKIT_TLS_ERRORS_POLICY_FAIL);
    const std::filesystem::path cookies = dataDirectory / "cookies.sqlite";
    webkit_cookie_manager_set_persistent_storage(
        webkit_website_data_manager_get_cookie_manager(dataManager_), cookies.c_str(),
        WEBKIT_COOKIE_PERSISTENT_STORAGE_SQLITE);
    context_ = webkit_web_context_new_with_website_data_manager(dataManager_);
    webkit_web_context_set_cache_model(context_, WEBKIT_CACHE_MODEL_WEB_BROWSER);
    if (pageExtensionFolder().empty()) {
        g_warning("Velumo's page extension is missing: pages are neither fitted nor paused");
    } else {
        webkit_web_context_set_web_extensions_directory(context_, pageExtensionFolder().c_str());
    }
    g_signal_connect(context_, "download-started", G_CALLBACK(downloadStarted), this);

    const std::string key = randomKey();
    pauseCall_ = "pause_" + key + "()";
    content_ = webkit_user_content_manager_new();
    WebKitUserScript* script = webkit_user_script_new_for_world(
        mediaScript(key).c_str(), WEBKIT_USER_CONTENT_INJECT_ALL_FRAMES,
        WEBKIT_USER_SCRIPT_INJECT_AT_DOCUMENT_START, PageScriptChannel::world, nullptr, nullptr);
    webkit_user_content_manager_add_script(content_, script);
    webkit_user_script_unref(script);

    memoryMonitor_ = g_memory_monitor_dup_default();
    g_signal_connect(memoryMonitor_, "low-memory-warning",
                     G_CALLBACK(+[](GMemoryMonitor*, GMemoryMonitorWarningLevel, gpointer self) {
                         static_cast<WebSession*>(self)->sparePlan_.memoryLow();
                     }),
                     this);
}

WebSession::~WebSession() {
    g_signal_handlers_disconnect_by_data(memoryMonitor_, this);
    g_object_unref(memoryMonitor_);
    dropSpareView();
    g_signal_handlers_disconnect_by_data(context_, this);
    g_object_unref(content_);
    g_object_unref(context_);
    g_object_unref(dataManager_);
}

WebSession& WebSession::shared() {
    static WebSession session(
        std::filesystem::path(g_get_user_data_dir()) / "com.orvantis.velumo" / "web",
        std::filesystem::path(g_get_user_cache_dir()) / "com.orvantis.velumo" / "web");
    return session;
}

GtkWidget* WebSession::createWebView(std::string_view userAgent) {
    ++openPages_;
    if (spare_ == nullptr) {
        return newWebView(userAgent);
    }
    GtkWidget* view = std::exchange(spare_, nullptr);
    g_signal_handlers_disconnect_by_data(view, this);
    sparePlan_.taken();
    webkit_settings_set_user_agent(webkit_web_view_get_settings(WEBKIT_WEB_VIEW(view)),
                                   std::string(userAgent).c_str());
    // The session's reference becomes the caller's.
    g_object_force_floating(G_OBJECT(view));
    return view;
}

void WebSession::pageShown() {
    sparePlan_.pageShown(openPages_);
}

void WebSession::pageClosed() {
    openPages_ -= openPages_ > 0 ? 1 : 0;
    sparePlan_.pageClosed(openPages_);
}

// WebKit starts a view's web process with its first load, or with the first
// message to its page, which leaves nothing in its history.
void WebSession::prepareSpareView() {
    spare_ = GTK_WIDGET(g_object_ref_sink(newWebView({})));
    g_signal_connect(
        spare_, "web-process-terminated",
        G_CALLBACK(+[](WebKitWebView*, WebKitWebProcessTerminationReason, gpointer self) {
            auto* session = static_cast<WebSession*>(self);
            session->dropSpareView();
            session->sparePlan_.lost();
        }),
        this);
    runScript(WEBKIT_WEB_VIEW(spare_), "0", {});
}

void WebSession::dropSpareView() {
    if (spare_ == nullptr) {
        return;
    }
    GtkWidget* view = std::exchange(spare_, nullptr);
    g_signal_handlers_disconnect_by_data(view, this);
    webkit_web_view_terminate_web_process(WEBKIT_WEB_VIEW(view));
    gtk_widget_destroy(view);
    g_object_unref(view);
}

GtkWidget* WebSession::newWebView(std::string_view userAgent) const {
    WebKitSettings* settings = webkit_settings_new();
    if (!userAgent.empty()) {
        webkit_settings_set_user_agent(settings, std::string(userAgent).c_str());
    }
    auto* view = GTK_WIDGET(g_object_new(WEBKIT_TYPE_WEB_VIEW, "web-context", context_, "settings",
                                         settings, "user-content-manager", content_, nullptr));
    g_object_unref(settings);
    return view;
}

void WebSession::runScript(WebKitWebView* view, const std::string& script,
                           ScriptAnswer answer) const {
    webkit_web_view_send_message_to_page(
        view,
        webkit_user_message_new(PageScriptChannel::runScript, g_variant_new_string(script.c_str())),
        nullptr,
        [](GObject* source, GAsyncResult* result, gpointer data) {
            std::unique_ptr<ScriptAnswer> answer(static_cast<ScriptAnswer*>(data));
            std::optional<std::string> json;
            GError* error = nullptr;
            if (WebKitUserMessage* reply = webkit_web_view_send_message_to_page_finish(
                    WEBKIT_WEB_VIEW(source), result, &error)) {
                GVariant* text = webkit_user_message_get_parameters(reply);
                if (text != nullptr && g_variant_is_of_type(text, G_VARIANT_TYPE_STRING)) {
                    json = g_variant_get_string(text, nullptr);
                }
                g_object_unref(reply);
            } else {
                // The page's process ended before it answered.
                g_error_free(error);
            }
            if (*answer) {
                (*answer)(std::move(json));
            }
        },
        new ScriptAnswer(std::move(answer)));
}

void WebSession::pauseMedia(WebKitWebView* view) const {
    // A page without the script (an error page) has no media to pause.
    runScript(view, pauseCall_, {});
}

void WebSession::setDownloadHandler(WebKitWebView* view, DownloadHandler handler) {
    if (handler) {
        downloadHandlers_[view] = std::move(handler);
    } else {
        downloadHandlers_.erase(view);
    }
}

void WebSession::downloadStarted(WebKitWebContext*, WebKitDownload* download, gpointer self) {
    auto& handlers = static_cast<WebSession*>(self)->downloadHandlers_;
    const auto handler = handlers.find(webkit_download_get_web_view(download));
    if (handler == handlers.end()) {
        webkit_download_cancel(download);
        return;
    }
    handler->second(download);
}

}  // namespace velumo
