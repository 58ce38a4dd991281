// The path a registration records for a module: canonical and absolute, so the entry
// stays valid whatever the current folder of the process that reads it.
#pragma once

#include <string>

#include "comrt/library.h"

namespace comrt::detail {
// The module's canonical path, or its path as the loader reports it when it cannot be
// made canonical; throws std::runtime_error when the module's path cannot be found.
std::string CanonicalModulePath(HMODULE module);
}  // namespace comrt::detail
