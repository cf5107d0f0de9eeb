#include <gdk/gdk.h>

#include "app/ApplicationDelegate.h"

int main(int argc, char** argv) {
    // Keeping windows above others, placing them, reading the pointer and
    // grabbing global hot keys need X11; on a Wayland session the application
    // runs through XWayland.
    gdk_set_allowed_backends("x11");
    velumo::ApplicationDelegate delegate;
    return delegate.run(argc, argv);
}
