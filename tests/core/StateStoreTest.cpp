#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/stat.h>
#include <thread>

#include <gtest/gtest.h>

#include "TemporaryFolder.h"
#include "browser/StateStore.h"
#include "data/DurableFile.h"

namespace velumo {
namespace {

SavedState sample() {
    SavedState state;
    state.restoreWindows = false;
    state.windows.push_back({.url = "https://example.com/a?b=1",
                             .mode = BrowserWindowMode::advertisement,
                             .frame = {944, 564, 480, 320},
                             .normalFrame = Rect{100.5, -20, 760, 520},
                             .opacity = 0.35,
                             .zoom = 1.7,
                             .identity = BrowserIdentityMode::mobile,
                             .alwaysOnTop = false,
                             .hideOnPointerExit = true,
                             .ghost = true,
                             .hidden = true});
    state.windows.push_back({.url = "http://127.0.0.1:8080/", .frame = {0, 0, 420, 260}});
    state.sites.remember("https://a.example/", {.zoom = 0.5, .opacity = 0.8});
    state.sites.remember("https://b.example/", {.identity = BrowserIdentityMode::mobile});
    return state;
}

TEST(SavedState, EncodesAndDecodesEveryField) {
    const SavedState state = sample();
    EXPECT_EQ(SavedState::decode(state.encode()), state);
    EXPECT_EQ(SavedState::decode(SavedState{}.encode()), SavedState{});
    EXPECT_EQ(SavedState::decode("{}"), SavedState{});
}

// A state file is the program's own, but anything may be in it: whatever a
// window cannot use goes, the rest stays.
TEST(SavedState, DropsWhatAWindowCannotUseFromAHostileFile) {
    for (const char* unreadable :
         {"", "null", "[]", "\"text\"", "{", "{\"windows\": [}", "\xff\xfe{}"}) {
        EXPECT_EQ(SavedState::decode(unreadable), std::nullopt) << unreadable;
    }
    const std::string frame = R"("frame": {"x": 10, "y": 20, "width": 500, "height": 300})";
    const auto windows = [&](const std::string& entries) {
        const auto decoded = SavedState::decode(R"({"windows": [)" + entries + "]}");
        return decoded ? decoded->windows.size() : 99;
    };
    EXPECT_EQ(windows(R"({"url": "https://a.example/", )" + frame + "}"), 1U);
    for (
        const std::string& refused : std::vector<std::string>{
            R"({"url": "file:///etc/passwd", )" + frame + "}",
            R"({"url": "javascript:void 0", )" + frame + "}",
            R"({"url": 7, )" + frame + "}",
            R"({"url": "https://a.example/"})",
            R"({"url": "https://a.example/", "frame": {"x": 1e308, "y": 0, "width": 9, "height": 9}})",
            R"({"url": "https://a.example/", "frame": {"x": 0, "y": 0, "width": -5, "height": 9}})",
            R"({"url": "https://a.example/", "frame": {"x": 0, "y": 0, "width": "9", "height": 9}})",
            R"({"url": "https://a.example/)" + std::string(SavedState::longestURL, 'a') + "\", " +
                frame + "}",
            std::string("[1, 2]"),
        }) {
        EXPECT_EQ(windows(refused), 0U) << refused;
    }
    std::string many;
    for (int i = 0; i < 40; ++i) {
        many += std::string(i ? "," : "") + R"({"url": "https://a.example/", )" + frame + "}";
    }
    EXPECT_EQ(windows(many), 5U);

    // Fields of the wrong type or range keep their defaults or the nearest value.
    const auto odd = SavedState::decode(
        R"({"restoreWindows": "no", "sites": {"x": 1}, "windows": [{"url": "https://a.example/", )" +
        frame +
        R"(, "mode": "fullscreen", "opacity": 7, "zoom": "big", "identity": 1, "hidden": "yes",
           "alwaysOnTop": null, "normalFrame": [1, 2]}]})");
    ASSERT_TRUE(odd);
    EXPECT_TRUE(odd->restoreWindows);
    EXPECT_EQ(
        odd->windows.at(0),
        (SavedWindow{.url = "https://a.example/", .frame = {10, 20, 500, 300}, .opacity = 1.0}));
}

TEST(SavedState, SurvivesDeepNesting) {
    const std::size_t depth = 100000;
    const std::string nested =
        R"({"windows": )" + std::string(depth, '[') + std::string(depth, ']') + "}";
    EXPECT_EQ(SavedState::decode(nested), SavedState{});
}

class StateFile : public ::testing::Test {
  protected:
    std::string contents() const {
        return DurableFile::read(path, SavedState::largestFile).value_or("");
    }
    // The names in the state folder besides the state file.
    std::vector<std::string> others() const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(path.parent_path())) {
            if (entry.path() != path) {
                names.push_back(entry.path().filename().string());
            }
        }
        return names;
    }

    TemporaryFolder folder;
    std::filesystem::path path = folder.path() / "state" / "com.orvantis.velumo" / "state.json";
};

