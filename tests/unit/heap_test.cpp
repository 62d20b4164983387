#include <cstdlib>  // first, so that __GLIBC__ is known below

#include <gtest/gtest.h>

#include "heap.hpp"

#if defined(__GLIBC__) && defined(__linux__) && !defined(__SANITIZE_ADDRESS__)
#include <malloc.h>
#include <sys/resource.h>

#include <algorithm>

namespace tarnvik::cli {
namespace {

constexpr std::size_t MIB = std::size_t{1} << 20;

// Exits with 0 when the heap is tuned: it has grown by a whole step, and a block of megabytes
// comes from it rather than from a mapping of its own (glibc's defaults do neither); with 1
// when it is left as it is.
[[noreturn]] void exit_with_tuning(std::size_t input_bytes) {
    const struct mallinfo2 start = mallinfo2();
    prepare_heap(input_bytes);
    const struct mallinfo2 before = mallinfo2();
    void* block = std::malloc(16 * MIB);
    const struct mallinfo2 after = mallinfo2();
    std::free(block);
    const bool grown = before.arena >= start.arena + 64 * MIB;
    const bool on_heap = block != nullptr && after.hblks == before.hblks;
    std::_Exit(grown && on_heap ? 0 : grown || on_heap ? 2 : 1);
}

// Each in a process of its own, so that no earlier test has moved the allocator's settings.
TEST(PrepareHeap, TunesGlibcsAllocatorForLargeInputs) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(exit_with_tuning(MIB), ::testing::ExitedWithCode(0), "");
}

TEST(PrepareHeap, LeavesTheHeapAloneForSmallInputs) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(exit_with_tuning(40 << 10), ::testing::ExitedWithCode(1), "");
}

// Under a limit on the process's memory, however far off, a step ahead would take room.
TEST(PrepareHeap, LeavesTheHeapAloneUnderAMemoryLimit) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    auto limited = [] {
        rlimit limit{};
        (void)getrlimit(RLIMIT_AS, &limit);
        limit.rlim_cur = std::min<rlim_t>(limit.rlim_max, rlim_t{1} << 40);
        (void)setrlimit(RLIMIT_AS, &limit);
        exit_with_tuning(MIB);
    };
    EXPECT_EXIT(limited(), ::testing::ExitedWithCode(1), "");
}

}  // namespace
}  // namespace tarnvik::cli
#endif
