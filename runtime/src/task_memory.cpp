// Task memory: the allocator whose blocks may cross a component boundary. It counts
// the blocks it has handed out and not yet taken back, so tests can prove that every
// block was freed.
#include <atomic>
#include <cstdlib>

#include "comrt/memory.h"

namespace {

// Relaxed order suffices: the count is a statistic read after the work it measures
// has finished (a test reads it on the thread that made the calls, or after a join,
// which already orders the updates).
std::atomic<int64_t> outstandingBlocks{0};

}  // namespace

extern "C" {

void* CoTaskMemAlloc(size_t size) {
    // malloc(0) may give null; a caller must get a valid, unique block for size 0.
    void* block = std::malloc(size == 0 ? 1 : size);
    if (block) outstandingBlocks.fetch_add(1, std::memory_order_relaxed);
    return block;
}

void* CoTaskMemRealloc(void* block, size_t size) {
    if (!block) return CoTaskMemAlloc(size);
    // Size 0 keeps a valid block rather than freeing it: a caller that treats a null
    // result as failure would otherwise free the old block a second time.
    void* resized = std::realloc(block, size == 0 ? 1 : size);
    return resized;  // null: the old block stays and stays counted
}

void CoTaskMemFree(void* block) {
    if (!block) return;
    std::free(block);
    outstandingBlocks.fetch_sub(1, std::memory_order_relaxed);
}

int64_t comrt_TaskMemOutstanding(void) { return outstandingBlocks.load(std::memory_order_relaxed); }

}  // extern "C"
