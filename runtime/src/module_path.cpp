#include "module_path.h"

#include <filesystem>
#include <stdexcept>

namespace comrt::detail {

std::string CanonicalModulePath(HMODULE module) {
    char buffer[4096];
    const uint32_t length = GetModuleFileNameA(module, buffer, sizeof buffer);
    if (length == 0) throw std::runtime_error("the module's path cannot be found");
    std::error_code error;
    const std::filesystem::path canonical = std::filesystem::canonical(buffer, error);
    return error ? std::string(buffer, length) : canonical.string();
}

}  // namespace comrt::detail
