#include "workbench/WorkbenchViewController.h"

#include <atkmm/object.h>

#include <gtkmm/image.h>
#include <gtkmm/scrolledwindow.h>
#include <gtkmm/separator.h>

#include "data/AddressResolver.h"
#include "data/Url.h"
#include "design/NativeCardView.h"
#include "design/NativeDesignSystem.h"
#include "design/NativeTheme.h"
#include "design/SymbolIcons.h"
#include "workbench/FixedWidthCard.h"
#include "workbench/SiteButton.h"
#include "workbench/WorkbenchRules.h"
#include "workbench/WorkbenchWidgets.h"

namespace velumo {
namespace {

using namespace WorkbenchWidgets;

constexpr int tipCardWidth = 280;
constexpr int historyCardWidth = 300;
constexpr int gridColumnSpacing = 10;

Gtk::Image* symbolImage(std::string_view symbol, int pixelSize, const std::string& name) {
    auto* image = SymbolIcons::makeImage(symbol, pixelSize);
    image->get_style_context()->add_class("velumo-accent-text");
    image->set_size_request(34, 34);
    image->get_accessible()->set_name(name);
    return image;
}

// A vertical box whose `growing` child takes the height the others leave.
Gtk::Box* column(int spacing, std::initializer_list<Gtk::Widget*> views, Gtk::Widget* growing) {
    auto* box = Gtk::make_managed<Gtk::Box>(Gtk::ORIENTATION_VERTICAL, spacing);
    for (auto* view : views) {
        box->pack_start(*view, view == growing ? Gtk::PACK_EXPAND_WIDGET : Gtk::PACK_SHRINK);
    }
    return box;
}

}  // namespace

WorkbenchViewController::Services WorkbenchViewController::sharedServices(
    DesktopLauncher& launcher, std::function<void()> showSettings) {
    return {AppDataStore::shared(), BrowserWindowManager::shared(), launcher,
            FaviconLoader::shared(), std::move(showSettings)};
}

WorkbenchViewController::WorkbenchViewController(Services services)
    : services_(std::move(services)),
      openButton_("打开", [this] { createFromAddress(); }),
      themeButton_("circle.lefthalf.filled", "切换明暗主题", [this] { toggleTheme(); }) {
    buildInterface();
    root_.signal_map().connect([this] {
        if (gridSchedule_.becameVisible()) {
            buildBookmarkGrid();
        }
    });
    auto& center = NotificationCenter::defaultCenter();
    observations_.push_back(center.addObserver(std::string(appDataDidChange), nullptr,
                                               [this](const Notification&) { reloadData(); }));
    observations_.push_back(center.addObserver(std::string(browserWindowsDidChange), nullptr,
                                               [this](const Notification&) { reloadWindows(); }));
}

// MARK: Layout

void WorkbenchViewController::buildInterface() {
    auto* header = makeHeader();
    header->set_margin_start(28);
    header->set_margin_end(28);
    header->set_margin_top(14);
    header->set_margin_bottom(14);

    auto* page = nativeVStack({makeHero(), makeBookmarks(), makeActivity()}, 18);
    page->set_margin_top(22);
    page->set_margin_start(26);
    page->set_margin_bottom(28);
    page->set_margin_end(26);
    // The page scrolls only vertically: it is as wide as the view.
    auto* scroller = Gtk::make_managed<Gtk::ScrolledWindow>();
    scroller->set_policy(Gtk::POLICY_NEVER, Gtk::POLICY_AUTOMATIC);
    scroller->set_shadow_type(Gtk::SHADOW_NONE);
    scroller->add(*page);
    scroller->get_style_context()->add_class("velumo-page");

    root_.pack_start(*header, Gtk::PACK_SHRINK);
    root_.pack_start(*Gtk::make_managed<Gtk::Separator>(), Gtk::PACK_SHRINK);
    root_.pack_start(*scroller, Gtk::PACK_EXPAND_WIDGET);
    root_.show_all();
}

Gtk::Widget* WorkbenchViewController::makeHeader() {
    auto* name =
        nativeVStack({nativeLabel("Velumo", 16, Pango::WEIGHT_BOLD, NativeTextColor::label),
                      nativeLabel("VELUMO", 9, Pango::WEIGHT_SEMIBOLD, NativeTextColor::muted)},
                     1);
    auto* website = actionButton(
        "官网", [this] { services_.launcher.launch(std::string(WorkbenchRules::websiteAddress)); });
    website->set_size_request(64, 32);
    auto* settings = Gtk::make_managed<NativeSymbolButton>("gearshape", "设置", [this] {
        if (services_.showSettings) {
            services_.showSettings();
        }
    });
    auto* gap = spacer();
    return row(10,
               {symbolImage("macwindow.on.rectangle", 28, "Velumo"), name, gap, &themeButton_,
                website, settings},
               gap);
}

Gtk::Widget* WorkbenchViewController::makeHero() {
    auto* headline = nativeLabel("打开一个网页，\n让它停在需要的地方。", 28, Pango::WEIGHT_BOLD,
                                 NativeTextColor::label);
    headline->set_lines(2);
    headline->set_ellipsize(Pango::ELLIPSIZE_END);

    addressField_.set_placeholder_text("输入网址或搜索内容");
    // What a screen reader announces; the placeholder is no name.
    addressField_.get_accessible()->set_name("网址或搜索内容");
    addressField_.get_style_context()->add_class("velumo-address-field");
    addressField_.set_size_request(-1, 42);
    addressField_.signal_activate().connect([this] { createFromAddress(); });
    openButton_.set_size_request(92, -1);
    // Return anywhere in the window opens, as the window's default button.
    openButton_.set_can_default(true);
    auto* address = row(10, {&addressField_, &openButton_}, &addressField_);
    addressField_.set_valign(Gtk::ALIGN_CENTER);

    auto* gap = spacer();
    auto* mode = row(
        10,
        {nativeLabel("新窗口显示", 12, Pango::WEIGHT_NORMAL, NativeTextColor::muted), &modeControl_,
         gap, nativeLabel("最多同时打开 5 个", 11, Pango::WEIGHT_NORMAL, NativeTextColor::muted)},
        gap);

    auto* hero = Gtk::make_managed<NativeCardView>(
        *nativeVStack({nativeLabel("随时悬浮 · 专注眼前", 12, Pango::WEIGHT_SEMIBOLD,
                                   NativeTextColor::accent),
                       headline, address, mode},
                      13),
        22);

    tipPageLabel_.get_style_context()->add_class("velumo-tip-page");
    tipPageLabel_.get_style_context()->add_class("velumo-muted");
    tipPageLabel_.set_size_request(48, -1);
    auto* gapInNavigation = spacer();
    auto* navigation =
        row(4,
            {&tipPageLabel_, gapInNavigation,
             iconActionButton("chevron.left", "上一个使用提示", 28, [this] { showPreviousTip(); }),
             iconActionButton("chevron.right", "下一个使用提示", 28, [this] { showNextTip(); })},
            gapInNavigation);
    auto* tip = Gtk::make_managed<FixedWidthCard>(
        *column(12,
                {nativeLabel("使用提示", 11, Pango::WEIGHT_SEMIBOLD, NativeTextColor::muted),
                 &tipContentStack_, navigation},
                &tipContentStack_),
        18, tipCardWidth);

    heroCard_ = hero;
    tipCard_ = tip;
    // Side by side, both as tall as the taller; the hero card takes the width.
    auto* heroRow = Gtk::make_managed<Gtk::Box>(Gtk::ORIENTATION_HORIZONTAL, 16);
    heroRow->pack_start(*hero, Gtk::PACK_EXPAND_WIDGET);
    heroRow->pack_start(*tip, Gtk::PACK_SHRINK);
    return heroRow;
}

Gtk::Widget* WorkbenchViewController::makeBookmarks() {
    auto* titles =
        nativeVStack({nativeLabel("我的收藏", 18, Pango::WEIGHT_BOLD, NativeTextColor::label),
                      nativeLabel("常用网站保存在本机 · 可自由添加和删除", 11, Pango::WEIGHT_NORMAL,
                                  NativeTextColor::muted)},
                     2);
    auto* gap = spacer();
    auto* header = row(
        10,
        {titles, gap,
         nativeLabel("在浮窗菜单中收藏当前页", 11, Pango::WEIGHT_NORMAL, NativeTextColor::muted)},
        gap);
    return Gtk::make_managed<NativeCardView>(*nativeVStack({header, &bookmarkGrid_}, 12), 16);
}

Gtk::Widget* WorkbenchViewController::makeActivity() {
    auto* windowsGap = spacer();
    auto* windowsHeader =
        row(10,
            {nativeLabel("当前窗口", 17, Pango::WEIGHT_BOLD, NativeTextColor::label), windowsGap,
             textActionButton("全部显示", [this] { services_.manager.showAll(); }),
             textActionButton("全部隐藏", [this] { services_.manager.hideAll(); })},
            windowsGap);
    auto* windows =
        Gtk::make_managed<NativeCardView>(*nativeVStack({windowsHeader, &windowStack_}, 13), 18);

    auto* historyGap = spacer();
    auto* historyHeader =
        row(10,
            {nativeLabel("最近访问", 17, Pango::WEIGHT_BOLD, NativeTextColor::label), historyGap,
             textActionButton("清空", [this] { clearHistory(); })},
            historyGap);
    auto* history = Gtk::make_managed<FixedWidthCard>(
        *nativeVStack({historyHeader, &historyStack_}, 13), 18, historyCardWidth);

    auto* activity = Gtk::make_managed<Gtk::Box>(Gtk::ORIENTATION_HORIZONTAL, 16);
    activity->pack_start(*windows, Gtk::PACK_EXPAND_WIDGET);
    activity->pack_start(*history, Gtk::PACK_SHRINK);
    return activity;
}

// MARK: Content

void WorkbenchViewController::reloadData() {
    AppDataSnapshot data = services_.store.snapshot();
    rebuildBookmarks(std::move(data.bookmarks));
    rebuildTipCard(data.settings);
    rebuildHistory(data.history);
    reloadWindows();
}

void WorkbenchViewController::rebuildBookmarks(std::vector<Bookmark> bookmarks) {
    if (gridSchedule_.receive(std::move(bookmarks), root_.get_mapped())) {
        buildBookmarkGrid();
    }
}

void WorkbenchViewController::buildBookmarkGrid() {
    const auto& bookmarks = gridSchedule_.build();
    // The icons of removed bookmarks go with them.
    std::vector<std::string> icons;
    for (const auto& bookmark : bookmarks) {
        if (bookmark.faviconURL) {
            icons.push_back(*bookmark.faviconURL);
        }
    }
    services_.favicons.prune(icons);
    if (bookmarks.empty()) {
        bookmarkGrid_.setPlaceholder(*nativeLabel("暂无收藏，可在悬浮窗的更多菜单中添加", 13,
                                                  Pango::WEIGHT_NORMAL, NativeTextColor::muted));
        return;
    }
    bookmarkGrid_.setRows(WorkbenchRules::gridRowCount(bookmarks.size()),
                          [this](std::size_t row) { return gridRow(row); });
}

Gtk::Widget* WorkbenchViewController::gridRow(std::size_t row) {
    // Rows are made as the page scrolls to them, from the list the schedule
    // holds: until the grid is built anew it shows the same tiles.
    const auto cells = WorkbenchRules::gridRow(gridSchedule_.list(), row);
    // Equal columns; a short last row keeps empty cells on the right.
    auto* line = Gtk::make_managed<Gtk::Box>(Gtk::ORIENTATION_HORIZONTAL, gridColumnSpacing);
    line->set_homogeneous(true);
    for (const auto& cell : cells) {
        line->pack_start(cell ? *bookmarkTile(*cell) : *Gtk::make_managed<Gtk::Box>());
    }
    return line;
}

Gtk::Widget* WorkbenchViewController::bookmarkTile(const BookmarkTile& tile) {
    auto* site = Gtk::make_managed<SiteButton>(tile, services_.favicons,
                                               [this, url = tile.url] { openStored(url); });
    auto* remove = iconActionButton("xmark.circle", "删除 " + tile.title, 24, [this, id = tile.id] {
        // Refused or failed, the grid simply stays as it is.
        [[maybe_unused]] const auto removed = services_.store.removeBookmark(id);
    });
    return row(4, {site, remove}, site);
}

void WorkbenchViewController::rebuildHistory(const std::vector<HistoryEntry>& entries) {
    clear(historyStack_);
    if (entries.empty()) {
        historyStack_.pack_start(
            *nativeLabel("暂无访问记录", 12, Pango::WEIGHT_NORMAL, NativeTextColor::muted),
            Gtk::PACK_SHRINK);
    }
    for (const auto& entry : WorkbenchRules::recentVisits(entries)) {
        historyStack_.pack_start(
            *textActionButton(entry.title, [this, url = entry.url] { openStored(url); }),
            Gtk::PACK_SHRINK);
    }
    historyStack_.show_all();
}

void WorkbenchViewController::reloadWindows() {
    const auto& windows = services_.manager.windows();
    std::vector<WindowRow> rows;
    bool sameWindows = shownWindows_.size() == windows.size();
    for (std::size_t i = 0; i < windows.size(); ++i) {
        const auto& window = windows[i];
        rows.push_back(
            {window->displayTitle(), WorkbenchRules::windowRowTitles(
                                         window->mode(), window->isVisible(), window->isGhost())});
        sameWindows = sameWindows && shownWindows_[i].lock() == window;
    }
    if (sameWindows && shownWindowRows_ == rows) {
        return;
    }
    shownWindows_.assign(windows.begin(), windows.end());
    shownWindowRows_ = rows;

    clear(windowStack_);
    if (windows.empty()) {
        windowStack_.pack_start(
            *nativeLabel("还没有悬浮窗口", 12, Pango::WEIGHT_NORMAL, NativeTextColor::muted),
            Gtk::PACK_SHRINK);
    }
    for (std::size_t i = 0; i < windows.size(); ++i) {
        // The row is rebuilt after every change it causes; until then it
        // must not keep a closed window alive.
        const std::weak_ptr<FloatingWindow> weak = windows[i];
        const auto act = [weak](void (FloatingWindow::*command)()) {
            return [weak, command] {
                if (auto target = weak.lock()) {
                    (target.get()->*command)();
                }
            };
        };
        auto* gap = spacer();
        auto* windowRow = row(
            8,
            {truncatedLabel(rows[i].title, 13, Pango::WEIGHT_MEDIUM, NativeTextColor::label), gap,
             textActionButton(std::string(rows[i].buttons.mode),
                              act(&FloatingWindow::toggleModeFromUI)),
             textActionButton(std::string(rows[i].buttons.visibility),
                              act(&FloatingWindow::toggleVisibility)),
             Gtk::make_managed<NativeSymbolButton>("xmark", "关闭当前窗口",
                                                   act(&FloatingWindow::closeFromUI), 28)},
            gap);
        if (!rows[i].buttons.ghost.empty()) {
            auto* ghostOff = textActionButton(std::string(rows[i].buttons.ghost), [weak] {
                if (auto target = weak.lock()) {
                    target->setGhost(false);
                }
            });
            ghostOff->set_valign(Gtk::ALIGN_CENTER);
            windowRow->pack_start(*ghostOff, Gtk::PACK_SHRINK);
            // Before the mode and visibility buttons, right of the title.
            windowRow->reorder_child(*ghostOff, 2);
        }
        windowStack_.pack_start(*windowRow, Gtk::PACK_SHRINK);
    }
    windowStack_.show_all();
}

// MARK: Tips

void WorkbenchViewController::rebuildTipCard(const AppSettings& settings) {
    auto card = carousel_.rebuild(settings);
    tipPageLabel_.set_text(card.pageLabel);
    clear(tipContentStack_);
    tipContentStack_.pack_start(*tipView(card.tip), Gtk::PACK_SHRINK);
    tipContentStack_.show_all();
}

Gtk::Widget* WorkbenchViewController::tipView(const WorkbenchTip& tip) {
    auto* image = symbolImage(tip.symbol, 22, std::string(tip.title));
    image->set_valign(Gtk::ALIGN_START);
    auto* detail = nativeLabel(tip.detail, 12, Pango::WEIGHT_NORMAL, NativeTextColor::muted);
    detail->set_line_wrap_mode(Pango::WRAP_WORD);
    detail->set_lines(3);
    detail->set_ellipsize(Pango::ELLIPSIZE_END);
    auto* texts = nativeVStack(
        {nativeLabel(std::string(tip.title), 17, Pango::WEIGHT_BOLD, NativeTextColor::label),
         detail},
        5);
    auto* view = Gtk::make_managed<Gtk::Box>(Gtk::ORIENTATION_HORIZONTAL, 10);
    view->pack_start(*image, Gtk::PACK_SHRINK);
    view->pack_start(*texts, Gtk::PACK_EXPAND_WIDGET);
    return view;
}

void WorkbenchViewController::showPreviousTip() {
    carousel_.showPrevious();
    rebuildTipCard(services_.store.snapshot().settings);
}

void WorkbenchViewController::showNextTip() {
    carousel_.showNext();
    rebuildTipCard(services_.store.snapshot().settings);
}

// MARK: Actions

void WorkbenchViewController::createFromAddress() {
    const SearchEngine engine = services_.store.snapshot().settings.searchEngine;
    const std::string text = addressField_.get_text();
    open(AddressResolver::resolve(text, engine));
    addressField_.set_text("");
}

void WorkbenchViewController::open(const std::optional<std::string>& url) {
    if (url) {
        services_.manager.createWindow(url, modeControl_.selectedMode());
    }
}

void WorkbenchViewController::openStored(const std::string& url) {
    if (Url::parse(url)) {
        open(url);
    }
}

void WorkbenchViewController::toggleTheme() {
    AppSettings settings = services_.store.snapshot().settings;
    settings.themePreference =
        WorkbenchRules::themePreferenceAfterToggle(NativeTheme::shared().appearance());
    // A failed save still switches what is on screen.
    [[maybe_unused]] const auto saved = services_.store.updateSettings(settings);
    applyNativeTheme(settings.themePreference);
}

void WorkbenchViewController::clearHistory() {
    [[maybe_unused]] const auto cleared = services_.store.clearHistory();
}

}  // namespace velumo
