// The control functions of the variable server (refhost/varhost/, libvarhost2.so, opened
// by the library as "varhost2.dll"): counters and failure switches for tests. Tests reach
// them through the library the loader already has, never by linking it, so the library
// and the test talk to the same copy. Load() switches the server's testing mode on.
#pragma once

#include <cstdint>

#include "comrt/types.h"
#include "refhost/varhost/varhost_server.h"

namespace volacor::testsupport {

// Every member is null when the server cannot be loaded.
struct VarhostControl {
    varhost_LiveObjectsFn LiveObjects = nullptr;
    varhost_CallCountFn CallCount = nullptr;
    varhost_LastIntFn LastInt = nullptr;
    varhost_FailOperationFn FailOperation = nullptr;
    varhost_ResetFn Reset = nullptr;

    bool Loaded() const { return LiveObjects && CallCount && LastInt && FailOperation && Reset; }
    // Loads the server by the library's name for it and switches testing on.
    static VarhostControl Load();
};

}  // namespace volacor::testsupport
