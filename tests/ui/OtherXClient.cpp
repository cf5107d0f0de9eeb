#include "OtherXClient.h"

#include <algorithm>
#include <unistd.h>

// After every other header: Xlib's macros clash with theirs.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace velumo::uitest {
namespace {

bool refused = false;

int noteRefusal(Display*, XErrorEvent* error) {
    refused = refused || error->error_code == BadAccess;
    return 0;
}

}  // namespace

struct OtherXClient::Connection {
    Display* display = XOpenDisplay(nullptr);

    Atom atom(const char* name) const { return XInternAtom(display, name, False); }

    // A property as Xlib hands it over: 32-bit items as longs, 8-bit ones as
    // bytes; empty when the window has none of that format.
    template <typename Item>
    std::vector<Item> property(Window window, const char* name, Atom type) const {
        Atom actualType = None;
        int format = 0;
        unsigned long count = 0;
        unsigned long remaining = 0;
        unsigned char* data = nullptr;
        std::vector<Item> items;
        if (XGetWindowProperty(display, window, atom(name), 0, 1024, False, type, &actualType,
                               &format, &count, &remaining, &data) == Success &&
            format == (sizeof(Item) == 1 ? 8 : 32)) {
            const auto* first = reinterpret_cast<const Item*>(data);
            items.assign(first, first + count);
        }
        if (data != nullptr) {
            XFree(data);
        }
        return items;
    }
    std::vector<unsigned long> items(Window window, const char* name, Atom type) const {
        return property<unsigned long>(window, name, type);
    }
    std::string title(Window window) const {
        const auto bytes = property<char>(window, "_NET_WM_NAME", atom("UTF8_STRING"));
        return {bytes.begin(), bytes.end()};
    }

    void sendToRoot(Window window, const char* message, std::initializer_list<long> data) const {
        XEvent event{};
        event.xclient.type = ClientMessage;
        event.xclient.window = window;
        event.xclient.message_type = atom(message);
        event.xclient.format = 32;
        int i = 0;
        for (const long value : data) {
            event.xclient.data.l[i++] = value;
        }
        XSendEvent(display, DefaultRootWindow(display), False,
                   SubstructureRedirectMask | SubstructureNotifyMask, &event);
        XSync(display, False);
    }
};

OtherXClient::OtherXClient() : connection_(new Connection) {
    // Requests to the window manager go to the root window's substructure,
    // where any client may watch them.
    XSelectInput(connection_->display, DefaultRootWindow(connection_->display),
                 SubstructureNotifyMask);
}

OtherXClient::~OtherXClient() {
    XCloseDisplay(connection_->display);
    delete connection_;
}

bool OtherXClient::grab(unsigned keysym, std::initializer_list<unsigned> modifierKeys) {
    Display* display = connection_->display;
    XModifierKeymap* map = XGetModifierMapping(display);
    unsigned mask = 0;
    for (const unsigned key : modifierKeys) {
        const KeyCode code = XKeysymToKeycode(display, key);
        for (int i = 0; i < 8 * map->max_keypermod; ++i) {
            if (map->modifiermap[i] == code) {
                mask |= 1U << static_cast<unsigned>(i / map->max_keypermod);
            }
        }
    }
    XFreeModifiermap(map);
    refused = false;
    XErrorHandler previous = XSetErrorHandler(noteRefusal);
    XGrabKey(display, XKeysymToKeycode(display, keysym), mask, DefaultRootWindow(display), False,
             GrabModeAsync, GrabModeAsync);
    XSync(display, False);
    XSetErrorHandler(previous);
    return !refused;
}

// The server held, no other client's grab of the key can fall between the
// probe's grab and its release, and be refused.
bool OtherXClient::grabbedElsewhere(unsigned keysym, std::initializer_list<unsigned> modifierKeys) {
    Display* display = connection_->display;
    XGrabServer(display);
    const bool free = grab(keysym, modifierKeys);
    XUngrabKey(display, XKeysymToKeycode(display, keysym), AnyModifier, DefaultRootWindow(display));
    XUngrabServer(display);
    XSync(display, False);
    return !free;
}

std::vector<ClientWindow> OtherXClient::windowsOf(int pid) {
    const Connection& c = *connection_;
    std::vector<ClientWindow> windows;
    const Atom dialogType = c.atom("_NET_WM_WINDOW_TYPE_DIALOG");
    for (const unsigned long window :
         c.items(DefaultRootWindow(c.display), "_NET_CLIENT_LIST_STACKING", XA_WINDOW)) {
        const auto pids = c.items(window, "_NET_WM_PID", XA_CARDINAL);
        if (pids.empty() || static_cast<int>(pids.front()) != pid) {
            continue;
        }
        const auto types = c.items(window, "_NET_WM_WINDOW_TYPE", XA_ATOM);
        windows.push_back(
            {window, c.title(window),
             !types.empty() && types.front() == static_cast<unsigned long>(dialogType)});
    }
    return windows;
}

