#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include <glib.h>
#include <gtest/gtest.h>

#include "TemporaryFolder.h"
#include "app/AutostartEntry.h"
#include "data/DurableFile.h"

namespace velumo {
namespace {

// The one program an entry's Exec key starts, read as strictly as the
// desktop-entry rules allow: a single quoted argument in which '"', '`', '$'
// and '\' are escaped and "%" is doubled. None when the line breaks a rule.
std::optional<std::string> startedProgram(const std::string& entry) {
    GKeyFile* file = g_key_file_new();
    EXPECT_TRUE(
        g_key_file_load_from_data(file, entry.data(), entry.size(), G_KEY_FILE_NONE, nullptr));
    gchar* exec = g_key_file_get_string(file, "Desktop Entry", "Exec", nullptr);
    g_key_file_free(file);
    const std::string line = exec != nullptr ? exec : "";
    g_free(exec);
    if (line.size() < 2 || line.front() != '"' || line.back() != '"') {
        return std::nullopt;
    }
    std::string program;
    for (std::size_t i = 1; i + 1 < line.size(); ++i) {
        const char c = line[i];
        const bool escaped = (c == '\\' || c == '%') && i + 2 < line.size();
        if (escaped &&
            (c == '%' ? line[i + 1] == '%' : std::strchr("\"`$\\", line[i + 1]) != nullptr)) {
            program += line[++i];
        } else if (std::strchr("\"`$\\%", c) != nullptr) {
            return std::nullopt;
        } else {
            program += c;
        }
    }
    return program;
}

TEST(AutostartEntry, ExecStartsExactlyTheProgramWhateverItsPath) {
    for (const std::string path :
         {"/usr/bin/velumo", "/home/李雷/my apps/velumo", "/opt/$HOME/velumo", "/opt/100%/velumo",
          "/opt/\"real\" `x`\\velumo", "/tmp/a'b;c&d|e(f)#g*h?i~j<k>l/velumo"}) {
        EXPECT_EQ(startedProgram(AutostartEntry::contents(path)), path);
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
    EXPECT_EQ(startedProgram(DurableFile::read(entry.path(), 65536).value()), program.string());
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
