// Reading a lock file of about 5 MB (the shape of a uv.lock) into a lock: the plain single pass
// that real lock files take, and the strict parse that reads any other. TARNVIK_BENCH_LOCK names
// another lock file to read.
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

}  // namespace
