#pragma once

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include <gio/gio.h>

namespace velumo::uitest {

// The application itself, started as a person starts it, over a data folder
// of the test's own. Its output goes to a file the test reads afterwards.
class VelumoProcess {
  public:
    // Variables to set, or with no value to unset, in its environment.
    using Environment = std::map<std::string, std::optional<std::string>>;

    VelumoProcess(const std::filesystem::path& home, const std::vector<std::string>& arguments,
                  const Environment& environment = {});
    // Kills the process if it still runs.
    ~VelumoProcess();
    VelumoProcess(const VelumoProcess&) = delete;
    VelumoProcess& operator=(const VelumoProcess&) = delete;

    int pid() const { return pid_; }
    bool running() const { return !exited_; }
    void signal(int number);
    // Waits (running the main loop) until the process ends; its exit status,
    // or none when a signal ended it or it did not end in time.
    std::optional<int> waitForExit();
    // Everything it wrote to standard output and standard error.
    std::string output() const;
    // The lines of the output that report a toolkit or sanitizer complaint.
    std::vector<std::string> complaints() const;

  private:
    GSubprocess* process_ = nullptr;
    int pid_ = 0;
    bool exited_ = false;
    std::filesystem::path outputPath_;
};

}  // namespace velumo::uitest
