// Registration of the library: each object-map entry's script, then the type library,
// all written to the registry as one transaction.
#pragma once

#include <span>

#include "comrt/library.h"
#include "server/object_map_entry.h"

namespace volacor {

// Registers (or unregisters) every class of the map and the type library held in
// module's own file, in the map's order; nothing is written unless every step
// succeeds. S_OK or the first failure status.
HRESULT UpdateRegistration(std::span<const ObjectMapEntry> objectMap, HMODULE module, bool registering);

}  // namespace volacor
