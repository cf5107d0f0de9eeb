#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <thread>
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

// A change as a person triggers it, written before it returns: lock, copy,
// encode, durable replacement and notification.
void addBookmark(benchmark::State& state) {
    BenchFolder folder;
    std::ofstream(folder.file()) << AppDataSanitizer::encode(documentWith(state.range(0))).value();
    AppDataStore store(folder.file());
    for (auto _ : state) {
        auto added = store.addBookmarkThrowing("https://example.com/article?id=42", "An article");
        if (!added) {
            state.SkipWithError(added.error().description().c_str());
            break;
        }
        benchmark::DoNotOptimize(added);
    }
}
BENCHMARK(addBookmark)->Arg(21)->Arg(10'000)->Unit(benchmark::kMicrosecond)->UseRealTime();

// What the process has written so far, in bytes, whatever thread wrote it.
double bytesWritten() {
    std::ifstream io("/proc/self/io");
    std::string key;
    double value = 0;
    while (io >> key >> value) {
        if (key == "wchar:") {
            return value;
        }
    }
    return 0;
}

std::chrono::nanoseconds threadCpuTime() {
    timespec time{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &time);
    return std::chrono::seconds(time.tv_sec) + std::chrono::nanoseconds(time.tv_nsec);
}

// A page that reloads itself every 100 ms for 10 s, over 10,000 bookmarks:
// the bytes written (at quit too) and the CPU time of the thread that records
// the visits, the main thread in the application. `eachVisit` writes every
// visit before the call returns, on that thread, as the store used to.
void floodOfVisits(benchmark::State& state, bool eachVisit) {
    using namespace std::chrono_literals;
    BenchFolder folder;
    std::ofstream(folder.file()) << AppDataSanitizer::encode(documentWith(10'000)).value();
    for (auto _ : state) {
        AppDataStore store(folder.file());
        const double bytesBefore = bytesWritten();
        const auto cpuBefore = threadCpuTime();
        auto next = std::chrono::steady_clock::now();
        for (int load = 0; load < 100; ++load) {
            auto entry =
                store.recordVisitThrowing("https://example.com/live?load=" + std::to_string(load),
                                          "Live " + std::to_string(load));
            if (!entry || (eachVisit && !store.flush())) {
                state.SkipWithError("the visit was not recorded");
                return;
            }
            next += 100ms;
            std::this_thread::sleep_until(next);
        }
        const auto cpu = threadCpuTime() - cpuBefore;
        if (!store.flush()) {
            state.SkipWithError("the last visits were not written");
            return;
        }
        state.counters["bytesWritten"] = bytesWritten() - bytesBefore;
        state.counters["mainThreadCpuMs"] = std::chrono::duration<double, std::milli>(cpu).count();
    }
}
void reloadingPage(benchmark::State& state) {
    floodOfVisits(state, false);
}
void reloadingPage_reference(benchmark::State& state) {
    floodOfVisits(state, true);
}
BENCHMARK(reloadingPage)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(reloadingPage_reference)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

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
