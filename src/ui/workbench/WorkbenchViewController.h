#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <gtkmm/box.h>
#include <gtkmm/entry.h>
#include <gtkmm/label.h>

#include "NotificationCenter.h"
#include "browser/BrowserWindowManager.h"
#include "browser/DesktopLauncher.h"
#include "data/AppDataStore.h"
#include "design/NativeAccentButton.h"
#include "design/NativeCanvasView.h"
#include "design/NativeModeControl.h"
#include "design/NativeSymbolButton.h"
#include "workbench/BookmarkGridSchedule.h"
#include "workbench/BookmarkGridView.h"
#include "workbench/FaviconLoader.h"
#include "workbench/TipCarousel.h"
#include "workbench/WorkbenchRules.h"

namespace velumo {

// The workbench's content: a header, then a scrolling page with the address
// field and the tips, the bookmark grid, and the open windows beside the
// recent visits. It follows the data file and the window set through their
// notifications, also while its window is hidden; the bookmark grid, the one
// list that can grow long, is only built while the view is on screen.
class WorkbenchViewController {
  public:
    // What the workbench works with; none of it is owned.
    struct Services {
        AppDataStore& store;
        BrowserWindowManager& manager;
        DesktopLauncher& launcher;
        FaviconLoader& favicons;
        // The settings button's action.
        std::function<void()> showSettings;
    };

    // The application's: the shared store, window manager and icon loader.
    static Services sharedServices(DesktopLauncher& launcher, std::function<void()> showSettings);

    explicit WorkbenchViewController(Services services);
    WorkbenchViewController(const WorkbenchViewController&) = delete;
    WorkbenchViewController& operator=(const WorkbenchViewController&) = delete;

    // The root view, for the window to hold.
    NativeCanvasView& view() { return root_; }

    // Bookmarks, the tip card, recent visits and the window list, from the
    // store and the window manager.
    void reloadData();
    void reloadWindows();
    void rebuildBookmarks(std::vector<Bookmark> bookmarks);
    void rebuildHistory(const std::vector<HistoryEntry>& entries);
    void rebuildTipCard(const AppSettings& settings);
    void showPreviousTip();
    void showNextTip();

    // Opens what the address field holds (blank: the search engine's home
    // page) in the chosen mode and empties the field, whatever the window
    // manager made of it.
    void createFromAddress();
    // A new floating window on `url` in the mode chosen in the hero card.
    void open(const std::optional<std::string>& url);
    // Stores and applies the opposite of the appearance on screen.
    void toggleTheme();
    void clearHistory();

    Gtk::Entry& addressField() { return addressField_; }
    NativeAccentButton& openButton() { return openButton_; }
    NativeModeControl& modeControl() { return modeControl_; }
    BookmarkGridView& bookmarkGrid() { return bookmarkGrid_; }
    Gtk::Box& historyStack() { return historyStack_; }
    Gtk::Box& windowStack() { return windowStack_; }
    Gtk::Box& tipContentStack() { return tipContentStack_; }
    Gtk::Label& tipPageLabel() { return tipPageLabel_; }
    NativeSymbolButton& themeButton() { return themeButton_; }
    Gtk::Widget& heroCard() { return *heroCard_; }
    Gtk::Widget& tipCard() { return *tipCard_; }

  private:
    void buildInterface();
    Gtk::Widget* makeHeader();
    Gtk::Widget* makeHero();
    Gtk::Widget* makeBookmarks();
    Gtk::Widget* makeActivity();
    Gtk::Widget* tipView(const WorkbenchTip& tip);
    void buildBookmarkGrid();
    Gtk::Widget* gridRow(std::size_t row);
    Gtk::Widget* bookmarkTile(const BookmarkTile& tile);
    // Opens the text of a stored address; one that does not parse opens nothing.
    void openStored(const std::string& url);

    Services services_;
    BookmarkGridSchedule gridSchedule_;
    // The window list as shown: windows announce every step of a page load,
    // and rows that would show the same are left as they are.
    std::vector<std::weak_ptr<FloatingWindow>> shownWindows_;
    std::optional<std::vector<WindowRow>> shownWindowRows_;
    TipCarousel carousel_;

    NativeCanvasView root_;
    Gtk::Entry addressField_;
    NativeAccentButton openButton_;
    NativeModeControl modeControl_;
    BookmarkGridView bookmarkGrid_;
    Gtk::Box historyStack_{Gtk::ORIENTATION_VERTICAL, 8};
    Gtk::Box windowStack_{Gtk::ORIENTATION_VERTICAL, 8};
    Gtk::Box tipContentStack_{Gtk::ORIENTATION_VERTICAL};
    Gtk::Label tipPageLabel_;
    NativeSymbolButton themeButton_;
    Gtk::Widget* heroCard_ = nullptr;
    Gtk::Widget* tipCard_ = nullptr;

    // Last, so they go first: no notification reaches a half-destroyed view.
    std::vector<NotificationCenter::Token> observations_;
};

}  // namespace velumo
