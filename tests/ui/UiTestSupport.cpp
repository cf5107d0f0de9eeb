#include "UiTestSupport.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <gdk/gdkx.h>
#include <glib.h>

namespace velumo::uitest {
namespace {

Display* xDisplay() {
    return gdk_x11_display_get_xdisplay(gdk_display_get_default());
}

// Waits until the server has handled the fake events and GTK has dispatched
// what they caused, so the next event meets widgets in the state a person's
// next action would.
void flushInput() {
    XSync(xDisplay(), False);
    drainMainLoop();
}

}  // namespace

bool runUntil(const std::function<bool()>& condition, std::chrono::milliseconds deadline) {
    const auto end = std::chrono::steady_clock::now() + deadline;
    // Wakes the blocking iteration regularly so the condition is re-read even
    // when nothing else happens.
    const guint ticker = g_timeout_add(
        10, [](gpointer) -> gboolean { return G_SOURCE_CONTINUE; }, nullptr);
    bool held = condition();
    while (!held && std::chrono::steady_clock::now() < end) {
        g_main_context_iteration(nullptr, TRUE);
        held = condition();
    }
    g_source_remove(ticker);
    return held;
}

void runFor(std::chrono::milliseconds duration) {
    runUntil([] { return false; }, duration);
}

void drainMainLoop() {
    while (g_main_context_iteration(nullptr, FALSE)) {
    }
}

bool presentAndWait(Gtk::Window& window) {
    window.present();
    return runUntil([&] { return window.is_active(); });
}

void movePointer(int x, int y) {
    XTestFakeMotionEvent(xDisplay(), -1, x, y, CurrentTime);
    flushInput();
}

void pressButton(unsigned button) {
    XTestFakeButtonEvent(xDisplay(), button, True, CurrentTime);
    flushInput();
}

void releaseButton(unsigned button) {
    XTestFakeButtonEvent(xDisplay(), button, False, CurrentTime);
    flushInput();
}

void click(int x, int y, unsigned button) {
    movePointer(x, y);
    pressButton(button);
    releaseButton(button);
}

void tapKey(unsigned keysym, const std::vector<unsigned>& modifiers) {
    Display* display = xDisplay();
    for (unsigned modifier : modifiers) {
        XTestFakeKeyEvent(display, XKeysymToKeycode(display, modifier), True, CurrentTime);
    }
    const KeyCode code = XKeysymToKeycode(display, keysym);
    XTestFakeKeyEvent(display, code, True, CurrentTime);
    XTestFakeKeyEvent(display, code, False, CurrentTime);
    for (auto it = modifiers.rbegin(); it != modifiers.rend(); ++it) {
        XTestFakeKeyEvent(display, XKeysymToKeycode(display, *it), False, CurrentTime);
    }
    flushInput();
}

std::pair<int, int> pointerPosition() {
    Display* display = xDisplay();
    Window root = 0;
    Window child = 0;
    int rootX = 0;
    int rootY = 0;
    int winX = 0;
    int winY = 0;
    unsigned mask = 0;
    XQueryPointer(display, DefaultRootWindow(display), &root, &child, &rootX, &rootY, &winX, &winY,
                  &mask);
    return {rootX, rootY};
}

namespace {

// The items of a 32-bit window property; X hands them over as longs.
std::vector<unsigned long> propertyItems(Gtk::Window& window, const char* name, Atom type) {
    Display* display = xDisplay();
    Atom actual = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long remaining = 0;
    unsigned char* data = nullptr;
    std::vector<unsigned long> items;
    if (XGetWindowProperty(display, gdk_x11_window_get_xid(window.get_window()->gobj()),
                           XInternAtom(display, name, False), 0, 64, False, type, &actual, &format,
                           &count, &remaining, &data) == Success &&
        data != nullptr && format == 32) {
        // Xlib widens the 32-bit items to longs with the sign extended.
        const auto* values = reinterpret_cast<unsigned long*>(data);
        for (unsigned long i = 0; i < count; ++i) {
            items.push_back(values[i] & 0xffffffffUL);
        }
    }
    if (data != nullptr) {
        XFree(data);
    }
    return items;
}

}  // namespace

std::optional<unsigned long> cardinalProperty(Gtk::Window& window, const char* name) {
    const auto items = propertyItems(window, name, XA_CARDINAL);
    if (items.size() != 1) {
        return std::nullopt;
    }
    return items.front();
}

std::vector<std::string> windowManagerStates(Gtk::Window& window) {
    std::vector<std::string> names;
    for (unsigned long atom : propertyItems(window, "_NET_WM_STATE", XA_ATOM)) {
        char* name = XGetAtomName(xDisplay(), static_cast<Atom>(atom));
        names.emplace_back(name);
        XFree(name);
    }
    return names;
}

double windowSystemOpacity(Gtk::Window& window) {
    const auto value = cardinalProperty(window, "_NET_WM_WINDOW_OPACITY");
    return value ? static_cast<double>(*value) / 0xffffffffUL : 1.0;
}

std::optional<std::string> evaluateScript(WebKitWebView* view, const std::string& script) {
    struct Outcome {
        bool done = false;
        std::optional<std::string> text;
    } outcome;
    GCancellable* cancellable = g_cancellable_new();
    webkit_web_view_evaluate_javascript(
        view, script.c_str(), -1, nullptr, nullptr, cancellable,
        [](GObject* source, GAsyncResult* result, gpointer data) {
            auto* out = static_cast<Outcome*>(data);
            GError* error = nullptr;
            JSCValue* value =
                webkit_web_view_evaluate_javascript_finish(WEBKIT_WEB_VIEW(source), result, &error);
            if (value != nullptr) {
                char* text = jsc_value_to_string(value);
                out->text = text;
                g_free(text);
                g_object_unref(value);
            } else {
                g_error_free(error);
            }
            out->done = true;
        },
        &outcome);
    if (!runUntil([&] { return outcome.done; })) {
        // The callback holds a pointer to this frame: cancel and wait for it.
        g_cancellable_cancel(cancellable);
        while (!outcome.done) {
            g_main_context_iteration(nullptr, TRUE);
        }
    }
    g_object_unref(cancellable);
    return outcome.text;
}

void UiTest::TearDown() {
    drainMainLoop();
    runFor(std::chrono::milliseconds(50));
}

}  // namespace velumo::uitest
