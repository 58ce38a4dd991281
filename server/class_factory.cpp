#include "server/class_factory.h"

#include <new>

#include "comrt/boundary.h"
#include "correlations/module_lock.h"

namespace volacor {

CClassFactory* CClassFactory::Create(InstanceCreator creator) noexcept {
    return new (std::nothrow) CClassFactory(creator);
}

HRESULT CClassFactory::QueryInterface(const GUID& iid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (!(iid == IID_IUnknown) && !(iid == IID_IClassFactory)) return E_NOINTERFACE;
    AddRef();
    *out = static_cast<IClassFactory*>(this);
    return S_OK;
}

// The count publishes nothing, so adding is relaxed. The module's own reference is the
// first: going from 1 to 2 means someone else holds the object and locks the module,
// going back from 2 to 1 unlocks it. The last release acquires so the deleting thread
// sees every other thread's use finished.
ULONG CClassFactory::AddRef() {
    const ULONG before = referenceCount_.fetch_add(1, std::memory_order_relaxed);
    if (before == 1) LockModule();
    return before + 1;
}

ULONG CClassFactory::Release() {
    const ULONG before = referenceCount_.fetch_sub(1, std::memory_order_acq_rel);
    if (before == 2) UnlockModule();
    if (before == 1) delete this;
    return before - 1;
}

HRESULT CClassFactory::CreateInstance(IUnknown* outer, const GUID& iid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (outer && !(iid == IID_IUnknown)) return CLASS_E_NOAGGREGATION;
    return comrt::GuardBoundary([&] { return creator_(outer, iid, out); });
}

HRESULT CClassFactory::LockServer(BOOL lock) {
    if (lock)
        LockModule();
    else
        UnlockModule();
    return S_OK;
}

}  // namespace volacor
