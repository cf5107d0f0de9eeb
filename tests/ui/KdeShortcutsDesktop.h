#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include <gio/gio.h>

namespace velumo::uitest {

// The desktop portal with its KDE backend, and kglobalaccel, the service that
// keeps KDE's global shortcuts and grabs their keys under X11: the components
// a KDE Plasma desktop binds Velumo's hot keys with, started on the test's
// private bus and display (XDG_CURRENT_DESKTOP=KDE chooses the backend). The
// shortcuts they keep live in a folder of the test's own.
class KdeShortcutsDesktop {
  public:
    KdeShortcutsDesktop();
    // Ends the three in the reverse order.
    ~KdeShortcutsDesktop();
    KdeShortcutsDesktop(const KdeShortcutsDesktop&) = delete;
    KdeShortcutsDesktop& operator=(const KdeShortcutsDesktop&) = delete;

    // Whether all three came up and took their names on the bus.
    bool running() const { return running_; }
    // The names of the components kglobalaccel keeps shortcuts for.
    std::vector<std::string> components();

  private:
    bool start(const std::vector<std::string>& command, const char* busName);

    std::filesystem::path home_;
    std::vector<GSubprocess*> processes_;
    bool running_ = false;
};

}  // namespace velumo::uitest
