#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <gtkmm/messagedialog.h>

#include "TestWebServer.h"
#include "UiTestSupport.h"
#include "browser/BrowserWindowController.h"
#include "browser/StateStore.h"
#include "data/AppDataStore.h"

namespace velumo::uitest {

// Records what a window hands to the desktop instead of starting anything.
class RecordingLauncher : public DesktopLauncher {
  public:
    std::vector<std::string> launched;

    std::optional<std::string> applicationForScheme(const std::string& scheme) override {
        return scheme + " handler";
    }
    bool launch(const std::string& uri) override {
        launched.push_back(uri);
        return true;
    }
};

// Real floating windows over a store and a web session of their own in a
// temporary folder, pages from a loopback server, and optionally made-up
// monitors.
class FloatingWindowTest : public UiTest {
  protected:
    FloatingWindowTest();
    ~FloatingWindowTest() override;
    void TearDown() override;

    // Opens a window through the manager and waits until it is focused and
    // its page has finished loading.
    std::shared_ptr<BrowserWindowController> open(const std::string& url);
    // Waits until the page has finished loading an address ending in `suffix`.
    bool waitForPage(BrowserWindowController& window, const std::string& suffix);
    std::optional<std::string> evaluate(BrowserWindowController& window, const std::string& script);
    // Waits until the window manager shows the panel with this frame.
    static ::testing::AssertionResult waitForFrame(BrowserWindowController& window, Rect frame);
    // Whether GTK has taken in the window system's answer for a panel of
    // `frame`'s size. The server may show a frame while GTK has yet to read
    // the answer; a frame asked for in between is lost, which a person's
    // input, queued behind that answer, never meets.
    static bool gtkHasSize(BrowserWindowController& window, Rect frame);

    // A point of the panel in root coordinates, from its top-left corner.
    static Point panelPoint(BrowserWindowController& window, double x, double y);
    // Clicks the centre of the first element matching `selector`, as a person would.
    void clickElement(BrowserWindowController& window, const std::string& selector);
    // The message dialog on screen, if any.
    static Gtk::MessageDialog* openDialog();
    // Chooses the button of `dialog` named `button`.
    static void choose(Gtk::Dialog& dialog, const std::string& button);

    std::filesystem::path folder_;
    AppDataStore store_;
    // The manager keeps its windows and sites here once a test gives it.
    StateStore state_;
    BrowserWindowManager manager_;
    RecordingLauncher launcher_;
    WebSession session_;
    TestWebServer server_;
    // Set to replace the display's monitors; the panel's is the one holding its centre.
    std::optional<ScreenLayout> fakeScreens_;
};

}  // namespace velumo::uitest
