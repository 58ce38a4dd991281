// The module's lock count: one for each live correlation object, each lock taken
// through a class object, and each outside holder of a class object. The library may
// be unloaded only at zero. Safe from any thread.
#pragma once

#include <cstdint>

namespace volacor {

void LockModule() noexcept;
void UnlockModule() noexcept;
int32_t ModuleLockCount() noexcept;

}  // namespace volacor

namespace volacor {

// Holds one lock for as long as it lives; declared first in an object so that the lock
// is taken before anything else is built and returned after everything is torn down.
class ModuleLockHolder {
public:
    ModuleLockHolder() noexcept { LockModule(); }
    ~ModuleLockHolder() { UnlockModule(); }
    ModuleLockHolder(const ModuleLockHolder&) = delete;
    ModuleLockHolder& operator=(const ModuleLockHolder&) = delete;
};

}  // namespace volacor
