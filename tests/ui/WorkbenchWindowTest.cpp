// The workbench window under a real window manager: its frame, decorations
// included, is what each show centres and fits.
#include <cmath>
#include <unistd.h>

#include "FloatingWindowFixture.h"
#include "OtherXClient.h"
#include "workbench/WorkbenchWindowController.h"

namespace velumo::uitest {
namespace {

class WorkbenchWindow : public FloatingWindowTest {
  protected:
    ~WorkbenchWindow() override { workbench_.window().hide(); }

    // The window as the window manager lists it, once it is shown.
    std::uint64_t xid() {
        if (xid_ == 0) {
            for (const ClientWindow& window : other_.windowsOf(getpid())) {
                xid_ = window.title == "Velumo" ? window.id : xid_;
            }
        }
        return xid_;
    }

    static Rect workArea() {
        GdkRectangle area;
        gdk_monitor_get_workarea(gdk_display_get_primary_monitor(gdk_display_get_default()), &area);
        return {static_cast<double>(area.x), static_cast<double>(area.y),
                static_cast<double>(area.width), static_cast<double>(area.height)};
    }

    // Waits until the window manager shows the window focused with its frame
    // centred on the work area (within a point of rounding).
    bool shownCentred() {
        const Rect work = workArea();
        return runUntil([&] {
            if (!workbench_.window().is_active() || xid() == 0) {
                return false;
            }
            const Rect frame = other_.frame(xid());
            return std::abs(frame.midX() - work.midX()) <= 1 &&
                   std::abs(frame.midY() - work.midY()) <= 1;
        });
    }

    bool iconified() {
        return (workbench_.window().get_window()->get_state() & Gdk::WINDOW_STATE_ICONIFIED) != 0;
    }

    Size contentSize() {
        int width = 0;
        int height = 0;
        workbench_.window().get_size(width, height);
        return {static_cast<double>(width), static_cast<double>(height)};
    }

    FaviconLoader favicons_{folder_ / "favicons", FaviconLoader::iconSide};
    WorkbenchWindowController workbench_{{store_, manager_, launcher_, favicons_, {}}};
    OtherXClient other_;
    std::uint64_t xid_ = 0;
};

TEST_F(WorkbenchWindow, EveryShowCentresItButNotARestoreAndTheCloseButtonOnlyHidesIt) {
    // As the application lays it out before its first show.
    workbench_.prepare();
    workbench_.showWindow();
    ASSERT_TRUE(shownCentred());
    EXPECT_EQ(workbench_.window().get_title(), "Velumo");
    EXPECT_EQ(contentSize(), (Size{960, 680}));

    // Only a show places it: restored after minimising, it stays where the
    // person put it.
    other_.requestMove(xid(), {10, 10});
    ASSERT_TRUE(runUntil([&] { return other_.frame(xid()).x == 10; }));
    const Rect moved = other_.frame(xid());
    workbench_.window().iconify();
    ASSERT_TRUE(runUntil([&] { return iconified(); }));
    workbench_.window().deiconify();
    ASSERT_TRUE(runUntil([&] { return !iconified() && other_.frame(xid()).width > 0; }));
    runFor(std::chrono::milliseconds(300));
    EXPECT_EQ(other_.frame(xid()), moved);

    // The place the user chose is not kept from one show to the next.
    other_.requestClose(xid());
    ASSERT_TRUE(runUntil([&] { return !workbench_.window().get_visible(); }));
    workbench_.showWindow();
    EXPECT_TRUE(shownCentred());
}

TEST_F(WorkbenchWindow, ItShrinksToFitTheWorkAreaButNotBelowItsMinimum) {
    workbench_.window().resize(1600, 1000);
    workbench_.showWindow();
    ASSERT_TRUE(shownCentred());
    EXPECT_TRUE(runUntil([&] { return other_.frame(xid()) == workArea(); }))
        << other_.frame(xid()).width << "x" << other_.frame(xid()).height;

    workbench_.window().resize(100, 100);
    EXPECT_TRUE(runUntil([&] { return contentSize() == Size{780, 560}; }));
}

}  // namespace
}  // namespace velumo::uitest
