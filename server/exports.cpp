// The library's four entry points, the only symbols it exports.
#include "comrt/unknown.h"
#include "comrt/boundary.h"
#include "comrt/library.h"
#include "server/object_map.h"
#include "server/registration.h"
#include "server/volacor_app.h"

#define VOLACOR_EXPORT extern "C" __attribute__((visibility("default")))

using volacor::TheApp;

namespace {
// This library's own module handle, for the resources its registration reads.
HMODULE ThisLibrary() noexcept {
    static const char anchor = 0;
    return comrt_ModuleFromAddress(&anchor);
}
}  // namespace

// The class object of classId queried for iid; CLASS_E_CLASSNOTAVAILABLE for a class
// the library does not serve; E_POINTER for a null out. *out is null on failure.
VOLACOR_EXPORT HRESULT DllGetClassObject(const GUID& classId, const GUID& iid, void** out) {
    return comrt::GuardBoundary([&] { return TheApp().Module().GetClassObject(classId, iid, out); });
}

// S_OK when no object, lock or outside class-object reference remains; else S_FALSE.
VOLACOR_EXPORT HRESULT DllCanUnloadNow() { return TheApp().Module().CanUnloadNow(); }

// Runs each class's registration script, then registers the type library, as one
// registry transaction: S_OK, or the first failure with nothing written.
VOLACOR_EXPORT HRESULT DllRegisterServer() {
    return comrt::GuardBoundary([] { return volacor::UpdateRegistration(volacor::LibraryObjectMap(), ThisLibrary(), true); });
}

// The same steps in unregistration mode.
VOLACOR_EXPORT HRESULT DllUnregisterServer() {
    return comrt::GuardBoundary([] { return volacor::UpdateRegistration(volacor::LibraryObjectMap(), ThisLibrary(), false); });
}
