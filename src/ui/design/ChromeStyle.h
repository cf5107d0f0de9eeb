#pragma once

namespace velumo {

// The look of the floating windows' chrome (control bar, more-menu and page
// display controls): a style sheet over the Adwaita theme, light or dark.
class ChromeStyle {
  public:
    // Adds the style sheet to the default screen, and the interface's
    // language to text, the first time it is called; the chrome's widgets
    // call it as they are built.
    static void install();
};

}  // namespace velumo