TEST_F(StateFile, ChangesAreGatheredAndWrittenOffTheCallingThreadPrivately) {
    StateStore store(path, std::chrono::milliseconds(200));
    EXPECT_EQ(store.snapshot(), SavedState{});
    EXPECT_FALSE(std::filesystem::exists(path)) << "nothing written before a change";
    const SavedState wanted = sample();
    store.change([&](SavedState& state) { state.windows = wanted.windows; });
    store.change([&](SavedState& state) { state.sites = wanted.sites; });
    EXPECT_FALSE(std::filesystem::exists(path)) << "gathered, not written at once";
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!std::filesystem::exists(path) && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    auto written = SavedState::decode(contents());
    ASSERT_TRUE(written);
    EXPECT_EQ(written->windows, wanted.windows);
    EXPECT_EQ(written->sites, wanted.sites);

    struct stat status {};
    ASSERT_EQ(::stat(path.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0600U);
    ASSERT_EQ(::stat(path.parent_path().c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0700U);

    // What is still waiting when the store goes is written.
    {
        StateStore again(path, std::chrono::hours(1));
        EXPECT_EQ(again.snapshot().windows, wanted.windows);
        again.change([](SavedState& state) { state.windows.clear(); });
    }
    EXPECT_EQ(SavedState::decode(contents())->windows.size(), 0U);
}

TEST_F(StateFile, AnUnreadableFileIsSetAsideBeforeTheFirstWriteAndNeverStopsAStart) {
    std::filesystem::create_directories(path.parent_path());
    for (const std::string& unreadable : {std::string("{ broken"), std::string(2 << 20, ' ')}) {
        std::ofstream(path) << unreadable;
        StateStore store(path, std::chrono::hours(1), [] { return 42; });
        EXPECT_EQ(store.snapshot(), SavedState{});
        EXPECT_EQ(others(), std::vector<std::string>{}) << "untouched until a write";
        store.change([](SavedState& state) { state.restoreWindows = false; });
        store.flush();
        EXPECT_FALSE(SavedState::decode(contents())->restoreWindows);
        ASSERT_EQ(others(), std::vector<std::string>{"state.json.unreadable-42"});
        std::filesystem::remove(path.parent_path() / "state.json.unreadable-42");
    }

    // A folder where the file should be goes aside as a whole.
    std::filesystem::remove(path);
    std::filesystem::create_directories(path / "inside");
    StateStore store(path, std::chrono::hours(1), [] { return 7; });
    store.change([](SavedState& state) { state.restoreWindows = false; });
    store.flush();
    EXPECT_TRUE(std::filesystem::is_regular_file(path));
    EXPECT_TRUE(std::filesystem::exists(path.parent_path() / "state.json.unreadable-7" / "inside"));
}

// A start that brings back no shown window must not load the web engine early.
TEST_F(StateFile, AStartKnowsWhetherItBringsBackAShownWindowWithoutTouchingTheFile) {
    EXPECT_FALSE(StateStore::bringsBackAShownWindow(path)) << "no file";
    std::filesystem::create_directories(path.parent_path());
    SavedState state = sample();
    const auto store = [&] { std::ofstream(path) << state.encode(); };
    store();
    EXPECT_FALSE(StateStore::bringsBackAShownWindow(path)) << "bringing back is off";
    state.restoreWindows = true;
    store();
    EXPECT_TRUE(StateStore::bringsBackAShownWindow(path));
    state.windows.pop_back();
    store();
    EXPECT_FALSE(StateStore::bringsBackAShownWindow(path)) << "only a hidden window";
    std::ofstream(path) << "{ broken";
    EXPECT_FALSE(StateStore::bringsBackAShownWindow(path));
    EXPECT_EQ(contents(), "{ broken");
    EXPECT_EQ(others(), std::vector<std::string>{});
}

TEST_F(StateFile, ALinkStaysALink) {
    const auto target = folder.path() / "dotfiles" / "velumo-state.json";
    std::filesystem::create_directories(target.parent_path());
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(target) << SavedState{}.encode();
    std::filesystem::create_symlink(target, path);
    {
        StateStore store(path);
        store.change([](SavedState& state) { state.restoreWindows = false; });
    }
    EXPECT_TRUE(std::filesystem::is_symlink(path));
    EXPECT_FALSE(SavedState::decode(*DurableFile::read(target, 1 << 20))->restoreWindows);
}

TEST(StateStorePath, FollowsXdgStateHome) {
    const char* original = std::getenv("XDG_STATE_HOME");
    const std::string kept = original ? original : "";
    setenv("XDG_STATE_HOME", "/somewhere/state", 1);
    EXPECT_EQ(StateStore::defaultPath(), "/somewhere/state/com.orvantis.velumo/state.json");
    original ? setenv("XDG_STATE_HOME", kept.c_str(), 1) : unsetenv("XDG_STATE_HOME");
}

}  // namespace
}  // namespace velumo
