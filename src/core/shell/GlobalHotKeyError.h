#pragma once

#include <cstdint>
#include <string_view>

namespace velumo {

// Why a set of shortcuts was not applied; the description is shown to the
// user as it is.
struct GlobalHotKeyError {
    enum class Kind { registrationFailed, invalidShortcut, duplicateShortcut, typingShortcut };

    Kind kind = Kind::invalidShortcut;
    // The hot-key service's status for registrationFailed; 0 otherwise.
    std::int32_t status = 0;

    static GlobalHotKeyError registrationFailed(std::int32_t status) {
        return {Kind::registrationFailed, status};
    }
    static GlobalHotKeyError invalidShortcut() { return {Kind::invalidShortcut, 0}; }
    static GlobalHotKeyError duplicateShortcut() { return {Kind::duplicateShortcut, 0}; }
    // A combination without Command, Option or Control: typing produces it.
    static GlobalHotKeyError typingShortcut() { return {Kind::typingShortcut, 0}; }

    std::string_view description() const;
    bool operator==(const GlobalHotKeyError&) const = default;
};

}  // namespace velumo
