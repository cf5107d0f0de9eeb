// Velumo itself, started as its main starts it, measured like the reference
// window: until the workbench first draws. Usage: velumo_launch EXEC_NS hold|exit
#include <gdk/gdk.h>

#include "LaunchProbe.h"
#include "app/ApplicationDelegate.h"

int main(int argc, char** argv) {
    LaunchProbe probe(argc, argv, "Velumo");
    gdk_set_allowed_backends("x11");
    velumo::ApplicationDelegate delegate;
    return delegate.run(1, argv);
}
