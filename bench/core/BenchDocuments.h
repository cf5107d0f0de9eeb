#pragma once

#include <cstdint>
#include <string>

#include "data/Models.h"

namespace velumo {

// A seeded document with `count` bookmarks and a full history.
inline AppDataSnapshot documentWith(std::int64_t count) {
    AppDataSnapshot document;
    document.defaultBookmarksSeedVersion = 1;
    for (std::int64_t i = 0; i < count; ++i) {
        const auto n = std::to_string(i);
        Bookmark bookmark;
        bookmark.id = "b-18c0f5e7a00-" + n;
        bookmark.url = "https://site" + n + ".example.com/start?ref=velumo";
        bookmark.title = "Site number " + n;
        bookmark.faviconURL = "https://site" + n + ".example.com/favicon.ico";
        bookmark.createdAt = 1'700'000'000'000;
        bookmark.position = static_cast<std::uint32_t>(i);
        document.bookmarks.push_back(std::move(bookmark));
    }
    for (int i = 0; i < 50; ++i) {
        const auto n = std::to_string(i);
        document.history.push_back({"h-18c0f5e7a00-" + n, "https://example.com/page/" + n,
                                    "Page " + n, 1'700'000'000'000});
    }
    return document;
}

}  // namespace velumo
