// Loading a shared object by bare name the way the dynamic loader would for a given
// calling module: LD_LIBRARY_PATH first, then that module's RUNPATH, then the system.
#pragma once

#include <string>

namespace comrt::detail {

// dlopen handle of name (a path, or a bare name searched for the module that contains
// caller); null when it cannot be found or loaded.
void* LoadForCaller(const std::string& name, const void* caller) noexcept;

// Loads a component library for activation as CoLoadLibrary(name, TRUE) does, but holds
// at most one such load: the first activation loads it, later ones find it, and
// CoFreeUnusedLibraries gives the load back once DllCanUnloadNow says S_OK.
void* LoadAutoFreeOnce(const std::string& name, const void* caller);

}  // namespace comrt::detail
