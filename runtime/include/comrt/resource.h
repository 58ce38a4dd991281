// Resources carried inside a shared object's own file. A build step
// (comrt_add_resources in cmake/Resources.cmake) embeds files into a library; lookup
// reads them from the loaded image, never from a file beside the library.
//
// A resource is named by type, id and language. The type is a name ("REGISTRY",
// "TYPELIB") or a number written "#23".
#pragma once

#include "comrt/library.h"

extern "C" {
// Finds a resource of module (null: the running executable). On success *data points
// at its bytes inside the module's image (valid while the module is loaded; never
// freed by the caller) and *size holds their count; S_OK. Null data or size: E_POINTER;
// a missing resource gives E_FAIL and a null type E_INVALIDARG, with *data null and
// *size 0. Type names compare without regard to case; "#23" and "#023" are one type.
HRESULT comrt_FindResource(HMODULE module, const char* type, uint32_t id, uint16_t language,
                           const void** data, uint32_t* size);
}
