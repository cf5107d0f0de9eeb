#include "shell/GlobalHotKeyError.h"

namespace velumo {

std::string_view GlobalHotKeyError::description() const {
    switch (kind) {
        case Kind::registrationFailed:
            return "该快捷键已被系统或其他应用占用，已保留原快捷键。";
        case Kind::invalidShortcut:
            return "快捷键格式无效，请按下带修饰键的组合键。";
        case Kind::duplicateShortcut:
            return "三个快捷键不能重复，请重新设置。";
        case Kind::typingShortcut:
            return "快捷键至少要包含 Super、Ctrl 或 Alt 中的一个键，只加 Shift 会妨碍正常打字。";
    }
    return {};
}

}  // namespace velumo
