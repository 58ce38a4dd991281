#include "cli/activation.h"

#include <filesystem>
#include <stdexcept>

#include "cli/method_catalog.h"

namespace volacor::cli {

std::string LibraryBesideExecutable() {
    std::error_code error;
    const std::filesystem::path executable = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error) return "../lib/libvolacor.so";
    return (executable.parent_path().parent_path() / "lib" / "libvolacor.so").string();
}

Activation Activate(const std::vector<MethodIdentity>& methods) {
    const std::string registryFile = RegistryFileName();
    std::string missing;  // why the registry is not used
    try {
        for (const MethodIdentity& method : methods) {
            if (!LookUpInRegistry(method).registered) {
                missing = "the registry " + registryFile + " does not know " + method.progId;
                break;
            }
        }
    } catch (const std::runtime_error& error) {
        missing = std::string("the registry cannot be read (") + error.what() + ")";
    }
    if (missing.empty()) {
        return {refhost::CorrelationManager::FromRegistry(),
                "Methods created through the registry " + registryFile + ", by programmatic id."};
    }
    const std::string library = LibraryBesideExecutable();
    return {refhost::CorrelationManager::FromLibrary(library),
            "Methods created from the library " + library + " without registration, because " + missing + "."};
}

}  // namespace volacor::cli
