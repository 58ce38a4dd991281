// Every call the calculation makes into the host goes through one guard. The host is
// foreign code: an exception it raises must not end the calculation, so a call that
// raises counts as a call that failed (std::bad_alloc as E_OUTOFMEMORY, anything else as
// E_FAIL) and the caller takes its ordinary failure path: a load returns 0, a named
// array null, a flash is a failed flash of its step with that step's message.
#pragma once

#include <utility>

#include "comrt/boundary.h"
#include "host/fluid.h"

namespace volacor {

// Runs call, which returns the host's HRESULT; a raised exception becomes a failure status.
template <class Call>
HRESULT GuardHostCall(Call&& call) noexcept {
    return comrt::GuardBoundary(std::forward<Call>(call));
}

// The host's flash of record; a flash that raises is a failed flash.
inline HRESULT HostFlash(IHostFluidServices* services, FluidSnapshot& record) noexcept {
    return GuardHostCall([&] { return services->Flash(&record); });
}

// One message line to the host. Whatever the host answers or raises is ignored: a
// message that cannot be shown never changes a result.
inline void HostAddMessage(IHostFluidServices* services, const char* text) noexcept {
    if (services) GuardHostCall([&] { return services->AddMessage(text); });
}

}  // namespace volacor
