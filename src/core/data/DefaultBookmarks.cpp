#include "data/DefaultBookmarks.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <limits>
#include <string>
#include <unordered_set>

#include "data/AppDataSanitizer.h"

namespace velumo {
namespace {

constexpr std::array<DefaultBookmark, 21> sites{{
    {"抖音", "https://www.douyin.com/"},
    {"小红书", "https://www.xiaohongshu.com/"},
    {"快手", "https://www.kuaishou.com/"},
    {"哔哩哔哩", "https://www.bilibili.com/"},
    {"喜马拉雅", "https://www.ximalaya.com/"},
    {"网易云音乐", "https://music.163.com/"},
    {"微博", "https://weibo.com/"},
    {"宝玩", "https://poki.com/zh/"},
    {"知乎", "https://www.zhihu.com/"},
    {"V2EX", "https://www.v2ex.com/"},
    {"36氪", "https://36kr.com/"},
    {"今日头条", "https://www.toutiao.com/"},
    {"西瓜视频", "https://www.ixigua.com/"},
    {"稀土掘金", "https://juejin.cn/"},
    {"少数派", "https://sspai.com/"},
    {"豆包", "https://www.doubao.com/"},
    {"Kimi", "https://www.kimi.com/"},
    {"文心一言", "https://yiyan.baidu.com/"},
    {"ChatGPT", "https://chatgpt.com/"},
    {"DeepSeek", "https://chat.deepseek.com/"},
    {"文件传输助手", "https://filehelper.weixin.qq.com/"},
}};

constexpr std::uint32_t lastPosition = std::numeric_limits<std::uint32_t>::max();

}  // namespace

std::span<const DefaultBookmark> defaultBookmarks() {
    return sites;
}

void seedDefaultBookmarks(AppDataSnapshot& document, const AppDataStore::Clock& clock) {
    if (document.defaultBookmarksSeedVersion > 0) {
        return;
    }
    std::unordered_set<std::string> keys;
    for (const auto& bookmark : document.bookmarks) {
        if (auto key = AppDataStore::normalizedURLKey(bookmark.url)) {
            keys.insert(std::move(*key));
        }
    }
    const auto uncategorized = std::ranges::count_if(
        document.bookmarks, [](const Bookmark& bookmark) { return !bookmark.categoryID; });
    auto position =
        static_cast<std::uint32_t>(std::min<std::ptrdiff_t>(uncategorized, lastPosition));
    const std::uint64_t createdAt = clock();

    for (const auto& site : sites) {
        auto address = AppDataSanitizer::webURL(site.url);
        if (!address) {
            continue;
        }
        auto key = AppDataStore::normalizedURLKey(*address);
        if (!key || !keys.insert(std::move(*key)).second) {
            continue;
        }
        Bookmark bookmark;
        bookmark.id = AppDataStore::makeIdentifier("b", clock());
        bookmark.faviconURL = AppDataStore::faviconURL(*address);
        bookmark.url = std::move(*address);
        bookmark.title = site.title;
        bookmark.createdAt = createdAt;
        bookmark.position = position;
        document.bookmarks.push_back(std::move(bookmark));
        if (position < lastPosition) {
            ++position;
        }
    }
    document.defaultBookmarksSeedVersion = 1;
}

}  // namespace velumo
