#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "TestWebServer.h"
#include "UiTestSupport.h"
#include "browser/BrowserWindowController.h"
#include "browser/BrowserWindowManager.h"
#include "browser/DesktopLauncher.h"
#include "browser/ScreenLayout.h"
#include "browser/WebSession.h"
#include "data/AppDataStore.h"

namespace velumo::uitest {

// Records what a window hands to the desktop instead of starting anything.
class RecordingLauncher : public DesktopLauncher {
  public:
    std::set<std::string> handledSchemes{"mailto", "https", "http"};
    std::vector<std::string> schemesAsked;
    std::vector<std::string> launched;

    bool hasHandlerForScheme(const std::string& scheme) override;
    bool launch(const std::string& uri) override;
};

// Real floating windows over a store, a web session and a cookie jar of their
// own in a temporary folder, pages from a loopback server, and optionally
// made-up monitors.
class FloatingWindowTest : public UiTest {
  protected:
    FloatingWindowTest();
    ~FloatingWindowTest() override;

    void TearDown() override;

    void changeSettings(const std::function<void(AppSettings&)>& change);

    // Opens a window through the manager, waits until it is on screen and
    // focused and, for `url`, until the page has finished loading.
    std::shared_ptr<BrowserWindowController> open(
        const std::optional<std::string>& url, BrowserWindowMode mode = BrowserWindowMode::window);
    // Waits until the window's page has finished loading an address ending in `suffix`.
    bool waitForPage(BrowserWindowController& window, const std::string& suffix);
    std::optional<std::string> evaluate(BrowserWindowController& window, const std::string& script);

    // A point of the panel in root coordinates, from its top-left corner.
    std::pair<int, int> panelPoint(BrowserWindowController& window, double x, double y);
    // Clicks the centre of the first element matching `selector`, as a person would.
    void clickElement(BrowserWindowController& window, const std::string& selector);
    // Waits until the window manager shows the panel with this frame.
    bool waitForFrame(BrowserWindowController& window, Rect frame);

    std::filesystem::path folder_;
    AppDataStore store_;
    BrowserWindowManager manager_;
    RecordingLauncher launcher_;
    WebSession session_;
    TestWebServer server_;
    // Set to replace the display's monitors; the panel's monitor is the one
    // holding its centre.
    std::optional<ScreenLayout> fakeScreens_;
};

}  // namespace velumo::uitest
