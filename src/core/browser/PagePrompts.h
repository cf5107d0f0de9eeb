#pragma once

#include <string>
#include <string_view>

#include "browser/LoadFailure.h"

namespace velumo {

// What a page may ask the person for.
enum class PermissionKind { camera, microphone, cameraAndMicrophone, location, notifications };

// Texts of the questions and pages a floating window shows about its page.
namespace PagePrompts {

inline constexpr std::string_view addressEditorMessage = "打开网址或搜索";
inline constexpr std::string_view addressEditorOpen = "打开";
inline constexpr std::string_view addressEditorCancel = "取消";
inline constexpr int addressFieldWidth = 360;
inline constexpr int addressFieldHeight = 24;

inline constexpr std::string_view permissionAllow = "允许";
inline constexpr std::string_view permissionDeny = "拒绝";

// The question for a permission the page at `host` asks for.
std::string permissionQuestion(PermissionKind kind, std::string_view host);

inline constexpr std::string_view loadFailedTitle = "无法打开此网页";
inline constexpr std::string_view processEndedTitle = "页面已停止运行";

// The plain explanation of a failed load.
std::string_view loadFailureExplanation(LoadFailureReason reason);

// Shown in place of a page that failed to load: the address, the reason, the
// web engine's own message (`detail`, may be empty) and a button that loads
// `url` again.
std::string loadFailedPage(std::string_view url, LoadFailureReason reason, std::string_view detail);

// Shown in place of a page whose web process crashed or was killed, with the
// same button.
std::string processEndedPage(std::string_view url);

}  // namespace PagePrompts
}  // namespace velumo
