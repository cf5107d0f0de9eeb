#pragma once

#include <string>

#include "browser/ApplicationPort.h"
#include "browser/BrowserWindowManager.h"
#include "browser/DesktopLauncher.h"
#include "browser/ScreenLayout.h"

namespace velumo {

class AppDataStore;

// The floating windows and their pages, which alone use the web engine, live
// in a module of their own (velumo_web_engine.so) that the program loads with
// its first floating window: a resident showing no page never maps WebKit.
namespace WebEngine {

// What the module's windows work with; none of it is owned.
struct Services {
    AppDataStore& store;
    DesktopLauncher& launcher;
    ScreenLayoutProvider screens;
};

// The module's one entry point, by this name: it hands back the factory of
// its floating windows.
using Entry = void (*)(const Services& services, FloatingWindowFactory& factory);
inline constexpr const char* entryName = "velumo_web_engine_window_factory";

// The alert when the module cannot be loaded; its reason follows the informative text.
inline constexpr const char* unavailableMessage = "无法打开浮窗";
inline constexpr const char* unavailableInformative =
    "Velumo 的网页组件无法载入，请重新安装 Velumo。";

// The installed module beside the program, or the build tree's; empty when neither exists.
std::string modulePath();

// Starts loading the module at `path` on a thread of its own, for a start
// that opens a floating window at once: the engine's libraries (a tenth of a
// second or more) then load while the application registers and starts up,
// and the factory finds them loaded. A module that fails to load here fails
// again in the factory, which says why.
void preload(const std::string& path);

// A factory that loads the module at `path` when it first makes a window.
// Should that fail, every request says why in an alert and makes no window;
// the application runs on.
FloatingWindowFactory loadingFactory(Services services, ApplicationPort& alerts, std::string path);

}  // namespace WebEngine
}  // namespace velumo
