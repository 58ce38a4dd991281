// Component libraries and modules. A name ending in ".dll" (any case) stands for the
// shared object lib<stem>.so; a name without a directory goes to the dynamic loader,
// which searches LD_LIBRARY_PATH, the loading module's RUNPATH, then the system.
#pragma once

#include <string>

#include "comrt/types.h"

struct comrt_module;
using HMODULE = comrt_module*;  // a loaded module; null means none

extern "C" {
// Loads a component library by name (see above). With autoFree the library is marked
// as one that CoFreeUnusedLibraries may unload once its DllCanUnloadNow says S_OK.
// Null on failure; a library loaded twice gives the same handle.
HMODULE CoLoadLibrary(const OLECHAR* name, BOOL autoFree);
// Asks every auto-free library's DllCanUnloadNow and unloads those that answer S_OK.
void CoFreeUnusedLibraries();
// Loads a shared object by full path (or bare name, searched as above; a ".dll" name is
// mapped as for CoLoadLibrary); null on failure.
HMODULE LoadLibraryA(const char* path);
// Releases one load of a module; TRUE on success.
BOOL FreeLibrary(HMODULE module);
// Address of an exported symbol, or null when the module lacks it.
void* GetProcAddress(HMODULE module, const char* name);
// Writes the full path of module (null: the running executable) into buffer, zero
// terminated. Returns the length without the zero; 0 when it fails or does not fit
// (then nothing usable is in buffer).
uint32_t GetModuleFileNameA(HMODULE module, char* buffer, uint32_t size);
// For a host that runs inside another program (an interpreter's extension module): from
// now on the running executable is taken to be the program at path, which the host
// stands for, so that GetModuleFileNameA answers path for it instead of
// /proc/self/exe. Call it once, before calculating. Null or "" goes back to
// /proc/self/exe. S_OK when set or reset; E_INVALIDARG for a relative path (the
// previous setting stays), E_OUTOFMEMORY. Executables never call it.
HRESULT comrt_SetHostExecutable(const char* path);
// The module that contains the given code or data address; null when none does.
// The handle is not counted: the module stays loaded as long as that address does.
HMODULE comrt_ModuleFromAddress(const void* address);
}

namespace comrt {
// The ".dll" name mapping on its own: "varhost2.dll" -> "libvarhost2.so"; other names
// come back unchanged.
std::string MapLibraryName(const std::string& name);
}  // namespace comrt
