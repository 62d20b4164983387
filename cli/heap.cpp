#include "heap.hpp"

// First, as they tell which C library this is: `__GLIBC__` is defined by its headers.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

// The tuning speaks to glibc's allocator and Linux's huge pages; elsewhere the heap is left as
// it is.
#if defined(__GLIBC__) && defined(__linux__)
#define TARNVIK_TUNE_HEAP 1
#include <malloc.h>
#include <sys/mman.h>
#include <sys/resource.h>
#include <unistd.h>
#endif

namespace tarnvik::cli {

#ifdef TARNVIK_TUNE_HEAP

namespace {

constexpr std::size_t MIB = std::size_t{1} << 20;
constexpr std::uintptr_t HUGE_PAGE = 2 * MIB;

// How much the heap grows by at a time: one step holds the document of a large lock. It is
// address space only; a page becomes memory of the process when it is first written.
constexpr std::size_t HEAP_STEP = 64 * MIB;

// The input size from which the tuning pays: growing the heap by a step and a first huge page
// cost a small run about a tenth of its time.
constexpr std::size_t TUNED_FROM = 256 << 10;

struct Setting {
    int option;
    int value;
};

constexpr Setting SETTINGS[] = {
    // Large blocks (a lock's text, its list of packages) come from the heap too, instead of
    // each being mapped, copied into a new mapping as it grows, and unmapped.
    {M_MMAP_THRESHOLD, 32 * MIB},
    // Freed memory stays with the process: the run ends soon, and would only fault it in again.
    {M_TRIM_THRESHOLD, 1024 * MIB},
    {M_TOP_PAD, HEAP_STEP},
};

// Asks for huge pages on the heap: a lock's document then costs a few page faults instead of
// thousands. The heap is grown first, so that the advice covers what the run will use.
void advise_huge_pages() {
    void* block = std::malloc(HUGE_PAGE / 8);  // more than is left, so the heap grows a step
    const auto start = reinterpret_cast<std::uintptr_t>(block);
    const auto first = (start + HUGE_PAGE - 1) & ~(HUGE_PAGE - 1);
    const auto end = reinterpret_cast<std::uintptr_t>(sbrk(0));
    // Left alone when the block did not come from the end of the heap (another allocator).
    if (block != nullptr && first < end && end - first <= HEAP_STEP + HUGE_PAGE) {
        (void)madvise(reinterpret_cast<void*>(first), end - first, MADV_HUGEPAGE);
    }
    std::free(block);
}

// Whether the memory the process may take is limited. The heap then grows only by what the
// run asks for: a step ahead would spend on padding the room the run needs, and every growth
// of the heap would fail once less than a step is left.
constexpr int MEMORY_LIMITS[] = {RLIMIT_AS, RLIMIT_DATA};

bool memory_limited() {
    for (const int resource : MEMORY_LIMITS) {
        rlimit limit{};
        if (getrlimit(resource, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY) return true;
    }
    return false;
}

}  // namespace

void prepare_heap(std::size_t input_bytes) {
    static bool prepared = false;
    if (prepared || input_bytes < TUNED_FROM) return;
    prepared = true;
    if (memory_limited()) return;
    for (const Setting& setting : SETTINGS)
        (void)mallopt(setting.option, setting.value);
    advise_huge_pages();
}

#else

void prepare_heap(std::size_t) {}

#endif

}  // namespace tarnvik::cli