void OtherXClient::readEvents() {
    Display* display = connection_->display;
    const Atom request = connection_->atom("_NET_ACTIVE_WINDOW");
    XSync(display, False);
    while (XPending(display) > 0) {
        XEvent event;
        XNextEvent(display, &event);
        if (event.type == ClientMessage && event.xclient.message_type == request) {
            activations_.emplace_back(event.xclient.window,
                                      static_cast<std::uint32_t>(event.xclient.data.l[1]));
        } else if (event.type == ButtonPress) {
            pointerEvents_.push_back("press " + std::to_string(event.xbutton.button));
        } else if (event.type == MotionNotify &&
                   std::ranges::find(pointerEvents_, "motion") == pointerEvents_.end()) {
            pointerEvents_.emplace_back("motion");
        }
    }
}

std::uint64_t OtherXClient::openScreenWindow() {
    Display* display = connection_->display;
    const Window root = DefaultRootWindow(display);
    XWindowAttributes screen{};
    XGetWindowAttributes(display, root, &screen);
    const Window window =
        XCreateSimpleWindow(display, root, 0, 0, static_cast<unsigned>(screen.width),
                            static_cast<unsigned>(screen.height), 0, 0, 0xffffff);
    XSelectInput(display, window, ButtonPressMask | PointerMotionMask);
    XStoreName(display, window, "Beneath");
    XMapWindow(display, window);
    for (int i = 0; i < 300; ++i) {
        XWindowAttributes attributes{};
        XGetWindowAttributes(display, window, &attributes);
        if (attributes.map_state == IsViewable) {
            break;
        }
        XSync(display, False);
        usleep(10000);
    }
    return window;
}

std::vector<std::string> OtherXClient::pointerEvents() {
    readEvents();
    return std::exchange(pointerEvents_, {});
}

std::vector<std::uint32_t> OtherXClient::activationTimes(std::uint64_t window) {
    readEvents();
    std::vector<std::uint32_t> times;
    std::erase_if(activations_, [&](const auto& activation) {
        if (activation.first != window) {
            return false;
        }
        times.push_back(activation.second);
        return true;
    });
    return times;
}

std::optional<std::uint64_t> OtherXClient::activeWindow() {
    const auto active = connection_->items(DefaultRootWindow(connection_->display),
                                           "_NET_ACTIVE_WINDOW", XA_WINDOW);
    if (active.empty() || active.front() == None) {
        return std::nullopt;
    }
    return active.front();
}

Rect OtherXClient::frame(std::uint64_t window) {
    Display* display = connection_->display;
    Window child = None;
    int x = 0;
    int y = 0;
    XTranslateCoordinates(display, window, DefaultRootWindow(display), 0, 0, &x, &y, &child);
    XWindowAttributes attributes{};
    XGetWindowAttributes(display, window, &attributes);
    // Left, right, top, bottom.
    auto extents = connection_->items(window, "_NET_FRAME_EXTENTS", XA_CARDINAL);
    extents.resize(4, 0);
    return {static_cast<double>(x) - static_cast<double>(extents[0]),
            static_cast<double>(y) - static_cast<double>(extents[2]),
            static_cast<double>(attributes.width + static_cast<int>(extents[0] + extents[1])),
            static_cast<double>(attributes.height + static_cast<int>(extents[2] + extents[3]))};
}

double OtherXClient::opacity(std::uint64_t window) {
    const auto value = connection_->items(window, "_NET_WM_WINDOW_OPACITY", XA_CARDINAL);
    return value.empty() ? 1.0 : static_cast<double>(value.front()) / 0xffffffffU;
}

bool OtherXClient::above(std::uint64_t window) {
    const auto states = connection_->items(window, "_NET_WM_STATE", XA_ATOM);
    return std::ranges::find(states, connection_->atom("_NET_WM_STATE_ABOVE")) != states.end();
}

void OtherXClient::requestClose(std::uint64_t window) {
    // Source 2: a pager or a person, not the application itself.
    connection_->sendToRoot(window, "_NET_CLOSE_WINDOW", {CurrentTime, 2});
}

void OtherXClient::requestActivate(std::uint64_t window) {
    connection_->sendToRoot(window, "_NET_ACTIVE_WINDOW", {2, CurrentTime});
}

void OtherXClient::requestMove(std::uint64_t window, Point origin) {
    // North-west gravity, x and y given, source 2.
    constexpr long flags = NorthWestGravity | (1L << 8) | (1L << 9) | (2L << 12);
    connection_->sendToRoot(
        window, "_NET_MOVERESIZE_WINDOW",
        {flags, static_cast<long>(origin.x), static_cast<long>(origin.y), 0, 0});
}

}  // namespace velumo::uitest
