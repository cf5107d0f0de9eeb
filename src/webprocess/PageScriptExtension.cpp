// Velumo's page extension, loaded by WebKit into every web process of the
// application's web session: it runs the application's own scripts in a page
// and answers over WebKit's message channel (PageScriptChannel).
#include <webkit2/webkit-web-extension.h>

#include "browser/PageScriptChannel.h"

namespace velumo {
namespace {

constexpr const char* contextKey = "velumo-script-context";

// Velumo's user script makes the world's window object in every frame as the
// document starts; the main frame's context is kept on its page until the
// next document replaces it.
void windowObjectCleared(WebKitScriptWorld* world, WebKitWebPage* page, WebKitFrame* frame,
                         gpointer /*data*/) {
    if (webkit_frame_is_main_frame(frame)) {
        g_object_set_data_full(G_OBJECT(page), contextKey,
                               webkit_frame_get_js_context_for_script_world(frame, world),
                               g_object_unref);
    }
}

// The JSON text of the script's result; null when it threw or has none.
char* runScript(JSCContext* context, const char* script) {
    JSCValue* result = jsc_context_evaluate(context, script, -1);
    char* json = nullptr;
    if (jsc_context_get_exception(context) == nullptr) {
        json = jsc_value_to_json(result, 0);
    }
    // Thrown by the script, or while writing its result (a cycle, a BigInt).
    if (jsc_context_get_exception(context) != nullptr) {
        g_free(json);
        json = nullptr;
        jsc_context_clear_exception(context);
    }
    g_object_unref(result);
    return json;
}

gboolean messageReceived(WebKitWebPage* page, WebKitUserMessage* message, gpointer /*data*/) {
    if (g_strcmp0(webkit_user_message_get_name(message), PageScriptChannel::runScript) != 0) {
        return FALSE;
    }
    GVariant* script = webkit_user_message_get_parameters(message);
    auto* context = static_cast<JSCContext*>(g_object_get_data(G_OBJECT(page), contextKey));
    char* json = nullptr;
    if (context != nullptr && script != nullptr &&
        g_variant_is_of_type(script, G_VARIANT_TYPE_STRING)) {
        json = runScript(context, g_variant_get_string(script, nullptr));
    }
    webkit_user_message_send_reply(
        message,
        webkit_user_message_new(PageScriptChannel::runScript,
                                json != nullptr ? g_variant_new_take_string(json) : nullptr));
    return TRUE;
}

void pageCreated(WebKitWebExtension* /*extension*/, WebKitWebPage* page, gpointer /*data*/) {
    g_signal_connect(page, "user-message-received", G_CALLBACK(messageReceived), nullptr);
}

}  // namespace
}  // namespace velumo

extern "C" G_MODULE_EXPORT void webkit_web_extension_initialize(WebKitWebExtension* extension) {
    // The same world as the user script's: WebKit finds worlds by name. It
    // lives as long as the process.
    WebKitScriptWorld* world = webkit_script_world_new_with_name(velumo::PageScriptChannel::world);
    g_signal_connect(world, "window-object-cleared", G_CALLBACK(velumo::windowObjectCleared),
                     nullptr);
    g_signal_connect(extension, "page-created", G_CALLBACK(velumo::pageCreated), nullptr);
}
