#include "KdeShortcutsDesktop.h"

#include <ranges>
#include <system_error>

#include "UiTestSupport.h"

namespace velumo::uitest {
namespace {

bool hasOwner(const char* name) {
    GDBusConnection* bus = g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, nullptr);
    GVariant* reply = g_dbus_connection_call_sync(
        bus, "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
        "NameHasOwner", g_variant_new("(s)", name), G_VARIANT_TYPE("(b)"), G_DBUS_CALL_FLAGS_NONE,
        -1, nullptr, nullptr);
    gboolean owned = FALSE;
    if (reply != nullptr) {
        g_variant_get(reply, "(b)", &owned);
        g_variant_unref(reply);
    }
    g_object_unref(bus);
    return owned != FALSE;
}

}  // namespace

KdeShortcutsDesktop::KdeShortcutsDesktop() {
    char* path = g_dir_make_tmp("velumo-kde-XXXXXX", nullptr);
    home_ = path;
    g_free(path);
    running_ =
        start({"kglobalaccel5"}, "org.kde.kglobalaccel") &&
        start({"/usr/lib/x86_64-linux-gnu/libexec/xdg-desktop-portal-kde"},
              "org.freedesktop.impl.portal.desktop.kde") &&
        start({"/usr/libexec/xdg-desktop-portal", "--replace"}, "org.freedesktop.portal.Desktop");
}

KdeShortcutsDesktop::~KdeShortcutsDesktop() {
    for (GSubprocess* process : std::views::reverse(processes_)) {
        g_subprocess_send_signal(process, SIGTERM);
        g_subprocess_wait(process, nullptr, nullptr);
        g_object_unref(process);
    }
    std::error_code ignored;
    std::filesystem::remove_all(home_, ignored);
}

bool KdeShortcutsDesktop::start(const std::vector<std::string>& command, const char* busName) {
    GSubprocessLauncher* launcher = g_subprocess_launcher_new(static_cast<GSubprocessFlags>(
        G_SUBPROCESS_FLAGS_STDOUT_SILENCE | G_SUBPROCESS_FLAGS_STDERR_SILENCE));
    g_subprocess_launcher_setenv(launcher, "XDG_CURRENT_DESKTOP", "KDE", TRUE);
    g_subprocess_launcher_setenv(launcher, "QT_QPA_PLATFORM", "xcb", TRUE);
    g_subprocess_launcher_setenv(launcher, "XDG_CONFIG_HOME", home_.c_str(), TRUE);
    std::vector<const char*> argv;
    for (const auto& argument : command) {
        argv.push_back(argument.c_str());
    }
    argv.push_back(nullptr);
    GSubprocess* process = g_subprocess_launcher_spawnv(launcher, argv.data(), nullptr);
    g_object_unref(launcher);
    if (process == nullptr) {
        return false;
    }
    processes_.push_back(process);
    return runUntil([&] { return hasOwner(busName); });
}

std::vector<std::string> KdeShortcutsDesktop::components() {
    return busStrings("org.kde.kglobalaccel", "/kglobalaccel", "org.kde.KGlobalAccel",
                      "allComponents", "o");
}

}  // namespace velumo::uitest
