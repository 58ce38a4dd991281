// Symbols that belong to one module itself. dlsym on a handle also searches the
// module's dependencies; an export or a resource table of a dependency must never
// pass for the module's own.
#pragma once

#include <link.h>

namespace comrt::detail {

// The loader's record of a dlopen handle; null when there is none.
link_map* LinkMapOf(void* handle) noexcept;

// The address of name when the module of handle defines it itself; null otherwise.
void* OwnSymbol(void* handle, const char* name) noexcept;

}  // namespace comrt::detail
