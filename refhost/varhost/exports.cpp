// The variable server's entry points and its class objects. A class object is
// made fresh for each request and counted like every other object, so a test sees
// whether the library released it.
#include <atomic>
#include <new>

#include "bookkeeping.h"
#include "host/variables.h"
#include "varhost_server.h"
#include "variable_set.h"
#include "variables.h"

namespace varhost {
namespace {

using Maker = HRESULT (*)(IUnknown** out);

std::atomic<int32_t> serverLocks{0};

class ClassObject final : public SingleFaceObject<IClassFactory, IID_IClassFactory> {
public:
    explicit ClassObject(Maker maker) : maker_(maker) {}

    HRESULT CreateInstance(IUnknown* outer, const GUID& iid, void** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (HRESULT hr = Enter("CreateInstance"); FAILED(hr)) return hr;
        if (outer) return CLASS_E_NOAGGREGATION;
        IUnknown* made = nullptr;
        if (HRESULT hr = maker_(&made); FAILED(hr)) return hr;
        const HRESULT hr = made->QueryInterface(iid, out);
        made->Release();
        return hr;
    }
    HRESULT LockServer(BOOL lock) override {
        if (lock)
            serverLocks.fetch_add(1);
        else
            serverLocks.fetch_sub(1);
        return S_OK;
    }

private:
    ~ClassObject() override = default;

    const Maker maker_;
};

Maker MakerOf(const CLSID& classId) {
    if (classId == volacor::CLSID_VariableSet) return &NewVariableSet;
    if (classId == volacor::CLSID_RealVariable) return &NewRealVariable;
    if (classId == volacor::CLSID_RealVectorVariable) return &NewVectorVariable;
    if (classId == CLSID_EnumeratedVariable) return &NewRealVariable;
    return nullptr;
}

}  // namespace
}  // namespace varhost

#define VARHOST_EXPORT extern "C" __attribute__((visibility("default")))

VARHOST_EXPORT HRESULT DllGetClassObject(const GUID& classId, const GUID& iid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (HRESULT hr = varhost::Enter("DllGetClassObject"); FAILED(hr)) return hr;
    const varhost::Maker maker = varhost::MakerOf(classId);
    if (!maker) return CLASS_E_CLASSNOTAVAILABLE;
    auto* classObject = new (std::nothrow) varhost::ClassObject(maker);
    if (!classObject) return E_OUTOFMEMORY;
    const HRESULT hr = classObject->QueryInterface(iid, out);
    classObject->Release();
    return hr;
}

VARHOST_EXPORT HRESULT DllCanUnloadNow() {
    return varhost::LiveObjects() == 0 && varhost::serverLocks.load() == 0 ? S_OK : S_FALSE;
}
