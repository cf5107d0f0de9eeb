#include "app/LaunchArguments.h"

#include <algorithm>
#include <utility>

#include <glib.h>

#include "browser/NavigationPolicy.h"
#include "data/AddressResolver.h"
#include "data/TextRules.h"
#include "data/Url.h"

namespace velumo::LaunchArguments {
namespace {

constexpr std::size_t quotedLength = 60;

// The text as the alert quotes it: shortened, and valid UTF-8 whatever the
// command line held.
std::string quoted(std::string_view text) {
    const std::string_view kept = TextRules::leadingCharacters(text, quotedLength);
    gchar* valid = g_utf8_make_valid(kept.data(), static_cast<gssize>(kept.size()));
    std::string quote = "“" + std::string(valid) + (kept.size() < text.size() ? "…”" : "”");
    g_free(valid);
    return quote;
}

bool isLocalPath(std::string_view text) {
    return text.starts_with('/') || text.starts_with('~') || text.starts_with("./") ||
           text.starts_with("../");
}

// "localhost:8080" and "example.com:8080/page" read as a scheme followed by
// a port; no scheme starts with a digit after its colon.
bool isHostAndPort(std::string_view text, std::string_view scheme) {
    const std::string_view rest = text.substr(scheme.size() + 1);
    return !rest.empty() && rest.front() >= '0' && rest.front() <= '9';
}

}  // namespace

std::expected<std::string, OpenRefusal> addressToOpen(std::string_view text, SearchEngine engine) {
    const std::string_view trimmed = TextRules::trimmed(text);
    const std::string scheme = Url::scheme(trimmed);
    if (isLocalPath(trimmed) || scheme == "file") {
        return std::unexpected(OpenRefusal{
            "无法打开本地文件", "浮窗只显示网页，" + quoted(trimmed) + " 是本机上的文件。"});
    }
    if (!scheme.empty() && !Url::isWebScheme(scheme) && !isHostAndPort(trimmed, scheme)) {
        return std::unexpected(OpenRefusal{
            "无法打开这个地址",
            "浮窗只显示以 http:// 或 https:// 开头的网页，" + quoted(trimmed) + " 不是网页地址。"});
    }
    return AddressResolver::resolve(trimmed, engine);
}

bool opensWindow(const std::vector<std::string>& arguments) {
    bool optionsEnded = false;
    for (const std::string& argument : arguments) {
        if (optionsEnded || argument == "-" || !argument.starts_with('-')) {
            // Which search engine reads a text changes the address, never whether it opens.
            if (addressToOpen(argument, SearchEngine::bing)) {
                return true;
            }
        } else if (argument == "--") {
            optionsEnded = true;
        } else if (argument == "--new-window") {
            return true;
        }
    }
    return false;
}

OpenRefusal alertFor(const std::vector<OpenRefusal>& refusals) {
    const OpenRefusal& first = refusals.front();
    if (std::ranges::all_of(refusals, [&](const OpenRefusal& each) { return each == first; })) {
        return first;
    }
    std::vector<std::pair<std::string, std::size_t>> reasons;
    for (const OpenRefusal& refusal : refusals) {
        const auto known =
            std::ranges::find(reasons, refusal.message, &decltype(reasons)::value_type::first);
        if (known != reasons.end()) {
            ++known->second;
        } else {
            reasons.emplace_back(refusal.message, 1);
        }
    }
    const std::string others = std::to_string(refusals.size() - 1);
    if (reasons.size() == 1) {
        return {first.message, first.informative + "另有 " + others + " 个地址同样没有打开。"};
    }
    std::string informative;
    for (const auto& [reason, count] : reasons) {
        informative +=
            (informative.empty() ? "" : "\n") + reason + "：" + std::to_string(count) + " 个";
    }
    return {"有 " + std::to_string(refusals.size()) + " 个地址没有打开", informative};
}

std::string missingDisplay(std::string_view display) {
    const std::string name(display);
    const std::string chinese =
        (name.empty() ? "Velumo 找不到 X 显示（没有设置 DISPLAY）。"
                      : "Velumo 无法打开 X 显示“" + name + "”。") +
        "它通过 X11 运行，在 Wayland 桌面上需要 XWayland：请安装并启用 XWayland（Debian 软件包 "
        "xwayland），或登录 X11 会话。";
    const std::string english =
        (name.empty() ? "Velumo finds no X display (DISPLAY is not set). "
                      : "Velumo cannot open the X display \"" + name + "\". ") +
        "It runs on X11, which a Wayland desktop provides through XWayland: install and enable "
        "XWayland (the Debian package xwayland), or log in to an X11 session.";
    return chinese + "\n" + english + "\n";
}

}  // namespace velumo::LaunchArguments
