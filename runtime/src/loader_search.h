// Loading a shared object by bare name the way the dynamic loader would for a given
// calling module: LD_LIBRARY_PATH first, then that module's RUNPATH, then the system.
#pragma once

#include <string>

namespace comrt::detail {

// dlopen handle of name (a path, or a bare name searched for the module that contains
// caller); null when it cannot be found or loaded.
void* LoadForCaller(const std::string& name, const void* caller) noexcept;

}  // namespace comrt::detail
