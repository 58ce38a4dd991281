// How the command reaches the library, as a real host does: through the registry by
// programmatic id when every method it needs is registered, otherwise the library
// installed beside the executable (../lib/libvolacor.so), without registration.
#pragma once

#include <string>
#include <vector>

#include "cli/outcome.h"
#include "refhost/manager/correlation_manager.h"

namespace volacor::cli {

struct Activation {
    refhost::CorrelationManager manager;
    std::string description;  // one sentence for --verbose
};

// The library beside the running executable: <dir of /proc/self/exe>/../lib/libvolacor.so.
std::string LibraryBesideExecutable();

// Throws refhost::CorrelationError when neither way gives a library.
Activation Activate(const std::vector<MethodIdentity>& methods);

}  // namespace volacor::cli
