// Reading a lock file of about 5 MB (the shape of a uv.lock) into a lock: the plain single pass
// that real lock files take, and the strict parse that reads any other. TARNVIK_BENCH_LOCK names
// another lock file to read. Then both on locks that pin one package at many versions.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "heap.hpp"
#include "lock_text.hpp"
#include "tarnvik/lock.hpp"

namespace {

const bool HEAP_PREPARED = (tarnvik::cli::prepare_heap(5'000'000), true);

// The lock file named by TARNVIK_BENCH_LOCK (a real one, say), or a generated one of 5 MB.
const std::string& lock_text() {
    static const std::string text = [] {
        const char* path = std::getenv("TARNVIK_BENCH_LOCK");
        if (path == nullptr) return tarnvik::bench::lock_file(5'000'000);
        std::ifstream in(path, std::ios::binary);
        std::stringstream read;
        read << in.rdbuf();
        return read.str();
    }();
    return text;
}

void BM_PlainLockFile5MB(benchmark::State& state) {
    for (auto _ : state) {
        auto lock =
            tarnvik::lock::read_plain_lock(tarnvik::lock::LockKind::UvLock, "uv.lock", lock_text());
        if (!lock) state.SkipWithError("the lock was not read in one pass");
        benchmark::DoNotOptimize(lock);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * lock_text().size()));
}
BENCHMARK(BM_PlainLockFile5MB)->Unit(benchmark::kMillisecond);

void BM_StrictLockFile5MB(benchmark::State& state) {
    for (auto _ : state) {
        auto lock =
            tarnvik::lock::load_lock(tarnvik::lock::LockKind::UvLock, "uv.lock", lock_text());
        benchmark::DoNotOptimize(lock);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * lock_text().size()));
}
BENCHMARK(BM_StrictLockFile5MB)->Unit(benchmark::kMillisecond);

// One package at 16,384, 65,536 and 262,144 versions: the time grows with the count, as each
// version is looked up among those already kept.
void BM_PlainLockManyVersions(benchmark::State& state) {
    const std::string text =
        tarnvik::bench::many_versions_lock(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state) {
        auto lock =
            tarnvik::lock::read_plain_lock(tarnvik::lock::LockKind::UvLock, "uv.lock", text);
        if (!lock) state.SkipWithError("the lock was not read in one pass");
        benchmark::DoNotOptimize(lock);
    }
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_PlainLockManyVersions)
    ->RangeMultiplier(4)
    ->Range(16384, 262144)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oN);

void BM_StrictLockManyVersions(benchmark::State& state) {
    const std::string text =
        tarnvik::bench::many_versions_lock(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state) {
        auto lock = tarnvik::lock::load_lock(tarnvik::lock::LockKind::UvLock, "uv.lock", text);
        benchmark::DoNotOptimize(lock);
    }
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_StrictLockManyVersions)
    ->RangeMultiplier(4)
    ->Range(16384, 262144)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oN);

}  // namespace
