#include "server/registration.h"

#include "comrt/registrar.h"
#include "comrt/registry.h"
#include "comrt/typelib.h"

namespace volacor {
namespace {

// The classes have no component categories: registering their (empty) category maps is
// a step that always succeeds, kept so the order of the steps reads as it runs.
HRESULT UpdateCategories(const ObjectMapEntry&, bool) { return S_OK; }

HRESULT UpdateClasses(std::span<const ObjectMapEntry> objectMap, HMODULE module, bool registering) {
    for (const ObjectMapEntry& entry : objectMap) {
        if (!registering) {
            if (const HRESULT hr = UpdateCategories(entry, registering); FAILED(hr)) return hr;
        }
        if (entry.registrationScript != 0) {
            const HRESULT hr = comrt_UpdateRegistryFromResource(module, entry.registrationScript, registering);
            if (FAILED(hr)) return hr;
        }
        if (registering) {
            if (const HRESULT hr = UpdateCategories(entry, registering); FAILED(hr)) return hr;
        }
    }
    return comrt_UpdateTypeLibRegistration(module, 1, registering);
}

}  // namespace

HRESULT UpdateRegistration(std::span<const ObjectMapEntry> objectMap, HMODULE module, bool registering) {
    if (const HRESULT begun = comrt_RegBeginTransaction(); FAILED(begun)) return begun;
    const HRESULT hr = UpdateClasses(objectMap, module, registering);
    const HRESULT ended = comrt_RegEndTransaction(SUCCEEDED(hr) ? 1 : 0);
    return FAILED(hr) ? hr : ended;
}

}  // namespace volacor
