// The correlation manager's side for driver tests: a client that hands out a context,
// a context that hands out a material and says whether to calculate, and a material
// that hides some of another object's interfaces. Each counts its references, starting
// with the test's own: references == 1 after a call means the library released all it
// took.
#pragma once

#include <deque>
#include <utility>
#include <vector>

#include "host/correlation.h"
#include "host/fluid.h"

namespace volacor::testsupport {

// Reference counting shared by the fakes; Release never deletes (the test owns them).
class CountedFake {
public:
    ULONG references = 1;
    bool overReleased = false;

protected:
    ULONG Count() { return ++references; }
    ULONG Uncount() {
        if (references <= 1) overReleased = true;
        if (references > 0) --references;
        return references;
    }
};

class FakeContext final : public ICorrelationContext, public CountedFake {
public:
    IUnknown* material = nullptr;          // GetMaterial hands it out with a reference of its own
    std::deque<HRESULT> materialStatuses;  // statuses of successive GetMaterial calls; then S_OK
    int32_t active = 1;
    HRESULT activeStatus = S_OK;
    int getMaterialCalls = 0;
    int getActiveCalls = 0;

    HRESULT QueryInterface(const GUID& iid, void** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (!(iid == IID_IUnknown) && !(iid == IID_ICorrelationContext)) return E_NOINTERFACE;
        AddRef();
        *out = static_cast<ICorrelationContext*>(this);
        return S_OK;
    }
    ULONG AddRef() override { return Count(); }
    ULONG Release() override { return Uncount(); }

    HRESULT GetMaterial(IUnknown** out) override {
        ++getMaterialCalls;
        if (!out) return E_POINTER;
        *out = nullptr;
        HRESULT status = S_OK;
        if (!materialStatuses.empty()) {
            status = materialStatuses.front();
            materialStatuses.pop_front();
        }
        if (FAILED(status)) return status;
        if (material) material->AddRef();
        *out = material;
        return status;
    }
    HRESULT GetActive(int32_t* out) override {
        ++getActiveCalls;
        if (FAILED(activeStatus)) return activeStatus;
        if (!out) return E_POINTER;
        *out = active;
        return activeStatus;
    }
};

class FakeClient final : public ICorrelationClient, public CountedFake {
public:
    FakeContext* context = nullptr;  // GetContext hands it out with a reference of its own
    HRESULT contextStatus = S_OK;
    bool answersClientInterface = true;
    std::vector<std::pair<int32_t, int32_t>> contextRequests;  // (client key, position) per call

    HRESULT QueryInterface(const GUID& iid, void** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (!(iid == IID_IUnknown) && !(answersClientInterface && iid == IID_ICorrelationClient))
            return E_NOINTERFACE;
        AddRef();
        *out = static_cast<ICorrelationClient*>(this);
        return S_OK;
    }
    ULONG AddRef() override { return Count(); }
    ULONG Release() override { return Uncount(); }

    HRESULT GetContext(int32_t clientKey, ICorrelationContext** out, int32_t position) override {
        contextRequests.emplace_back(clientKey, position);
        if (!out) return E_POINTER;
        *out = nullptr;
        if (FAILED(contextStatus)) return contextStatus;
        if (context) context->AddRef();
        *out = context;
        return contextStatus;
    }
};

// A material that answers IHostFluid and IHostStreamAnalysis only when allowed, by
// handing out those interfaces of another object (a scripted fluid).
class FilteringMaterial final : public IUnknown, public CountedFake {
public:
    FilteringMaterial(IUnknown* inner, bool answersFluid, bool answersAnalysis)
        : inner_(inner), answersFluid_(answersFluid), answersAnalysis_(answersAnalysis) {}

    HRESULT QueryInterface(const GUID& iid, void** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (iid == IID_IUnknown) {
            AddRef();
            *out = static_cast<IUnknown*>(this);
            return S_OK;
        }
        if ((iid == IID_IHostFluid && answersFluid_) || (iid == IID_IHostStreamAnalysis && answersAnalysis_))
            return inner_->QueryInterface(iid, out);
        return E_NOINTERFACE;
    }
    ULONG AddRef() override { return Count(); }
    ULONG Release() override { return Uncount(); }

private:
    IUnknown* inner_;
    bool answersFluid_;
    bool answersAnalysis_;
};

}  // namespace volacor::testsupport
