// The reference count of the runtime's own objects. Objects are created with one
// reference (the creator's) and destroyed only through the last Release.
#pragma once

#include <atomic>

#include "comrt/types.h"

namespace comrt::detail {

// Derived: the final class (its destructor may be private if it befriends this base).
template <class Derived, class Interface>
class RefCounted : public Interface {
public:
    ULONG AddRef() override {
        // Relaxed: a new reference is always made from one already held, which keeps
        // the object alive; nothing else needs ordering here.
        return refs_.fetch_add(1, std::memory_order_relaxed) + 1;
    }

    ULONG Release() override {
        // Release/acquire: every holder's writes happen before the destruction that
        // the last Release performs.
        const ULONG left = refs_.fetch_sub(1, std::memory_order_acq_rel) - 1;
        if (left == 0) delete static_cast<Derived*>(this);
        return left;
    }

protected:
    RefCounted() = default;
    ~RefCounted() = default;
    RefCounted(const RefCounted&) = delete;
    RefCounted& operator=(const RefCounted&) = delete;

private:
    std::atomic<ULONG> refs_{1};
};

}  // namespace comrt::detail
