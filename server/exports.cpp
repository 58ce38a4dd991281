// The library's four entry points, the only symbols it exports.
#include "comrt/unknown.h"
#include "comrt/boundary.h"
#include "server/volacor_app.h"

#define VOLACOR_EXPORT extern "C" __attribute__((visibility("default")))

using volacor::TheApp;

// The class object of classId queried for iid; CLASS_E_CLASSNOTAVAILABLE for a class
// the library does not serve; E_POINTER for a null out. *out is null on failure.
VOLACOR_EXPORT HRESULT DllGetClassObject(const GUID& classId, const GUID& iid, void** out) {
    return comrt::GuardBoundary([&] { return TheApp().Module().GetClassObject(classId, iid, out); });
}

// S_OK when no object, lock or outside class-object reference remains; else S_FALSE.
VOLACOR_EXPORT HRESULT DllCanUnloadNow() { return TheApp().Module().CanUnloadNow(); }

// Registration comes with the registry scripts and the type library.
VOLACOR_EXPORT HRESULT DllRegisterServer() { return E_NOTIMPL; }
VOLACOR_EXPORT HRESULT DllUnregisterServer() { return E_NOTIMPL; }
