#include "browser/PagePrompts.h"

#include <glib.h>

namespace velumo::PagePrompts {
namespace {

std::string escaped(std::string_view text) {
    char* escapedText = g_markup_escape_text(text.data(), static_cast<gssize>(text.size()));
    std::string result = escapedText;
    g_free(escapedText);
    return result;
}

std::string_view wish(PermissionKind kind) {
    switch (kind) {
        case PermissionKind::camera:
            return "想要使用你的摄像头。";
        case PermissionKind::microphone:
            return "想要使用你的麦克风。";
        case PermissionKind::cameraAndMicrophone:
            return "想要使用你的摄像头和麦克风。";
        case PermissionKind::location:
            return "想要获取你的位置。";
        case PermissionKind::notifications:
            return "想要向你发送通知。";
    }
    return {};
}

}  // namespace

std::string permissionQuestion(PermissionKind kind, std::string_view host) {
    return "“" + std::string(host) + "”" + std::string(wish(kind));
}

std::string processEndedPage(std::string_view url) {
    return R"(<!DOCTYPE html>
<html lang="zh-CN"><head><meta charset="utf-8"><title>页面已停止运行</title>
<style>
:root { color-scheme: light dark; font-family: sans-serif; }
body { display: flex; min-height: 90vh; align-items: center; justify-content: center; margin: 0; }
main { text-align: center; max-width: 28em; padding: 1em; }
h1 { font-size: 1.2em; font-weight: 600; margin: 0 0 .5em; }
p { opacity: .7; margin: 0 0 1.2em; }
a { display: inline-block; padding: .45em 1.2em; border-radius: 6px; background: #3584e4;
    color: #fff; text-decoration: none; }
</style></head>
<body><main><h1>页面已停止运行</h1><p>显示这个网页的进程意外结束了。</p>
<a id="reload" href=")" +
           escaped(url) + R"(">重新载入</a></main></body></html>
)";
}

}  // namespace velumo::PagePrompts
