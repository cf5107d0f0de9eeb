#include "UiTestSupport.h"

#include <algorithm>
#include <cmath>
#include <iterator>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <gdk/gdkx.h>

#include "shell/XkbKeyNames.h"

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

// Presses the keys in order and releases them in reverse.
void tapKeyCodes(const std::vector<unsigned>& keyCodes) {
    for (const unsigned code : keyCodes) {
        XTestFakeKeyEvent(xDisplay(), code, True, CurrentTime);
    }
    for (auto code = std::rbegin(keyCodes); code != std::rend(keyCodes); ++code) {
        XTestFakeKeyEvent(xDisplay(), *code, False, CurrentTime);
    }
    flushInput();
}

}  // namespace

bool runUntil(const std::function<bool()>& condition) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(15);
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
    const auto end = std::chrono::steady_clock::now() + duration;
    runUntil([end] { return std::chrono::steady_clock::now() >= end; });
}

void drainMainLoop() {
    while (g_main_context_iteration(nullptr, FALSE)) {
    }
}

bool presentAndWait(Gtk::Window& window) {
    window.present();
    return runUntil([&] { return window.is_active(); });
}

Rect rootFrame(Gtk::Widget& widget) {
    int originX = 0;
    int originY = 0;
    widget.get_toplevel()->get_window()->get_origin(originX, originY);
    int x = 0;
    int y = 0;
    widget.translate_coordinates(*widget.get_toplevel(), 0, 0, x, y);
    return {static_cast<double>(originX + x), static_cast<double>(originY + y),
            static_cast<double>(widget.get_allocated_width()),
            static_cast<double>(widget.get_allocated_height())};
}

void movePointer(Point point) {
    XTestFakeMotionEvent(xDisplay(), -1, static_cast<int>(std::lround(point.x)),
                         static_cast<int>(std::lround(point.y)), CurrentTime);
    flushInput();
}

void pressButton() {
    XTestFakeButtonEvent(xDisplay(), 1, True, CurrentTime);
    flushInput();
}

void releaseButton() {
    XTestFakeButtonEvent(xDisplay(), 1, False, CurrentTime);
    flushInput();
}

void click(Point point) {
    movePointer(point);
    pressButton();
    releaseButton();
}

void scrollDown() {
    XTestFakeButtonEvent(xDisplay(), 5, True, CurrentTime);
    XTestFakeButtonEvent(xDisplay(), 5, False, CurrentTime);
    flushInput();
}

void clickOn(Gtk::Widget& widget) {
    const Rect frame = rootFrame(widget);
    click({frame.midX(), frame.midY()});
}

void tapKey(unsigned keysym) {
    tapKeys({keysym});
}

void tapKeys(const std::vector<unsigned>& keysyms) {
    std::vector<unsigned> codes;
    for (const unsigned keysym : keysyms) {
        codes.push_back(XKeysymToKeycode(xDisplay(), keysym));
    }
    tapKeyCodes(codes);
}

void tapKeysAt(const std::vector<unsigned>& modifierKeysyms, const std::string& keyName) {
    std::vector<unsigned> codes;
    for (const unsigned keysym : modifierKeysyms) {
        codes.push_back(XKeysymToKeycode(xDisplay(), keysym));
    }
    const auto code = XkbKeyNames::keyCode(gdk_display_get_default(), keyName);
    ASSERT_TRUE(code) << keyName;
    codes.push_back(static_cast<unsigned>(*code));
    tapKeyCodes(codes);
}

bool setKeyboardLayout(const std::string& layout) {
    bool changed = false;
    GdkKeymap* keymap = gdk_keymap_get_for_display(gdk_display_get_default());
    const gulong handler = g_signal_connect_swapped(
        keymap, "keys-changed", G_CALLBACK(+[](bool* flag) { *flag = true; }), &changed);
    const std::string command = "setxkbmap " + layout;
    gint status = 0;
    const bool ran =
        g_spawn_command_line_sync(command.c_str(), nullptr, nullptr, &status, nullptr) &&
        g_spawn_check_wait_status(status, nullptr);
    const bool seen = ran && runUntil([&] { return changed; });
    g_signal_handler_disconnect(keymap, handler);
    drainMainLoop();
    return seen;
}

