// The nine correlation classes. Each is the shared base with its own dual interface,
// its identity and driver variant (class_descriptions.cpp) and its method's
// CalculatePhase. Procedure() is the only place a class names its method, and it is
// compiled only where something creates the class with it (the server's object map):
// tests that create the classes with procedures of their own link no method.
#pragma once

#include <new>
#include <type_traits>

#include "comrt/boundary.h"
#include "correlations/class_descriptions.h"
#include "correlations/correlation_base.h"
#include "correlations/dual_interfaces.h"
#include "methods/methods.h"

namespace volacor {

// The base joined with a class's dual interface: one implementation serves the IUnknown
// and IDispatch slots of both.
template <class Derived, class DualInterface>
class CCorrelationClass : public CCorrelationBase, public DualInterface {
public:
    HRESULT QueryInterface(const GUID& iid, void** out) override { return CCorrelationBase::QueryInterface(iid, out); }
    ULONG AddRef() override { return CCorrelationBase::AddRef(); }
    ULONG Release() override { return CCorrelationBase::Release(); }
    HRESULT GetTypeInfoCount(uint32_t* count) override { return CCorrelationBase::GetTypeInfoCount(count); }
    HRESULT GetTypeInfo(uint32_t index, LCID lcid, ITypeInfo** info) override {
        return CCorrelationBase::GetTypeInfo(index, lcid, info);
    }
    HRESULT GetIDsOfNames(const GUID& iid, OLECHAR** names, uint32_t count, LCID lcid, DISPID* ids) override {
        return CCorrelationBase::GetIDsOfNames(iid, names, count, lcid, ids);
    }
    HRESULT Invoke(DISPID id, const GUID& iid, LCID lcid, uint16_t flags, DISPPARAMS* params, VARIANT* result,
                   EXCEPINFO* exception, uint32_t* argError) override {
        return CCorrelationBase::Invoke(id, iid, lcid, flags, params, result, exception, argError);
    }

