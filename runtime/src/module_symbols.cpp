#include "module_symbols.h"

#include <dlfcn.h>

namespace comrt::detail {

link_map* LinkMapOf(void* handle) noexcept {
    link_map* map = nullptr;
    if (!handle || dlinfo(handle, RTLD_DI_LINKMAP, &map) != 0) return nullptr;
    return map;
}

void* OwnSymbol(void* handle, const char* name) noexcept {
    if (!handle || !name) return nullptr;
    void* symbol = dlsym(handle, name);
    if (!symbol) return nullptr;
    Dl_info info;
    link_map* owner = nullptr;
    if (!dladdr1(symbol, &info, reinterpret_cast<void**>(&owner), RTLD_DL_LINKMAP) || !owner) return nullptr;
    return owner == LinkMapOf(handle) ? symbol : nullptr;
}

}  // namespace comrt::detail
