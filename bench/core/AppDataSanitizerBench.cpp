#include <cstdint>
#include <map>
#include <string>

#include <benchmark/benchmark.h>
#include <nlohmann/json.hpp>

#include "data/AppDataSanitizer.h"

// Each benchmark "<name>" has a "<name>_reference" beside it: plain nlohmann
// parsing (or pretty printing) of the same bytes, measured in the same run, so
// bench/core-figures can print the cost of the rules as a ratio.

namespace velumo {
namespace {

// A document as the store writes it after a while of use: `count` bookmarks
// with store-made identifiers, mixed Chinese and Latin titles, icon addresses,
// a few categories, and a full history of 50 entries.
const std::string& fileWith(std::int64_t count) {
    static std::map<std::int64_t, std::string> files;
    auto& bytes = files[count];
    if (!bytes.empty()) {
        return bytes;
    }
    AppDataSnapshot document;
    document.defaultBookmarksSeedVersion = 1;
    for (int i = 0; i < 4; ++i) {
        document.bookmarkCategories.push_back({"c" + std::to_string(i), "分类 " + std::to_string(i),
                                               static_cast<std::uint32_t>(i), 1'700'000'000'000});
    }
    constexpr std::string_view uuid = "3f2b8c1d9e4a4b7f8c6d2e1f0a9b8c7d";
    for (std::int64_t i = 0; i < count; ++i) {
        const auto n = std::to_string(i);
        Bookmark bookmark;
        bookmark.id = "b-18c0f5e7a" + n + "-" + std::string(uuid);
        bookmark.url = "https://www.site" + n + ".example.com/zh-cn/index.html?from=velumo";
        bookmark.title = i % 2 == 0 ? "示例网站 " + n + " · 首页" : "Example site " + n;
        bookmark.faviconURL = "https://www.site" + n + ".example.com/favicon.ico";
        bookmark.createdAt = 1'700'000'000'000 + static_cast<std::uint64_t>(i);
        if (i % 10 == 0) {
            bookmark.categoryID = "c" + std::to_string(i % 4);
        }
        document.bookmarks.push_back(std::move(bookmark));
    }
    AppDataSanitizer::normalizeBookmarkPositions(document.bookmarks);
    for (int i = 0; i < 50; ++i) {
        const auto n = std::to_string(i);
        document.history.push_back({"h-18c0f5e7b" + n + "-" + std::string(uuid),
                                    "https://news.example.com/articles/" + n + "?utm=feed",
                                    "新闻标题 " + n, 1'700'000'000'000});
    }
    bytes = AppDataSanitizer::encode(document).value();
    return bytes;
}

void decode(benchmark::State& state) {
    const auto& bytes = fileWith(state.range(0));
    for (auto _ : state) {
        auto document = AppDataSanitizer::decode(bytes);
        if (!document) {
            state.SkipWithError("unreadable");
            break;
        }
        benchmark::DoNotOptimize(document);
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(bytes.size()));
}

void decode_reference(benchmark::State& state) {
    const auto& bytes = fileWith(state.range(0));
    for (auto _ : state) {
        auto json = nlohmann::json::parse(bytes);
        benchmark::DoNotOptimize(json);
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(bytes.size()));
}

void encode(benchmark::State& state) {
    const auto document = AppDataSanitizer::decode(fileWith(state.range(0))).value();
    for (auto _ : state) {
        auto bytes = AppDataSanitizer::encode(document);
        benchmark::DoNotOptimize(bytes);
    }
}

void encode_reference(benchmark::State& state) {
    const auto json = nlohmann::json::parse(fileWith(state.range(0)));
    for (auto _ : state) {
        auto bytes = json.dump(2);
        benchmark::DoNotOptimize(bytes);
    }
}

BENCHMARK(decode)->Arg(21)->Arg(1'000)->Arg(10'000)->Unit(benchmark::kMicrosecond);
BENCHMARK(decode_reference)->Arg(21)->Arg(1'000)->Arg(10'000)->Unit(benchmark::kMicrosecond);
BENCHMARK(encode)->Arg(21)->Arg(1'000)->Arg(10'000)->Unit(benchmark::kMicrosecond);
BENCHMARK(encode_reference)->Arg(21)->Arg(1'000)->Arg(10'000)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace velumo
