#include "VelumoProcess.h"

#include <csignal>
#include <fstream>
#include <sstream>

#include "UiTestSupport.h"

namespace velumo::uitest {

VelumoProcess::VelumoProcess(const std::filesystem::path& home,
                             const std::vector<std::string>& arguments,
                             const Environment& environment)
    : outputPath_(home / ("output-" + std::to_string(g_get_monotonic_time()) + ".txt")) {
    GSubprocessLauncher* launcher = g_subprocess_launcher_new(G_SUBPROCESS_FLAGS_STDERR_MERGE);
    for (const char* folder : {"data", "cache", "config", "state"}) {
        std::filesystem::create_directories(home / folder);
    }
    g_subprocess_launcher_setenv(launcher, "XDG_DATA_HOME", (home / "data").c_str(), TRUE);
    g_subprocess_launcher_setenv(launcher, "XDG_CACHE_HOME", (home / "cache").c_str(), TRUE);
    g_subprocess_launcher_setenv(launcher, "XDG_CONFIG_HOME", (home / "config").c_str(), TRUE);
    g_subprocess_launcher_setenv(launcher, "XDG_STATE_HOME", (home / "state").c_str(), TRUE);
    for (const auto& [name, value] : environment) {
        if (value) {
            g_subprocess_launcher_setenv(launcher, name.c_str(), value->c_str(), TRUE);
        } else {
            g_subprocess_launcher_unsetenv(launcher, name.c_str());
        }
    }
    g_subprocess_launcher_set_stdout_file_path(launcher, outputPath_.c_str());
    std::vector<const char*> argv{VELUMO_BINARY};
    for (const auto& argument : arguments) {
        argv.push_back(argument.c_str());
    }
    argv.push_back(nullptr);
    GError* error = nullptr;
    process_ = g_subprocess_launcher_spawnv(launcher, argv.data(), &error);
    g_object_unref(launcher);
    if (process_ == nullptr) {
        ADD_FAILURE() << "cannot start " << VELUMO_BINARY << ": " << error->message;
        g_error_free(error);
        exited_ = true;
        return;
    }
    pid_ = std::stoi(g_subprocess_get_identifier(process_));
    g_subprocess_wait_async(
        process_, nullptr,
        [](GObject*, GAsyncResult*, gpointer exited) { *static_cast<bool*>(exited) = true; },
        &exited_);
}

VelumoProcess::~VelumoProcess() {
    if (process_ == nullptr) {
        return;
    }
    if (!exited_) {
        g_subprocess_force_exit(process_);
        runUntil([this] { return exited_; });
    }
    g_object_unref(process_);
}

void VelumoProcess::signal(int number) {
    g_subprocess_send_signal(process_, number);
}

std::optional<int> VelumoProcess::waitForExit() {
    if (!runUntil([this] { return exited_; }) || process_ == nullptr ||
        !g_subprocess_get_if_exited(process_)) {
        return std::nullopt;
    }
    return g_subprocess_get_exit_status(process_);
}

std::string VelumoProcess::output() const {
    std::ifstream file(outputPath_);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

std::vector<std::string> VelumoProcess::complaints() const {
    std::istringstream lines(output());
    std::vector<std::string> found;
    for (std::string line; std::getline(lines, line);) {
        for (const char* mark :
             {"CRITICAL **", "WARNING **", "AddressSanitizer", "runtime error"}) {
            if (line.find(mark) != std::string::npos) {
                found.push_back(line);
                break;
            }
        }
    }
    return found;
}

}  // namespace velumo::uitest
