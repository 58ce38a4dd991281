#include "correlations/host_object.h"

#include <string>

#include "comrt/codepage.h"
#include "comrt/com_ptr.h"
#include "comrt/library.h"

namespace volacor {
namespace {

using GetClassObjectFn = HRESULT (*)(const CLSID& classId, const IID& iid, void** out);

}  // namespace

HRESULT CreateHostObject(const char* fileName, const CLSID& classId, const IID& iid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (!fileName) return E_FAIL;

    const std::u16string wideName = comrt::AnsiToWide(fileName);
    HMODULE library = CoLoadLibrary(wideName.c_str(), 1);
    if (!library) return E_FAIL;
    const auto getClassObject = reinterpret_cast<GetClassObjectFn>(GetProcAddress(library, "DllGetClassObject"));
    if (!getClassObject) return E_FAIL;

    comrt::ComPtr<IClassFactory> factory;
    if (FAILED(getClassObject(classId, IID_IClassFactory, factory.put_void())) || !factory) return E_FAIL;

    comrt::ComPtr<IUnknown> instance;
    const HRESULT hr = factory->CreateInstance(nullptr, IID_IUnknown, instance.put_void());
    if (FAILED(hr)) return hr;
    if (!instance) return E_FAIL;
    return instance->QueryInterface(iid, out);
}

}  // namespace volacor
