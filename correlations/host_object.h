// Host objects made through the host's variable-server library, which is opened by
// its bare name at run time (never linked at build time).
#pragma once

#include "comrt/types.h"

namespace volacor {

// The host's variable server, one process-wide name.
inline constexpr const char kVariableServerFile[] = "varhost2.dll";

// Loads fileName as a component library the platform may unload once unused (never
// unloaded here), asks its DllGetClassObject for classId's class object, creates an
// instance alone as IUnknown and queries it for iid into *out. The class object and
// the instance are released before returning.
// Status: E_POINTER for a null out; E_FAIL when the library, its export or the class
// object is missing; otherwise the status of the creation, then of the query. *out is
// null on every failure.
HRESULT CreateHostObject(const char* fileName, const CLSID& classId, const IID& iid, void** out);

}  // namespace volacor
