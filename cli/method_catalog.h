// The nine methods as the command shows them, from the reference host's method table,
// and whether the registry knows each class.
#pragma once

#include <string>
#include <vector>

#include "cli/outcome.h"

namespace volacor::cli {

const std::vector<MethodIdentity>& AllMethods();

struct RegistryKnowledge {
    bool registered = false;  // programmatic id and class id entered, with a library path
    std::string library;      // the library the registry names (InprocServer32)
};
// Throws std::runtime_error (a sentence naming the file) when the registry cannot be read.
RegistryKnowledge LookUpInRegistry(const MethodIdentity& method);
// The registry file this process uses.
std::string RegistryFileName();

}  // namespace volacor::cli