    // The instance creator: alone, or as the inner object of outer's aggregate (then
    // iid must be IUnknown's). E_POINTER for a null out, CLASS_E_NOAGGREGATION,
    // E_OUTOFMEMORY, the final construction's status, or the query's. On failure no
    // object is left alive and the module's lock count is as before.
    static HRESULT CreateInstance(PhaseProcedure procedure, IUnknown* outer, const GUID& iid, void** out) noexcept {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (outer && !(iid == IID_IUnknown)) return CLASS_E_NOAGGREGATION;
        Derived* object = nullptr;
        const HRESULT hr = comrt::GuardBoundary([&] {
            object = new (std::nothrow) Derived(procedure, outer);
            return object ? S_OK : E_OUTOFMEMORY;
        });
        if (FAILED(hr)) return hr;
        return CompleteCreation(object, iid, out);
    }

protected:
    CCorrelationClass(PhaseProcedure procedure, IUnknown* outer)
        : CCorrelationBase(Derived::Description(), procedure, outer) {}
    ~CCorrelationClass() override = default;

private:
    IDispatch* DualInterfacePointer() noexcept override { return static_cast<DualInterface*>(this); }
};

class CAPI_5B1_1 final : public CCorrelationClass<CAPI_5B1_1, IAPI_5B1_1> {
public:
    static constexpr const ClassDescription& Description() noexcept { return kAPI_5B1_1; }
    static PhaseProcedure Procedure() noexcept { return &api_5b1_1::CalculatePhase; }

private:
    friend CCorrelationClass;
    CAPI_5B1_1(PhaseProcedure procedure, IUnknown* outer) : CCorrelationClass(procedure, outer) {}
    ~CAPI_5B1_1() override = default;
};

class CAPI_5B1_2 final : public CCorrelationClass<CAPI_5B1_2, IAPI_5B1_2> {
public:
    static constexpr const ClassDescription& Description() noexcept { return kAPI_5B1_2; }
    static PhaseProcedure Procedure() noexcept { return &api_5b1_2::CalculatePhase; }

private:
    friend CCorrelationClass;
    CAPI_5B1_2(PhaseProcedure procedure, IUnknown* outer) : CCorrelationClass(procedure, outer) {}
    ~CAPI_5B1_2() override = default;
};

class CASTM_D323_73_79 final : public CCorrelationClass<CASTM_D323_73_79, IASTM_D323_73_79> {
public:
    static constexpr const ClassDescription& Description() noexcept { return kASTM_D323_73_79; }
    static PhaseProcedure Procedure() noexcept { return &astm_d323_73_79::CalculatePhase; }

private:
    friend CCorrelationClass;
    CASTM_D323_73_79(PhaseProcedure procedure, IUnknown* outer) : CCorrelationClass(procedure, outer) {}
    ~CASTM_D323_73_79() override = default;
};

class CASTM_D323_82 final : public CCorrelationClass<CASTM_D323_82, IASTM_D323_82> {
public:
    static constexpr const ClassDescription& Description() noexcept { return kASTM_D323_82; }
    static PhaseProcedure Procedure() noexcept { return &astm_d323_82::CalculatePhase; }

private:
    friend CCorrelationClass;
    CASTM_D323_82(PhaseProcedure procedure, IUnknown* outer) : CCorrelationClass(procedure, outer) {}
    ~CASTM_D323_82() override = default;
};

class CASTM_D4953_91 final : public CCorrelationClass<CASTM_D4953_91, IASTM_D4953_91> {
public:
    static constexpr const ClassDescription& Description() noexcept { return kASTM_D4953_91; }
    static PhaseProcedure Procedure() noexcept { return &astm_d4953_91::CalculatePhase; }

private:
    friend CCorrelationClass;
    CASTM_D4953_91(PhaseProcedure procedure, IUnknown* outer) : CCorrelationClass(procedure, outer) {}
    ~CASTM_D4953_91() override = default;
};

class CASTM_D5191_91 final : public CCorrelationClass<CASTM_D5191_91, IASTM_D5191_91> {
public:
    static constexpr const ClassDescription& Description() noexcept { return kASTM_D5191_91; }
    static PhaseProcedure Procedure() noexcept { return &astm_d5191_91::CalculatePhase; }

private:
    friend CCorrelationClass;
    CASTM_D5191_91(PhaseProcedure procedure, IUnknown* outer) : CCorrelationClass(procedure, outer) {}
    ~CASTM_D5191_91() override = default;
};

class CASTM_D6377_16 final : public CCorrelationClass<CASTM_D6377_16, IASTM_D6377_16> {
public:
    static constexpr const ClassDescription& Description() noexcept { return kASTM_D6377_16; }
    static PhaseProcedure Procedure() noexcept { return &astm_d6377_16::CalculatePhase; }

private:
    friend CCorrelationClass;
    CASTM_D6377_16(PhaseProcedure procedure, IUnknown* outer) : CCorrelationClass(procedure, outer) {}
    ~CASTM_D6377_16() override = default;
};

class COrvan_API final : public CCorrelationClass<COrvan_API, IOrvan_API> {
public:
    static constexpr const ClassDescription& Description() noexcept { return kOrvan_API; }
    static PhaseProcedure Procedure() noexcept { return &orvan_api::CalculatePhase; }

private:
    friend CCorrelationClass;
    COrvan_API(PhaseProcedure procedure, IUnknown* outer) : CCorrelationClass(procedure, outer) {}
    ~COrvan_API() override = default;
};

class CModifiedASTM final : public CCorrelationClass<CModifiedASTM, IModifiedASTM> {
public:
    static constexpr const ClassDescription& Description() noexcept { return kModifiedASTM; }
    static PhaseProcedure Procedure() noexcept { return &modified_astm::CalculatePhase; }

private:
    friend CCorrelationClass;
    CModifiedASTM(PhaseProcedure procedure, IUnknown* outer) : CCorrelationClass(procedure, outer) {}
    ~CModifiedASTM() override = default;
};

// Reference-counted objects end only through their last Release: no code outside the
// classes can destroy one, on the stack or by delete.
template <class... Classes>
inline constexpr bool kOnlyReleaseDestroys = (!std::is_destructible_v<Classes> && ...);
static_assert(kOnlyReleaseDestroys<CCorrelationBase, CAPI_5B1_1, CAPI_5B1_2, CASTM_D323_73_79, CASTM_D323_82,
                                   CASTM_D4953_91, CASTM_D5191_91, CASTM_D6377_16, COrvan_API, CModifiedASTM>);

}  // namespace volacor
