#pragma once

#include <expected>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace velumo {

// Whether Velumo starts when the user logs in: an XDG autostart entry, which
// the session reads at login, that starts `executable`. The entry itself is
// the state; nothing of it is kept in the data file.
class AutostartEntry {
  public:
    // $XDG_CONFIG_HOME/autostart/com.orvantis.velumo.desktop
    static std::filesystem::path defaultPath();

    AutostartEntry(std::filesystem::path path, std::filesystem::path executable)
        : path_(std::move(path)), executable_(std::move(executable)) {}

    const std::filesystem::path& path() const { return path_; }

    // The entry exists and the session would run it: it is a desktop entry
    // that is neither hidden nor switched off (as GNOME's startup applications
    // switch entries off).
    bool enabled() const;

    // Writes the entry, or removes it. The message (in Chinese) says what
    // failed, and that no program could be found when `executable` is gone.
    std::expected<void, std::string> setEnabled(bool enabled) const;

    // The program a login should start for `running`, the path the running
    // process was started from: that file, or, once an upgrade replaced it
    // (its path then ends in " (deleted)"), the one installed in its place.
    // None when nothing runnable is there.
    static std::optional<std::filesystem::path> launchable(const std::filesystem::path& running);

    // The entry's text for `executable`: its Exec line quoted as desktop
    // entries require, so any path starts exactly that program.
    static std::string contents(const std::filesystem::path& executable);

  private:
    std::filesystem::path path_;
    std::filesystem::path executable_;
};

}  // namespace velumo
