#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include <glib.h>
#include <gtest/gtest.h>

#include "TemporaryFolder.h"
#include "app/AutostartEntry.h"
#include "data/DurableFile.h"

namespace velumo {
namespace {

using Arguments = std::vector<std::string>;

// The arguments of an Exec value as the desktop-entry rules read it, strictly:
// none when the line breaks a rule a desktop may enforce (a reserved
// character outside quotes; '"', '`', '$' or '\' unescaped inside them; a
// "%" that is no "%%").
std::optional<Arguments> execArguments(const std::string& line) {
    Arguments arguments;
    std::string current;
    bool inArgument = false;
    bool inQuotes = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        const char next = i + 1 < line.size() ? line[i + 1] : '\0';
        if (c == '%') {
            if (next != '%') {
                return std::nullopt;
            }
            current += c;
            inArgument = true;
            ++i;
        } else if (inQuotes && c == '\\') {
            if (next == '\0' || std::strchr("\"`$\\", next) == nullptr) {
                return std::nullopt;
            }
            current += next;
            ++i;
        } else if (c == '"') {
            inQuotes = !inQuotes;
            inArgument = true;
        } else if (inQuotes) {
            if (c == '`' || c == '$') {
                return std::nullopt;
            }
            current += c;
        } else if (c == ' ') {
            if (inArgument) {
                arguments.push_back(std::exchange(current, {}));
            }
            inArgument = false;
        } else if (std::strchr("\t\n'\\><~|&;$*?#()`", c) != nullptr) {
            return std::nullopt;
        } else {
            current += c;
            inArgument = true;
        }
    }
    if (inQuotes) {
        return std::nullopt;
    }
    if (inArgument) {
        arguments.push_back(current);
    }
    return arguments;
}

// The program an entry starts: its Exec key's string value, read strictly.
std::optional<Arguments> startedProgram(const std::string& entry) {
    GKeyFile* file = g_key_file_new();
    EXPECT_TRUE(
        g_key_file_load_from_data(file, entry.data(), entry.size(), G_KEY_FILE_NONE, nullptr));
    gchar* exec = g_key_file_get_string(file, "Desktop Entry", "Exec", nullptr);
    g_key_file_free(file);
    const std::string line = exec != nullptr ? exec : "";
    g_free(exec);
    return execArguments(line);
}

TEST(AutostartEntry, ExecStartsExactlyTheProgramWhateverItsPath) {
    for (const std::string path :
         {"/usr/bin/velumo", "/home/李雷/my apps/velumo", "/opt/$HOME/velumo", "/opt/100%/velumo",
          "/opt/\"real\" `x`\\velumo", "/tmp/a'b;c&d|e(f)#g*h?i~j<k>l/velumo"}) {
        EXPECT_EQ(startedProgram(AutostartEntry::contents(path)), Arguments{path}) << path;
    }
}

TEST(AutostartEntry, IsEnabledOnlyWhileAnEntryTheSessionWouldRunIsThere) {
    TemporaryFolder folder;
    const AutostartEntry entry(folder.path() / "autostart" / "com.orvantis.velumo.desktop",
                               folder.program("velumo"));
    EXPECT_FALSE(entry.enabled());
    ASSERT_TRUE(entry.setEnabled(true));
    EXPECT_TRUE(entry.enabled());
    ASSERT_TRUE(entry.setEnabled(false));
    EXPECT_FALSE(std::filesystem::exists(entry.path()));
    EXPECT_TRUE(entry.setEnabled(false)) << "removing what is gone is no failure";

    struct Case {
        const char* text;
        bool enabled;
    };
    for (const auto& [text, enabled] : {
             Case{"[Desktop Entry]\nType=Application\nExec=velumo\n", true},
             Case{"[Desktop Entry]\nExec=velumo\nHidden=true\n", false},
             Case{"[Desktop Entry]\nExec=velumo\nX-GNOME-Autostart-enabled=false\n", false},
             Case{"[Desktop Entry]\nExec=velumo\nX-GNOME-Autostart-enabled=maybe\n", true},
             Case{"[Something Else]\nExec=velumo\n", false},
             Case{"not a key file", false},
         }) {
        std::ofstream(entry.path()) << text;
        EXPECT_EQ(entry.enabled(), enabled) << text;
    }
}

TEST(AutostartEntry, StartsTheInstalledProgramAfterAnUpgradeAndRefusesWhenNoneIsThere) {
    TemporaryFolder folder;
    const auto program = folder.program("velumo");
    // What the running process's own path reads once an upgrade replaced its file.
    const auto replaced = std::filesystem::path(program.string() + " (deleted)");
    const AutostartEntry entry(folder.path() / "autostart" / "com.orvantis.velumo.desktop",
                               replaced);
    ASSERT_TRUE(entry.setEnabled(true));
    EXPECT_EQ(startedProgram(DurableFile::read(entry.path(), 65536).value()),
              Arguments{program.string()});
    EXPECT_EQ(AutostartEntry::launchable(program), program);

    std::filesystem::permissions(program, std::filesystem::perms::owner_read);
    EXPECT_EQ(AutostartEntry::launchable(program), std::nullopt) << "not executable";
    EXPECT_EQ(AutostartEntry::launchable(folder.path()), std::nullopt) << "a folder";
    std::filesystem::remove(program);
    ASSERT_TRUE(entry.setEnabled(false));
    EXPECT_EQ(entry.setEnabled(true).error(),
              "找不到可以启动的 Velumo 程序：" + program.string() + " 已被删除或移动");
    EXPECT_FALSE(std::filesystem::exists(entry.path()));
}

}  // namespace
}  // namespace velumo
