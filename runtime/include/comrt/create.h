// Creation of classes by class id. Services of the runtime itself (the XML document
// service) are created in-process without the registry; other classes are found
// through the registry's InprocServer32 entries.
#pragma once

#include "comrt/unknown.h"

inline constexpr uint32_t CLSCTX_INPROC_SERVER = 0x1;

extern "C" {
// Creates an instance of clsid and queries it for iid. *out is null on failure.
// REGDB_E_CLASSNOTREG for a class neither built in nor registered.
HRESULT CoCreateInstance(const CLSID& clsid, IUnknown* outer, uint32_t context, const IID& iid,
                         void** out);
}
