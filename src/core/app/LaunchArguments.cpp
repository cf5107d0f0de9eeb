#include "app/LaunchArguments.h"

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

}  // namespace velumo::LaunchArguments
