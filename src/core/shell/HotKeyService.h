#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>

namespace velumo {

// The identifier a registration carries and a press reports back: a
// four-character signature and a number.
struct HotKeyIdentifier {
    std::uint32_t signature = 0;
    std::uint32_t id = 0;
    bool operator==(const HotKeyIdentifier&) const = default;
};

// The big-endian value of a four-character code ("VLMO" -> 0x564C4D4F).
constexpr std::uint32_t fourCharCode(const char (&code)[5]) {
    return (static_cast<std::uint32_t>(static_cast<unsigned char>(code[0])) << 24U) |
           (static_cast<std::uint32_t>(static_cast<unsigned char>(code[1])) << 16U) |
           (static_cast<std::uint32_t>(static_cast<unsigned char>(code[2])) << 8U) |
           static_cast<std::uint32_t>(static_cast<unsigned char>(code[3]));
}

// Statuses of the hot-key contract. Key codes and modifiers are the Carbon
// values (see ShortcutText), so the statuses are Carbon's too.
namespace HotKeyStatus {
inline constexpr std::int32_t ok = 0;
// A press handler's answer for a press that is not its own.
inline constexpr std::int32_t eventNotHandled = -9874;
// Another client (application or desktop) holds the combination.
inline constexpr std::int32_t hotKeyExists = -9878;
// The combination cannot be grabbed at all, or there is no service.
inline constexpr std::int32_t hotKeyInvalid = -9879;
}  // namespace HotKeyStatus

// What the desktop made of the registered hot keys, from a service whose
// desktop binds them itself and answers later (the portal).
struct DesktopBindings {
    enum class Answer {
        // Asked; the desktop has not answered yet.
        waiting,
        // The desktop answered: `triggers` holds the keys it gave.
        answered,
        // The desktop refused the set (the person declined, or it failed).
        refused,
    };
    Answer answer = Answer::waiting;
    // The desktop's description of the key it gave each hot key, by the
    // registration's id; a hot key without one has no key yet.
    std::map<std::uint32_t, std::string> triggers;
    bool operator==(const DesktopBindings&) const = default;
};

// The desktop's system-wide hot keys. The desktop layer implements it with
// key grabs on X11 (Command = Super, Option = Alt, Control = Ctrl, Shift =
// Shift) and with the desktop portal on Wayland; tests use a fake that can
// refuse chosen combinations. Main thread only.
class HotKeyService {
  public:
    using Reference = std::uint64_t;

    // A registration succeeded exactly when the status is ok and a reference
    // came back; a refused grab answers a non-zero status.
    struct Registration {
        std::int32_t status = HotKeyStatus::ok;
        std::optional<Reference> reference;
    };

    // Called on the main thread for every press of a registered hot key, with
    // the identifier given at registration; answers ok or eventNotHandled.
    using PressHandler = std::function<std::int32_t(HotKeyIdentifier)>;
    using BindingObserver = std::function<void(const DesktopBindings&)>;

    virtual ~HotKeyService() = default;

    virtual Registration registerHotKey(std::uint32_t keyCode, std::uint32_t modifiers,
                                        HotKeyIdentifier identifier) = 0;
    virtual void unregisterHotKey(Reference reference) = 0;
    // There is at most one press handler; installing replaces it.
    virtual void installPressHandler(PressHandler handler) = 0;
    virtual void removePressHandler() = 0;
    // A service whose desktop binds the keys itself accepts registrations at
    // once and reports here, on the main thread, each time its desktop's
    // answer changes; grabs, which answer at once, never report. There is at
    // most one observer; setting one replaces it.
    virtual void observeBindings(const BindingObserver& /*observer*/) {}
};

}  // namespace velumo
