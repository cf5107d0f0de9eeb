#pragma once

#include <string>
#include <string_view>

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

// Shown in place of a page whose web process crashed or was killed: a short
// explanation and a button that loads `url` again.
std::string processEndedPage(std::string_view url);

}  // namespace PagePrompts
}  // namespace velumo
