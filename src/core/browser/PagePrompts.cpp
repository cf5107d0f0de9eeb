#include "browser/PagePrompts.h"

#include <glib.h>

#include "data/TextRules.h"

namespace velumo::PagePrompts {
namespace {

std::string escaped(std::string_view text) {
    if (text.empty()) {
        return {};
    }
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

constexpr std::string_view errorPageStyle = R"(
:root { color-scheme: light dark; font-family: sans-serif; }
body { display: flex; min-height: 90vh; align-items: center; justify-content: center; margin: 0; }
main { text-align: center; max-width: 28em; padding: 1em; }
h1 { font-size: 1.2em; font-weight: 600; margin: 0 0 .5em; }
p { margin: 0 0 1em; overflow-wrap: anywhere; }
.address, .detail { opacity: .6; font-size: .85em; }
a { display: inline-block; padding: .45em 1.2em; border-radius: 6px; background: #3584e4;
    color: #fff; text-decoration: none; }
)";

// Every page shown in place of one that could not be shown: what happened,
// where, and a way to try again. Each text goes in escaped.
std::string errorPage(std::string_view title, std::string_view url, std::string_view explanation,
                      std::string_view detail) {
    std::string page = "<!DOCTYPE html>\n<html lang=\"zh-CN\"><head><meta charset=\"utf-8\">";
    page += "<title>" + escaped(title) + "</title>\n<style>" + std::string(errorPageStyle) +
            "</style></head>\n<body><main>\n<h1>" + escaped(title) + "</h1>\n";
    page += "<p class=\"address\">" + escaped(url) + "</p>\n";
    page += "<p>" + escaped(explanation) + "</p>\n";
    if (!detail.empty()) {
        page += "<p class=\"detail\">" + escaped(detail) + "</p>\n";
    }
    page += "<a id=\"reload\" href=\"" + escaped(url) + "\">重新载入</a>\n</main></body></html>\n";
    return page;
}

}  // namespace

std::optional<PermissionKind> mediaPermissionKind(bool audio, bool video) {
    if (audio && video) {
        return PermissionKind::cameraAndMicrophone;
    }
    if (video) {
        return PermissionKind::camera;
    }
    if (audio) {
        return PermissionKind::microphone;
    }
    return std::nullopt;
}

std::string permissionQuestion(PermissionKind kind, std::string_view host) {
    return "“" + std::string(host) + "”" + std::string(wish(kind));
}

std::string excerpt(std::string_view text) {
    constexpr std::size_t shownCharacters = 1000;
    return std::string(TextRules::leadingCharacters(text, shownCharacters));
}

std::string externalApplicationQuestion(std::string_view application) {
    return "要打开外部应用“" + std::string(application) + "”吗？";
}

std::string unresponsiveDetail(std::string_view host) {
    return "“" + std::string(host) + "”上的网页已停止响应。你可以结束页面，或等待它恢复。";
}

std::string scriptDialogHeading(std::string_view host) {
    return "“" + std::string(host) + "”显示";
}

std::string_view loadFailureExplanation(LoadFailureReason reason) {
    switch (reason) {
        case LoadFailureReason::hostNotFound:
            return "找不到服务器。请检查网址是否正确，以及网络是否已连接。";
        case LoadFailureReason::connectionFailed:
            return "无法连接到服务器：连接被拒绝或中断。";
        case LoadFailureReason::timedOut:
            return "服务器响应时间过长，连接已超时。";
        case LoadFailureReason::certificateNotTrusted:
            return "此网站的安全证书不受信任。为保护你的信息，已停止载入。";
        case LoadFailureReason::other:
            return "载入网页时出错。";
    }
    return {};
}

std::string loadFailedPage(std::string_view url, LoadFailureReason reason,
                           std::string_view detail) {
    return errorPage(loadFailedTitle, url, loadFailureExplanation(reason), detail);
}

std::string processEndedPage(std::string_view url, bool endedByPerson) {
    return errorPage(
        processEndedTitle, url,
        endedByPerson ? "你结束了这个没有响应的网页。" : "显示这个网页的进程意外结束了。", {});
}

}  // namespace velumo::PagePrompts
