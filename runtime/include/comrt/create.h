// Creation of classes by class id or programmatic id. Services of the runtime itself
// (the XML document service) are created in-process without the registry; every other
// class is found through the registry: HKCR\CLSID\{class id}\InprocServer32 names its
// library, which is loaded once and kept until its DllCanUnloadNow lets
// CoFreeUnusedLibraries unload it. There are no apartments on this platform: a
// ThreadingModel value is recorded by registration but asks nothing of creation.
#pragma once

#include "comrt/unknown.h"

inline constexpr uint32_t CLSCTX_INPROC_SERVER = 0x1;

extern "C" {
// Creates an instance of clsid and queries it for iid. *out is null on failure.
// REGDB_E_CLASSNOTREG for a class neither built in nor registered; otherwise as
// CoGetClassObject, or the class object's CreateInstance status.
HRESULT CoCreateInstance(const CLSID& clsid, IUnknown* outer, uint32_t context, const IID& iid,
                         void** out);
// The class object of clsid queried for iid. *out is null on failure: E_POINTER for a
// null out; REGDB_E_CLASSNOTREG when the class (or its InprocServer32 path) is not
// registered or context lacks CLSCTX_INPROC_SERVER; CO_E_DLLNOTFOUND when the library
// cannot be loaded; CO_E_ERRORINDLL when it has no DllGetClassObject; REGDB_E_READREGDB
// for a registry that cannot be read (comrt::registry::LastError() says why); else the
// library's own status. serverInfo must be null.
HRESULT CoGetClassObject(const CLSID& clsid, uint32_t context, void* serverInfo, const IID& iid,
                         void** out);
// The class id of a programmatic id: HKCR\<progId>\CLSID, or, when the key has a CurVer
// naming a version-dependent id, that id's CLSID. *clsid is zeroed on failure:
// E_POINTER for a null argument; CO_E_CLASSSTRING for an id that is not registered or
// whose class id is malformed; REGDB_E_READREGDB for a registry that cannot be read.
HRESULT CLSIDFromProgID(const OLECHAR* progId, CLSID* clsid);
}
