#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <glib.h>
#include <gtest/gtest.h>

#include "TemporaryFolder.h"
#include "app/AutostartEntry.h"

namespace velumo {
namespace {

// The program an entry's Exec line starts, read as a desktop does: the
// key-file value, "%%" as "%", then the quoting.
std::vector<std::string> startedProgram(const std::string& entry) {
    GKeyFile* file = g_key_file_new();
    EXPECT_TRUE(
        g_key_file_load_from_data(file, entry.data(), entry.size(), G_KEY_FILE_NONE, nullptr));
    gchar* exec = g_key_file_get_string(file, "Desktop Entry", "Exec", nullptr);
    g_key_file_free(file);
    std::string line = exec != nullptr ? exec : "";
    g_free(exec);
    for (auto at = line.find("%%"); at != std::string::npos; at = line.find("%%", at + 1)) {
        line.erase(at, 1);
    }
    gchar** argv = nullptr;
    std::vector<std::string> arguments;
    if (g_shell_parse_argv(line.c_str(), nullptr, &argv, nullptr)) {
        arguments.assign(argv, argv + g_strv_length(argv));
        g_strfreev(argv);
    }
    return arguments;
}

TEST(AutostartEntry, ExecStartsExactlyTheProgramWhateverItsPath) {
    for (const std::string path :
         {"/usr/bin/velumo", "/home/李雷/my apps/velumo", "/opt/100% \"real\" $HOME/`x`\\velumo",
          "/tmp/a'b;c&d|e(f)#g*h?i~j<k>l/velumo"}) {
        EXPECT_EQ(startedProgram(AutostartEntry::contents(path)), std::vector<std::string>{path});
    }
}

TEST(AutostartEntry, IsEnabledOnlyWhileAnEntryTheSessionWouldRunIsThere) {
    TemporaryFolder folder;
    const AutostartEntry entry(folder.path() / "autostart" / "com.orvantis.velumo.desktop",
                               "/usr/bin/velumo");
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

}  // namespace
}  // namespace velumo
