// Exceptions never cross a component boundary: each exported operation runs its body
// through GuardBoundary, which maps std::bad_alloc to E_OUTOFMEMORY and anything else
// to E_FAIL.
#pragma once

#include <new>

#include "comrt/types.h"

namespace comrt {

template <class Body>
HRESULT GuardBoundary(Body&& body) noexcept {
    try {
        return body();
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return E_FAIL;
    }
}

}  // namespace comrt
