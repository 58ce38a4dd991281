// The one translator that keeps exceptions from crossing an exported operation.
#pragma once

#include <new>

#include "comrt/types.h"

namespace comrt::detail {

// Runs body (returning HRESULT) and maps what it throws: bad_alloc to E_OUTOFMEMORY,
// anything else to E_FAIL.
template <class Body>
HRESULT Guarded(Body&& body) noexcept {
    try {
        return body();
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return E_FAIL;
    }
}

}  // namespace comrt::detail
