#include "browser/BrowserWindowController.h"
#include "browser/WebEngine.h"

// The web engine module's entry point (WebEngine::entryName); its windows
// share the one web session, made with the first page.
extern "C" __attribute__((visibility("default"))) void velumo_web_engine_window_factory(
    const velumo::WebEngine::Services& services, velumo::FloatingWindowFactory& factory) {
    factory = velumo::BrowserWindowController::factory(
        services.store, services.launcher, &velumo::WebSession::shared, services.screens);
}
