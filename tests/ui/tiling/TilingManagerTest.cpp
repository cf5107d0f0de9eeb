// Floating windows under sway, a tiling window manager, through XWayland
// (tests/ui/with-sway runs these tests there): sway floats them at their own
// size and place, even after it maps them afresh, and they stay resizable.
#include <nlohmann/json.hpp>

#include "FloatingWindowFixture.h"
#include "browser/SwayPlacement.h"

// After every other header: Xlib's macros clash with theirs.
#include <gdk/gdkx.h>

namespace velumo::uitest {
namespace {

// The container of X11 window `xid` in sway's tree, or null.
nlohmann::json containerOf(const nlohmann::json& node, std::uint64_t xid) {
    if (const auto window = node.find("window");
        window != node.end() && window->is_number() && window->get<std::uint64_t>() == xid) {
        return node;
    }
    for (const char* children : {"nodes", "floating_nodes"}) {
        for (const auto& child : node.value(children, nlohmann::json::array())) {
            if (auto found = containerOf(child, xid); !found.is_null()) {
                return found;
            }
        }
    }
    return nullptr;
}

class TilingManager : public FloatingWindowTest {
  protected:
    // Waits until sway floats the window with `frame` as its rectangle, and
    // the window sees that frame too; otherwise says what they show. With
    // `sizeOnly`, only the sizes count.
    static ::testing::AssertionResult floatsAt(BrowserWindowController& window, Rect frame,
                                               bool sizeOnly = false) {
        const std::uint64_t xid = GDK_WINDOW_XID(window.panel().get_window()->gobj());
        nlohmann::json node;
        Rect seen;
        const bool floats = runUntil([&] {
            const auto tree = SwayPlacement::exchange(SwayIpc::MessageType::getTree, "");
            node = containerOf(nlohmann::json::parse(tree.value_or("{}")), xid);
            seen = window.panel().frame();
            if (node.is_null() || node["type"] != "floating_con") {
                return false;
            }
            const auto& rect = node["rect"];
            const Rect floating{rect["x"].get<double>(), rect["y"].get<double>(),
                                rect["width"].get<double>(), rect["height"].get<double>()};
            if (sizeOnly) {
                frame.x = floating.x;
                frame.y = floating.y;
            }
            return floating == frame && seen == frame;
        });
        if (floats) {
            return ::testing::AssertionSuccess();
        }
        return ::testing::AssertionFailure()
               << "sway: " << node.dump() << "\nwindow: " << seen.x << "," << seen.y << " "
               << seen.width << "x" << seen.height;
    }

    static void swayCommand(BrowserWindowController& window, const std::string& command) {
        const std::uint64_t xid = GDK_WINDOW_XID(window.panel().get_window()->gobj());
        ASSERT_TRUE(SwayPlacement::exchange(SwayIpc::MessageType::runCommand,
                                            "[id=" + std::to_string(xid) + "] " + command)
                        .has_value());
    }
};

TEST_F(TilingManager, FloatingWindowsFloatAtTheirSizeAndTheCornerPopUpKeepsItsCorner) {
    server_.page("/", "<title>Plain</title>");
    auto window = open(server_.url("/"));
    const Rect workArea = ScreenLayout::ofDisplay(window->panel()).screens.at(0).workArea;
    const Rect centred = WindowGeometry::centredOn({0, 0, 760, 520}, workArea);
    EXPECT_TRUE(floatsAt(*window, centred));

    window->toolbarToggleMode();
    const Rect corner = WindowGeometry::advertisementFrame(workArea);
    EXPECT_TRUE(floatsAt(*window, corner));
    // Sway maps a window that was hidden as a new one, in the middle.
    window->hideWindow();
    window->toggleVisibility();
    EXPECT_TRUE(floatsAt(*window, corner));

    // No fixed size stops sway from resizing it (sway centres what it resizes).
    swayCommand(*window, "resize set 600 400");
    EXPECT_TRUE(floatsAt(*window, {0, 0, 600, 400}, true));

    window->toolbarRestoreWindowMode();
    EXPECT_TRUE(floatsAt(*window, centred));
}

}  // namespace
}  // namespace velumo::uitest
