#include "correlations/module_lock.h"

#include <atomic>

namespace volacor {
namespace {

// Only the count itself is shared: nothing is published through it, so relaxed
// increments suffice. The read in ModuleLockCount acquires, pairing with the release
// of the last unlock, so an unload decision sees every object's teardown finished.
std::atomic<int32_t> lockCount{0};

}  // namespace

void LockModule() noexcept { lockCount.fetch_add(1, std::memory_order_relaxed); }

void UnlockModule() noexcept { lockCount.fetch_sub(1, std::memory_order_release); }

int32_t ModuleLockCount() noexcept { return lockCount.load(std::memory_order_acquire); }

}  // namespace volacor