std::vector<std::string> windowProperty(Gtk::Window& window, const char* name) {
    Atom type = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long remaining = 0;
    unsigned char* data = nullptr;
    std::vector<std::string> items;
    if (XGetWindowProperty(xDisplay(), gdk_x11_window_get_xid(window.get_window()->gobj()),
                           XInternAtom(xDisplay(), name, False), 0, 64, False, AnyPropertyType,
                           &type, &format, &count, &remaining, &data) == Success &&
        format == 32) {
        // Xlib hands 32-bit items over as longs with the sign extended.
        const auto* values = reinterpret_cast<unsigned long*>(data);
        for (unsigned long i = 0; i < count; ++i) {
            if (type == XA_ATOM) {
                char* atom = XGetAtomName(xDisplay(), values[i]);
                items.emplace_back(atom);
                XFree(atom);
            } else {
                items.push_back(std::to_string(values[i] & 0xffffffffUL));
            }
        }
    }
    if (data != nullptr) {
        XFree(data);
    }
    return items;
}

std::optional<std::string> evaluateScript(WebKitWebView* view, const std::string& script) {
    struct Outcome {
        bool done = false;
        std::optional<std::string> text;
    } outcome;
    webkit_web_view_evaluate_javascript(
        view, script.c_str(), -1, nullptr, nullptr, nullptr,
        [](GObject* source, GAsyncResult* result, gpointer data) {
            auto* out = static_cast<Outcome*>(data);
            if (JSCValue* value = webkit_web_view_evaluate_javascript_finish(
                    WEBKIT_WEB_VIEW(source), result, nullptr)) {
                char* text = jsc_value_to_string(value);
                out->text = text;
                g_free(text);
                g_object_unref(value);
            }
            out->done = true;
        },
        &outcome);
    // WebKit always answers, if only with an error when the page goes away.
    while (!outcome.done) {
        g_main_context_iteration(nullptr, TRUE);
    }
    return outcome.text;
}

namespace {

std::vector<std::string>& toleratedComplaints() {
    static std::vector<std::string> messages;
    return messages;
}

}  // namespace

ToleratedComplaint::ToleratedComplaint(std::string message) : message_(std::move(message)) {
    toleratedComplaints().push_back(message_);
}

ToleratedComplaint::~ToleratedComplaint() {
    auto& messages = toleratedComplaints();
    messages.erase(std::ranges::find(messages, message_));
}

bool ToleratedComplaint::tolerates(const std::string& message) {
    return std::ranges::find(toleratedComplaints(), message) != toleratedComplaints().end();
}

void UiTest::TearDown() {
    drainMainLoop();
    runFor(std::chrono::milliseconds(50));
}

std::vector<std::string> busStrings(const char* name, const char* path, const char* interface,
                                    const char* method, const char* element) {
    std::vector<std::string> strings;
    const std::string array = std::string("a") + element;
    const std::string type = "(" + array + ")";
    GDBusConnection* bus = g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, nullptr);
    GVariant* reply = g_dbus_connection_call_sync(bus, name, path, interface, method, nullptr,
                                                  G_VARIANT_TYPE(type.c_str()),
                                                  G_DBUS_CALL_FLAGS_NONE, -1, nullptr, nullptr);
    if (reply != nullptr) {
        GVariantIter* iter = nullptr;
        const char* text = nullptr;
        g_variant_get(reply, type.c_str(), &iter);
        while (g_variant_iter_next(iter, ("&" + std::string(element)).c_str(), &text)) {
            strings.emplace_back(text);
        }
        g_variant_iter_free(iter);
        g_variant_unref(reply);
    }
    g_object_unref(bus);
    return strings;
}

}  // namespace velumo::uitest
