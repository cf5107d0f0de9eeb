#include "shell/HotKeyMessages.h"

namespace velumo::HotKeyMessages {
namespace {

constexpr const char* noneActive = "目前没有生效的全局快捷键，可在“设置”中另选组合键。";

std::string listed(const std::vector<std::string>& items) {
    std::string text;
    for (std::size_t i = 0; i < items.size(); ++i) {
        text += (i == 0 ? "" : "，") + items[i];
    }
    return text;
}

}  // namespace

std::string activeNow(const std::optional<ShortcutTexts>& active) {
    if (!active) {
        return noneActive;
    }
    const auto commands = HotKeyBackends::desktopShortcutCommands();
    std::vector<std::string> keys;
    keys.reserve(active->size());
    for (std::size_t i = 0; i < active->size(); ++i) {
        keys.push_back(commands.at(i).title + " " + ShortcutText::displayed(active->at(i)));
    }
    return "目前生效的快捷键：" + listed(keys) + "。";
}

AlertText launchRefusal(const GlobalHotKeyError& error,
                        const std::optional<ShortcutTexts>& active) {
    const bool nothingKept = error.kind == GlobalHotKeyError::Kind::registrationFailed && !active;
    return {nothingKept ? "该快捷键已被系统或其他应用占用。" : std::string(error.description()),
            activeNow(active)};
}

AlertText desktopRefusal(const GlobalHotKeyManager::LateRefusal& refusal) {
    return {"桌面没有登记新的快捷键。", activeNow(refusal.restored)};
}

HotKeyNote note(HotKeyBackend backend, const std::optional<DesktopBindings>& bindings) {
    const auto commands = HotKeyBackends::desktopShortcutCommands();
    switch (backend) {
        case HotKeyBackend::keyGrabs:
            return {};
        case HotKeyBackend::keyGrabsWhileFocused:
            return {
                {"在 Wayland 桌面上，快捷键仅在 Velumo 窗口处于前台时有效。",
                 "要在任何应用处于前台时使用，请在系统的键盘设置中添加自定义快捷键，命令如下："},
                commands};
        case HotKeyBackend::portal:
            break;
    }
    const auto answer = bindings ? bindings->answer : DesktopBindings::Answer::waiting;
    std::vector<std::string> given;
    HotKeyNote note;
    for (std::size_t i = 0; i < commands.size(); ++i) {
        const auto id = static_cast<std::uint32_t>(i + 1);
        if (bindings && bindings->triggers.contains(id)) {
            given.push_back(commands[i].title + " " + bindings->triggers.at(id));
        } else {
            note.commands.push_back(commands[i]);
        }
    }
    if (answer == DesktopBindings::Answer::waiting) {
        note.lines.emplace_back("正在等待桌面登记快捷键。");
    } else if (answer == DesktopBindings::Answer::refused) {
        note.lines.emplace_back("桌面没有登记快捷键。");
    }
    if (!given.empty()) {
        note.lines.push_back("桌面已登记：" + listed(given) +
                             "。可在系统的键盘快捷键设置中查看或更改。");
    }
    if (!note.commands.empty()) {
        note.lines.emplace_back(
            given.empty() ? "桌面还没有为快捷键分配按键。可在系统的键盘快捷键设置中为 Velumo "
                            "指定按键，或添加自定义快捷键，命令如下："
                          : "其余快捷键桌面还没有分配按键。可在系统的键盘快捷键设置中为 Velumo "
                            "指定按键，或添加自定义快捷键，命令如下：");
    }
    return note;
}

}  // namespace velumo::HotKeyMessages
