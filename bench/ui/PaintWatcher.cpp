// Sees a page's first paint from outside, as a person would: the moment a
// run of pixels in the column at the screen's centre shows the page's colour.
// It needs nothing of the program it times, so the real program is timed.
// Prints "ready" once it watches, then "painted AT" with AT the moment on the
// monotonic clock in milliseconds, or "timeout" after 60 s.
// Usage: velumo_paint_watcher RRGGBB
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include <X11/Xlib.h>
#include <X11/Xutil.h>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s RRGGBB\n", argv[0]);
        return EXIT_FAILURE;
    }
    const unsigned long colour = std::strtoul(argv[1], nullptr, 16);
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        return EXIT_FAILURE;
    }
    const Window root = DefaultRootWindow(display);
    const int width = DisplayWidth(display, DefaultScreen(display));
    const unsigned height = DisplayHeight(display, DefaultScreen(display));
    // A page's background, not a stray pixel of the same colour.
    constexpr unsigned run = 40;
    std::puts("ready");
    std::fflush(stdout);
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (std::chrono::steady_clock::now() < end) {
        XImage* column = XGetImage(display, root, width / 2, 0, 1, height, AllPlanes, ZPixmap);
        unsigned matching = 0;
        for (unsigned y = 0; column != nullptr && y < height && matching < run; ++y) {
            matching =
                (XGetPixel(column, 0, static_cast<int>(y)) & 0xffffff) == colour ? matching + 1 : 0;
        }
        if (column != nullptr) {
            XDestroyImage(column);
        }
        if (matching == run) {
            const auto now = std::chrono::steady_clock::now().time_since_epoch();
            std::printf("painted %.1f\n", std::chrono::duration<double, std::milli>(now).count());
            return EXIT_SUCCESS;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    std::puts("timeout");
    return EXIT_FAILURE;
}
