#include "app/AutostartEntry.h"

#include <cerrno>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

#include <glib.h>

#include "app/ApplicationIdentity.h"
#include "data/DurableFile.h"

namespace velumo {
namespace {

constexpr const char* group = "Desktop Entry";
// Far more than any entry; a larger file is not one we would run.
constexpr std::size_t largestEntry = std::size_t{64} * 1024;

using KeyFile = std::unique_ptr<GKeyFile, decltype(&g_key_file_free)>;

KeyFile newKeyFile() {
    return {g_key_file_new(), &g_key_file_free};
}

// A false boolean key; absent or unreadable keys count as not false.
bool isFalse(GKeyFile* file, const char* key) {
    GError* error = nullptr;
    const gboolean value = g_key_file_get_boolean(file, group, key, &error);
    if (error != nullptr) {
        g_error_free(error);
        return false;
    }
    return value == FALSE;
}

// One argument of an Exec line: always quoted, with the characters that stay
// special inside quotes escaped, and "%" doubled so no field code is read.
std::string execArgument(std::string_view argument) {
    std::string quoted = "\"";
    for (const char c : argument) {
        if (c == '"' || c == '`' || c == '$' || c == '\\') {
            quoted += '\\';
        } else if (c == '%') {
            quoted += '%';
        }
        quoted += c;
    }
    return quoted + "\"";
}

// The path a program was started from, without the mark the kernel adds
// once that file has been replaced or removed.
std::filesystem::path installedPath(const std::filesystem::path& running) {
    constexpr std::string_view replaced = " (deleted)";
    const std::string text = running.string();
    return text.ends_with(replaced) ? text.substr(0, text.size() - replaced.size()) : text;
}

std::string failure(std::string_view action, const std::filesystem::path& subject, int error) {
    return std::string(action) + " " + subject.string() + "：" + g_strerror(error);
}

}  // namespace

std::filesystem::path AutostartEntry::defaultPath() {
    return std::filesystem::path(g_get_user_config_dir()) / "autostart" /
           (std::string(ApplicationIdentity::id) + ".desktop");
}

bool AutostartEntry::enabled() const {
    const auto text = DurableFile::read(path_, largestEntry);
    if (!text) {
        return false;
    }
    const KeyFile file = newKeyFile();
    if (g_key_file_load_from_data(file.get(), text->data(), text->size(), G_KEY_FILE_NONE,
                                  nullptr) == FALSE ||
        g_key_file_has_group(file.get(), group) == FALSE) {
        return false;
    }
    return !isFalse(file.get(), "X-GNOME-Autostart-enabled") &&
           g_key_file_get_boolean(file.get(), group, "Hidden", nullptr) == FALSE;
}

std::expected<void, std::string> AutostartEntry::setEnabled(bool enabled) const {
    if (!enabled) {
        if (::unlink(path_.c_str()) != 0 && errno != ENOENT) {
            return std::unexpected(failure("无法删除登录启动项", path_, errno));
        }
        return {};
    }
    const auto program = launchable(executable_);
    if (!program) {
        return std::unexpected("找不到可以启动的 Velumo 程序：" +
                               installedPath(executable_).string() + " 已被删除或移动");
    }
    const auto folder = path_.parent_path();
    if (g_mkdir_with_parents(folder.c_str(), 0755) != 0) {
        return std::unexpected(failure("无法创建文件夹", folder, errno));
    }
    return DurableFile::replace(path_, contents(*program));
}

std::optional<std::filesystem::path> AutostartEntry::launchable(
    const std::filesystem::path& running) {
    for (const auto& candidate : {running, installedPath(running)}) {
        struct stat status {};
        if (::stat(candidate.c_str(), &status) == 0 && S_ISREG(status.st_mode) &&
            ::access(candidate.c_str(), X_OK) == 0) {
            return candidate;
        }
    }
    return std::nullopt;
}

std::string AutostartEntry::contents(const std::filesystem::path& executable) {
    const KeyFile file = newKeyFile();
    g_key_file_set_string(file.get(), group, "Type", "Application");
    g_key_file_set_string(file.get(), group, "Name", "Velumo");
    g_key_file_set_string(file.get(), group, "Comment", "登录时启动 Velumo");
    g_key_file_set_string(file.get(), group, "Exec", execArgument(executable.string()).c_str());
    g_key_file_set_string(file.get(), group, "Icon", std::string(ApplicationIdentity::id).c_str());
    g_key_file_set_boolean(file.get(), group, "Terminal", FALSE);
    g_key_file_set_boolean(file.get(), group, "X-GNOME-Autostart-enabled", TRUE);
    gsize length = 0;
    gchar* data = g_key_file_to_data(file.get(), &length, nullptr);
    std::string text(data, length);
    g_free(data);
    return text;
}

}  // namespace velumo
