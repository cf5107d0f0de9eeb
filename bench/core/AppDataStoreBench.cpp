#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <unistd.h>

#include <benchmark/benchmark.h>

#include "BenchDocuments.h"
#include "data/AppDataSanitizer.h"
#include "data/AppDataStore.h"
#include "data/DurableFile.h"

namespace velumo {
namespace {

class BenchFolder {
  public:
    BenchFolder() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "velumo-bench-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) {
            throw std::runtime_error("mkdtemp failed");
        }
        path_ = pattern;
    }
    BenchFolder(const BenchFolder&) = delete;
    BenchFolder& operator=(const BenchFolder&) = delete;
    ~BenchFolder() { std::filesystem::remove_all(path_); }

    std::filesystem::path file() const { return path_ / "app-data.json"; }

  private:
    std::filesystem::path path_;
};

// Lock, copy, encode, durable replacement and notification: the whole change.
void recordVisit(benchmark::State& state) {
    BenchFolder folder;
    std::ofstream(folder.file()) << AppDataSanitizer::encode(documentWith(state.range(0))).value();
    AppDataStore store(folder.file());
    for (auto _ : state) {
        auto entry = store.recordVisitThrowing("https://example.com/article?id=42", "An article");
        if (!entry) {
            state.SkipWithError(entry.error().description().c_str());
            break;
        }
        benchmark::DoNotOptimize(entry);
    }
}
BENCHMARK(recordVisit)->Arg(21)->Arg(10'000)->Unit(benchmark::kMicrosecond)->UseRealTime();

// The file replacement alone, as the store does it (both fsyncs).
void replaceDurably(benchmark::State& state) {
    BenchFolder folder;
    const auto bytes = AppDataSanitizer::encode(documentWith(state.range(0))).value();
    for (auto _ : state) {
        if (!DurableFile::replace(folder.file(), bytes)) {
            state.SkipWithError("replace failed");
            break;
        }
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(bytes.size()));
}
BENCHMARK(replaceDurably)->Arg(21)->Arg(10'000)->Unit(benchmark::kMicrosecond)->UseRealTime();

// Reference: the same temporary file and rename without any fsync; atomic for
// readers but not across a power cut. The difference is the price of durability.
void replaceDurably_reference(benchmark::State& state) {
    BenchFolder folder;
    const auto bytes = AppDataSanitizer::encode(documentWith(state.range(0))).value();
    const auto target = folder.file().string();
    for (auto _ : state) {
        std::string temporary = target + ".XXXXXX";
        const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
        const bool written =
            fd >= 0 && ::write(fd, bytes.data(), bytes.size()) == std::ssize(bytes);
        if (fd < 0 || ::close(fd) != 0 || !written ||
            std::rename(temporary.c_str(), target.c_str()) != 0) {
            state.SkipWithError("write failed");
            break;
        }
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(bytes.size()));
}
BENCHMARK(replaceDurably_reference)
    ->Arg(21)
    ->Arg(10'000)
    ->Unit(benchmark::kMicrosecond)
    ->UseRealTime();

}  // namespace
}  // namespace velumo
