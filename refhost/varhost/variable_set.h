// The server's variable set.
#pragma once

#include "comrt/unknown.h"

namespace varhost {

// A new empty set: one reference for the caller.
HRESULT NewVariableSet(IUnknown** out);

}  // namespace varhost
