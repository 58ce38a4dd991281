// The class object of one correlation class, shared by every caller. The module keeps
// one reference to it; while anyone else holds one too, the module is locked.
#pragma once

#include <atomic>
#include <type_traits>

#include "comrt/unknown.h"

namespace volacor {

// Creates an instance alone (outer null) or inside outer's aggregate; see
// CCorrelationClass::CreateInstance for its statuses.
using InstanceCreator = HRESULT (*)(IUnknown* outer, const GUID& iid, void** out);

class CClassFactory final : public IClassFactory {
public:
    // Born holding the one reference the module keeps. Null when out of memory.
    static CClassFactory* Create(InstanceCreator creator) noexcept;

    HRESULT QueryInterface(const GUID& iid, void** out) override;
    ULONG AddRef() override;
    ULONG Release() override;
    // E_POINTER for a null out; CLASS_E_NOAGGREGATION for an outer object with an iid
    // other than IUnknown's; otherwise the instance creator's status.
    HRESULT CreateInstance(IUnknown* outer, const GUID& iid, void** out) override;
    // TRUE adds one to the module's lock count, FALSE takes one away; S_OK.
    HRESULT LockServer(BOOL lock) override;

private:
    explicit CClassFactory(InstanceCreator creator) noexcept : creator_(creator) {}
    ~CClassFactory() = default;

    const InstanceCreator creator_;
    std::atomic<ULONG> referenceCount_{1};
};

// Only the last Release destroys a class object.
static_assert(!std::is_destructible_v<CClassFactory>);

}  // namespace volacor
