#include "browser/StateStore.h"

#include <algorithm>
#include <utility>

#include "data/AppDataStore.h"
#include "data/DurableFile.h"

namespace velumo {
namespace {

// The file at `path`, or at the end of the link there.
std::expected<std::string, std::error_code> readFile(const std::filesystem::path& path) {
    const auto target = DurableFile::linkTarget(path);
    if (!target) {
        return std::unexpected(target.error());
    }
    return DurableFile::read(*target, SavedState::largestFile);
}

}  // namespace

StateStore::StateStore(std::filesystem::path path, std::chrono::milliseconds delay, Clock clock)
    : path_(std::move(path)), delay_(delay), clock_(std::move(clock)), writer_([this](bool due) {
          if (due) {
              write();
          }
      }) {
    auto bytes = readFile(path_);
    if (!bytes) {
        unreadable_ = bytes.error() != std::errc::no_such_file_or_directory;
        return;
    }
    auto decoded = SavedState::decode(*bytes);
    unreadable_ = !decoded;
    state_ = std::move(decoded).value_or(SavedState{});
}

StateStore::~StateStore() {
    writer_.stop();
    write();
}

bool StateStore::bringsBackAShownWindow(const std::filesystem::path& path) {
    const auto bytes = readFile(path);
    const auto state = bytes ? SavedState::decode(*bytes) : std::nullopt;
    return state && state->restoreWindows &&
           std::ranges::any_of(state->windows,
                               [](const SavedWindow& window) { return !window.hidden; });
}

StateStore& StateStore::shared() {
    static StateStore store(defaultPath());
    return store;
}

std::filesystem::path StateStore::defaultPath() {
    return AppDataStore::applicationFolder("XDG_STATE_HOME", ".local/state") / "state.json";
}

StateStore::Clock StateStore::systemClock() {
    return AppDataStore::systemClock();
}

SavedState StateStore::snapshot() const {
    std::scoped_lock guard(lock_);
    return state_;
}

void StateStore::change(const std::function<void(SavedState&)>& change) {
    std::scoped_lock guard(lock_);
    const SavedState before = state_;
    change(state_);
    if (state_ != before && !changed_) {
        changed_ = true;
        writer_.writeBy(GatheredWriter::Steady::now() + delay_);
    }
}

void StateStore::flush() {
    write();
}

bool StateStore::write() {
    std::scoped_lock writing(writing_);
    std::string bytes;
    {
        std::scoped_lock guard(lock_);
        if (!changed_) {
            return true;
        }
        bytes = state_.encode();
        changed_ = false;
        writer_.cancel();
    }
    // Kept in memory; tried again after another delay.
    const auto failed = [this] {
        std::scoped_lock guard(lock_);
        changed_ = true;
        writer_.writeBy(GatheredWriter::Steady::now() + delay_);
        return false;
    };
    if (path_.has_parent_path() && !DurableFile::makePrivateFolder(path_.parent_path())) {
        return failed();
    }
    const auto target = DurableFile::linkTarget(path_);
    std::error_code error;
    const auto type = target ? std::filesystem::symlink_status(*target, error).type()
                             : std::filesystem::file_type::unknown;
    const bool regular = type == std::filesystem::file_type::regular;
    const bool found = type != std::filesystem::file_type::not_found;
    // A regular file goes aside where it is, so the links to it stay; for
    // anything else the path's own entry goes, and nothing is written into it.
    const auto destination = target && (regular || !found) ? *target : path_;
    if (found && (unreadable_ || !regular) && !DurableFile::setAside(destination, clock_())) {
        return failed();
    }
    if (!DurableFile::replace(destination, bytes)) {
        return failed();
    }
    unreadable_ = false;
    return true;
}

}  // namespace velumo
