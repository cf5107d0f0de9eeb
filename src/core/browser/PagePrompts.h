#pragma once

#include <optional>
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

// What a request for the camera (`video`) and the microphone (`audio`) asks
// for; none when it names neither.
std::optional<PermissionKind> mediaPermissionKind(bool audio, bool video);

// The question for a permission the page at `host` asks for.
std::string permissionQuestion(PermissionKind kind, std::string_view host);

// A page's text (an address, a message) as a dialog of ours shows it: the
// first 1,000 characters, so that a page cannot hang the dialog's layout.
std::string excerpt(std::string_view text);

// Handing an address to another application.
std::string externalApplicationQuestion(std::string_view application);
inline constexpr std::string_view externalApplicationOpen = "打开";
inline constexpr std::string_view externalApplicationCancel = "取消";

// A page whose web process stopped answering.
inline constexpr std::string_view unresponsiveMessage = "页面无响应";
std::string unresponsiveDetail(std::string_view host);
inline constexpr std::string_view unresponsiveEnd = "结束页面";
inline constexpr std::string_view unresponsiveWait = "等待";

// The page's own alert, confirm and prompt dialogs, headed by its host, and
// the question before a page with unsaved changes is left.
std::string scriptDialogHeading(std::string_view host);
inline constexpr std::string_view scriptDialogOK = "确定";
inline constexpr std::string_view scriptDialogCancel = "取消";
inline constexpr std::string_view leavePageQuestion = "要离开此网页吗？";
inline constexpr std::string_view leavePageDetail = "你所做的更改可能不会保存。";
inline constexpr std::string_view leavePageLeave = "离开";

// Where a download goes.
inline constexpr std::string_view downloadChooserTitle = "保存文件";
inline constexpr std::string_view downloadChooserSave = "保存";
inline constexpr std::string_view downloadChooserCancel = "取消";
// A little smaller than a new floating window, so the chooser sits over it.
inline constexpr int downloadChooserWidth = 680;
inline constexpr int downloadChooserHeight = 440;

inline constexpr std::string_view loadFailedTitle = "无法打开此网页";
inline constexpr std::string_view processEndedTitle = "页面已停止运行";

// The plain explanation of a failed load.
std::string_view loadFailureExplanation(LoadFailureReason reason);

// Shown in place of a page that failed to load: the address, the reason, the
// web engine's own message (`detail`, may be empty) and a button that loads
// `url` again.
std::string loadFailedPage(std::string_view url, LoadFailureReason reason, std::string_view detail);

// Shown in place of a page whose web process crashed, was killed or was
// ended by the person (`endedByPerson`), with the same button.
std::string processEndedPage(std::string_view url, bool endedByPerson = false);

}  // namespace PagePrompts
}  // namespace velumo
