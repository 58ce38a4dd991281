// Reading the registry file and replacing it atomically.
#pragma once

#include <filesystem>

#include "comrt/registry.h"

namespace comrt::registry::detail {

// The tree in the file; empty when the file does not exist. Throws RegistryError.
Tree ReadRegistryFile(const std::filesystem::path& path);
// Writes tree to "<path>.tmp-XXXXXX", flushes it to disk and renames it over path, so
// the file holds the old tree or the new one whatever happens. The caller holds the
// lock; temporary files left by writers that died are removed first. Throws
// RegistryError, leaving the old file as it was.
void ReplaceRegistryFile(const std::filesystem::path& path, const Tree& tree);

}  // namespace comrt::registry::detail
