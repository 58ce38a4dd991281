// What every correlation object shares: identity, attached clients, host variables and
// every ICorrelation operation. Calculate runs the one calculation driver with the
// class's variant and phase procedure.
//
// Lifetime: created only by CCorrelationClass::CreateInstance (correlation_classes.h), destroyed
// only by its last Release. The object belongs to the thread that created it (apartment
// model), so its count and state are unguarded. Created inside an aggregate, its
// interfaces delegate IUnknown to the outer object and only the inner unknown handed
// to the outer controls its life.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "comrt/com_ptr.h"
#include "correlations/class_descriptions.h"
#include "correlations/connection_info.h"
#include "correlations/module_lock.h"
#include "host/correlation.h"
#include "host/variables.h"

namespace volacor {

class CPropertyCalculator;

class CCorrelationBase : public ICorrelation {
public:
    CCorrelationBase(const CCorrelationBase&) = delete;
    CCorrelationBase& operator=(const CCorrelationBase&) = delete;

    // IUnknown, delegating to the controlling unknown (the outer object or our own).
    HRESULT QueryInterface(const GUID& iid, void** out) override;
    ULONG AddRef() override;
    ULONG Release() override;

    // IDispatch: the type information comes with registration; until then E_NOTIMPL.
    HRESULT GetTypeInfoCount(uint32_t* count) override;
    HRESULT GetTypeInfo(uint32_t index, LCID lcid, ITypeInfo** info) override;
    HRESULT GetIDsOfNames(const GUID& iid, OLECHAR** names, uint32_t count, LCID lcid, DISPID* ids) override;
    HRESULT Invoke(DISPID id, const GUID& iid, LCID lcid, uint16_t flags, DISPPARAMS* params, VARIANT* result,
                   EXCEPINFO* exception, uint32_t* argError) override;

    // ICorrelation. A null out or set location gives E_POINTER and changes nothing.
    HRESULT get_Name(BSTR* name) override;
    HRESULT get_ClassId(BSTR* classId) override;
    HRESULT get_Attribute1(int32_t* value) override;
    HRESULT get_Attribute2(int32_t* value) override;
    HRESULT get_Attribute3(int32_t* value) override;
    HRESULT get_Attribute4(int32_t* value) override;
    HRESULT Attach(IUnknown* client, int32_t clientKey, int32_t* cookie, IVariableSet** setLocation) override;
    HRESULT Detach(int32_t cookie) override;
    HRESULT Calculate(int32_t cookie) override;  // calculation_driver.cpp
    HRESULT get_Parameters(IVariableSet** parameters) override;

    // Runs final construction on a freshly allocated object and hands out iid. On any
    // failure (E_POINTER for a null out) the object is destroyed and *out stays null.
    static HRESULT CompleteCreation(CCorrelationBase* object, const GUID& iid, void** out) noexcept;

protected:
    // Adds one to the module's lock count for the object's whole life.
    CCorrelationBase(const ClassDescription& description, PhaseProcedure procedure, IUnknown* outer);
    virtual ~CCorrelationBase();

    // The class's own dual interface, answered for its IID and for IDispatch.
    virtual IDispatch* DualInterfacePointer() noexcept = 0;

private:
    // The object's own identity and count; handed to the outer object when aggregated.
    class InnerUnknown final : public IUnknown {
    public:
        explicit InnerUnknown(CCorrelationBase& owner) noexcept : owner_(owner) {}
        HRESULT QueryInterface(const GUID& iid, void** out) override { return owner_.InnerQueryInterface(iid, out); }
        ULONG AddRef() override { return owner_.InnerAddRef(); }
        ULONG Release() override { return owner_.InnerRelease(); }

    private:
        CCorrelationBase& owner_;
    };

    HRESULT InnerQueryInterface(const GUID& iid, void** out);
    ULONG InnerAddRef() noexcept;
    ULONG InnerRelease() noexcept;
    // Lets go of every client and host variable before the object is deleted.
    void ReleaseHostObjects() noexcept;

    HRESULT FinalConstruct();  // final_construction.cpp
    // Makes one parameter variable in field: named, flagged, defined, added to
    // parameterSet_, then given value (whose status is not looked at).
    HRESULT BuildParameter(comrt::ComPtr<IRealVariable>& field, const char* taggedName, int32_t flags, double value);
    HRESULT RunDriver(int32_t cookie, CPropertyCalculator& calculator);  // calculation_driver.cpp

    // Index of the record holding cookie, or -1.
    std::ptrdiff_t FindConnection(int32_t cookie) const noexcept;

    ModuleLockHolder moduleLock_;  // first in, last out
    const ClassDescription& description_;
    const PhaseProcedure procedure_;
    InnerUnknown inner_{*this};
    IUnknown* const controlling_;
    uint32_t referenceCount_ = 0;

    // Fields, in their documented order.
    std::string classId_;
    std::string displayName_;
    std::vector<std::unique_ptr<CConnectionInfo>> connections_;
    int32_t attribute1_ = 0;  // set by nothing
    int32_t attribute2_ = 0;  // 2 once the variables are built
    int32_t attribute4_ = 0;  // set by nothing
    comrt::ComPtr<IVariableSet> resultSet_;
    comrt::ComPtr<IVariableSet> parameterSet_;
    comrt::ComPtr<IRealVectorVariable> phaseValuesVar_;
    comrt::ComPtr<IRealVariable> refTempVar_;
    comrt::ComPtr<IRealVariable> removeNcVar_;
    comrt::ComPtr<IRealVariable> vlRatioVar_;
};

}  // namespace volacor
