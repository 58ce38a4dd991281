#include <iostream>

#include "comrt/registry.h"
#include "commands.h"

namespace comrt::tool {

int ReportRegistryError(const std::exception& error, bool writing) {
    std::cerr << "comrt: " << error.what() << '\n';
    const auto* registryError = dynamic_cast<const registry::RegistryError*>(&error);
    if (registryError && registryError->line() > 0) return kRegistryUnreadable;  // corrupt: never written over
    return writing ? kRegistryUnwritable : kRegistryUnreadable;
}

}  // namespace comrt::tool
