#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <mutex>

#include "browser/SavedState.h"
#include "data/GatheredWriter.h"

namespace velumo {

// The state file: what one run leaves for the next (the floating windows,
// the sites' choices, whether to bring the windows back), apart from the
// user's data file. A change is made in memory at once and written within
// the gathering delay, off the calling thread, so a crash loses at most
// that much of it. The file is replaced as the data file is (a temporary
// file, fsync, rename; a link stays a link). A file that cannot be read is
// set aside as state.json.unreadable-<time> before anything is written, and
// the run starts from a fresh state: the state file never stops Velumo.
class StateStore {
  public:
    using Clock = std::function<std::uint64_t()>;
    static constexpr std::chrono::milliseconds gathering{2000};

    explicit StateStore(std::filesystem::path path, std::chrono::milliseconds delay = gathering,
                        Clock clock = systemClock());
    StateStore(const StateStore&) = delete;
    StateStore& operator=(const StateStore&) = delete;
    // Writes what is still waiting.
    ~StateStore();

    // The process-wide store on defaultPath(), read on first use. Only the
    // application's primary instance may use it.
    static StateStore& shared();
    // $XDG_STATE_HOME/com.orvantis.velumo/state.json (~/.local/state when unset).
    static std::filesystem::path defaultPath();
    static Clock systemClock();
    // Whether a start finds a window at `path` to bring back shown. It only
    // reads: a start decides with it, before it may use the store, whether
    // to load the web engine early.
    static bool bringsBackAShownWindow(const std::filesystem::path& path);

    const std::filesystem::path& path() const { return path_; }
    SavedState snapshot() const;
    // Applies `change` to the state in memory; the file follows, unless
    // nothing changed.
    void change(const std::function<void(SavedState&)>& change);
    // Writes what is waiting, now, on the calling thread.
    void flush();

  private:
    // Writes the state if it changed since the last write; whether it is
    // written now.
    bool write();

    std::filesystem::path path_;
    std::chrono::milliseconds delay_;
    Clock clock_;
    // One write at a time; taken before lock_, never while holding it.
    std::mutex writing_;
    // Guards what follows; held only for moments, never across the disk.
    mutable std::mutex lock_;
    SavedState state_;
    bool changed_ = false;
    // What is at the path is no state file of ours: it goes aside first.
    bool unreadable_ = false;
    // Last: it stops before anything it uses goes.
    GatheredWriter writer_;
};

}  // namespace velumo
