// The main-loop time of one workbench reload with 21, 1,000 and 5,000
// bookmarks: the real view in a shown window, reloaded as a recorded visit
// reloads it, then laid out and drawn as the next frame would. The reference
// rebuilds the bookmark grid at every reload, as a reload did before an
// unchanged grid was left alone; the frame alone is measured too. Needs an X
// display (bench/workbench-figures).
#include <cairomm/context.h>
#include <cairomm/surface.h>
#include <filesystem>
#include <fstream>
#include <optional>
#include <stdexcept>
#include <string>

#include <benchmark/benchmark.h>
#include <gtkmm/main.h>

#include "../core/BenchDocuments.h"
#include "browser/DesktopLauncher.h"
#include "data/AppDataSanitizer.h"
#include "workbench/WorkbenchWindowController.h"

namespace velumo {
namespace {

class NoLauncher : public DesktopLauncher {
  public:
    std::optional<std::string> applicationForScheme(const std::string&) override {
        return std::nullopt;
    }
    bool launch(const std::string&) override { return false; }
};

void drain() {
    while (g_main_context_iteration(nullptr, FALSE)) {
    }
}

// A seeded document with `count` bookmarks and a full history. The icons
// live on a closed local port, so they fail at once and touch no network.
AppDataSnapshot documentWithLocalIcons(std::int64_t count) {
    AppDataSnapshot document = documentWith(count);
    for (auto& bookmark : document.bookmarks) {
        bookmark.faviconURL = "http://127.0.0.1:9/" + bookmark.id + ".ico";
    }
    return document;
}

// A shown workbench over a store of its own in a temporary folder.
class Bench {
  public:
    explicit Bench(std::int64_t bookmarks) {
        char* made = g_dir_make_tmp("velumo-bench-XXXXXX", nullptr);
        folder_ = made;
        g_free(made);
        std::ofstream(folder_ / "app-data.json")
            << AppDataSanitizer::encode(documentWithLocalIcons(bookmarks)).value();
        store_ = std::make_unique<AppDataStore>(folder_ / "app-data.json");
        manager_ = std::make_unique<BrowserWindowManager>(*store_);
        favicons_ = std::make_unique<FaviconLoader>(folder_ / "favicons", FaviconLoader::iconSide);
        workbench_ = std::make_unique<WorkbenchWindowController>(
            WorkbenchViewController::Services{*store_, *manager_, launcher_, *favicons_, {}});
        workbench_->showWindow();
        while (!workbench_->window().get_mapped() || favicons_->pending() > 0) {
            g_main_context_iteration(nullptr, TRUE);
        }
        drain();
    }
    Bench(const Bench&) = delete;
    Bench& operator=(const Bench&) = delete;
    ~Bench() {
        workbench_.reset();
        drain();
        std::filesystem::remove_all(folder_);
    }

    WorkbenchViewController& view() { return workbench_->workbenchViewController(); }
    AppDataStore& store() { return *store_; }

    // What the next frame does with the changes: size negotiation and
    // drawing the window; then the main loop's pending work.
    void frame() {
        auto& window = workbench_->window();
        window.check_resize();
        auto surface = Cairo::ImageSurface::create(Cairo::FORMAT_ARGB32, window.get_width(),
                                                   window.get_height());
        gtk_widget_draw(GTK_WIDGET(window.gobj()), Cairo::Context::create(surface)->cobj());
        drain();
    }

  private:
    std::filesystem::path folder_;
    NoLauncher launcher_;
    std::unique_ptr<AppDataStore> store_;
    std::unique_ptr<BrowserWindowManager> manager_;
    std::unique_ptr<FaviconLoader> favicons_;
    std::unique_ptr<WorkbenchWindowController> workbench_;
};

void WorkbenchReload(benchmark::State& state) {
    Bench bench(state.range(0));
    for (auto _ : state) {
        bench.view().reloadData();
        bench.frame();
    }
}

// What a frame costs with nothing changed: laying out and drawing the
// whole window. The reload's own share is the difference.
void WorkbenchFrame(benchmark::State& state) {
    Bench bench(state.range(0));
    for (auto _ : state) {
        bench.frame();
    }
}

// The same reload with a grid that shows something new each time: the
// title of the first bookmark changes back and forth.
void WorkbenchReload_reference(benchmark::State& state) {
    Bench bench(state.range(0));
    bool renamed = false;
    for (auto _ : state) {
        AppDataSnapshot data = bench.store().snapshot();
        renamed = !renamed;
        data.bookmarks.front().title += renamed ? " · 改名" : "";
        bench.view().rebuildBookmarks(std::move(data.bookmarks));
        bench.view().rebuildTipCard(data.settings);
        bench.view().rebuildHistory(data.history);
        bench.view().reloadWindows();
        bench.frame();
    }
}

}  // namespace
}  // namespace velumo

int main(int argc, char** argv) {
    gdk_set_allowed_backends("x11");
    Gtk::Main kit(argc, argv);
    benchmark::Initialize(&argc, argv);
    using Function = void (*)(benchmark::State&);
    for (const auto& [name, function] :
         {std::pair<const char*, Function>{"WorkbenchReload", velumo::WorkbenchReload},
          std::pair<const char*, Function>{"WorkbenchReload_reference",
                                           velumo::WorkbenchReload_reference},
          std::pair<const char*, Function>{"WorkbenchFrame", velumo::WorkbenchFrame}}) {
        benchmark::RegisterBenchmark(name, function)
            ->Arg(21)
            ->Arg(1'000)
            ->Arg(5'000)
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime();
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
