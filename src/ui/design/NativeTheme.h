#pragma once

#include <optional>
#include <string>
#include <string_view>

#include <gtkmm/cssprovider.h>

#include "design/SettingsPortal.h"
#include "design/ThemeResolution.h"

namespace velumo {

// The appearance of the whole application: the palette's colour definitions
// and the style sheet of the styled widgets, and GTK's theme settings, which
// the floating windows' chrome follows. While the preference follows the
// desktop, a change announced by the settings portal, or a change of GTK's
// theme name or prefer-dark setting made outside (a settings daemon), is
// applied at once; widgets restyle in place.
class NativeTheme {
  public:
    // Created on first use, with the preference "system"; never destroyed,
    // since GTK may still style widgets while the process ends.
    static NativeTheme& shared();

    void apply(std::string_view preference);
    Appearance appearance() const { return shown_.appearance; }

  private:
    NativeTheme();
    void update();
    // Reads the desktop's theme and how light its background is, after a
    // change made by someone else.
    void themeNameChanged();
    void preferDarkChanged();
    void measureDesktopTheme();

    std::string preference_ = "system";
    // GTK's settings as the desktop made them, read before this changes them.
    DesktopAppearance desktop_;
    SettingsPortal portal_;
    Glib::RefPtr<Gtk::CssProvider> palette_;
    ResolvedTheme shown_;
    bool loaded_ = false;
    // GTK notifies this object's own setting changes too; they are not the desktop's.
    bool writing_ = false;
    // A theme name set here hides the desktop's later ones until it is reset.
    bool themeNameWritten_ = false;
};

}  // namespace velumo
