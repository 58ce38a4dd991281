// dlopen searches the RUNPATH of the object that calls it, which would be this
// runtime, not the component that asked for the library. So the runtime asks the
// loader for the caller's own search list (RTLD_DI_SERINFO: LD_LIBRARY_PATH, the
// caller's RUNPATH, the system directories, in the loader's order) and walks it.
#include "loader_search.h"

#include <dlfcn.h>
#include <link.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <vector>

namespace comrt::detail {
namespace {

constexpr int kOpenMode = RTLD_NOW | RTLD_LOCAL;

// A counted handle of the module that contains address (the executable when none does).
void* OpenContainingModule(const void* address) {
    Dl_info info;
    link_map* map = nullptr;
    if (address && dladdr1(address, &info, reinterpret_cast<void**>(&map), RTLD_DL_LINKMAP) && map &&
        map->l_name && map->l_name[0] != '\0')
        return dlopen(map->l_name, RTLD_LAZY | RTLD_NOLOAD);
    return dlopen(nullptr, RTLD_LAZY);
}

std::vector<std::string> SearchDirectories(const void* caller) {
    std::vector<std::string> directories;
    void* module = OpenContainingModule(caller);
    if (!module) return directories;
    Dl_serinfo size;
    if (dlinfo(module, RTLD_DI_SERINFOSIZE, &size) == 0 && size.dls_size >= sizeof(Dl_serinfo)) {
        std::unique_ptr<void, decltype(&std::free)> storage(std::malloc(size.dls_size), &std::free);
        auto* list = static_cast<Dl_serinfo*>(storage.get());
        if (list) {
            list->dls_size = size.dls_size;
            list->dls_cnt = size.dls_cnt;
            if (dlinfo(module, RTLD_DI_SERINFO, list) == 0)
                for (unsigned i = 0; i < list->dls_cnt; ++i) directories.emplace_back(list->dls_serpath[i].dls_name);
        }
    }
    dlclose(module);
    return directories;
}

bool IsRegularFile(const std::string& path) {
    struct stat status;
    return stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode);
}

}  // namespace

void* LoadForCaller(const std::string& name, const void* caller) noexcept {
    try {
        if (name.empty()) return nullptr;
        if (name.find('/') != std::string::npos) return dlopen(name.c_str(), kOpenMode);
        // One already loaded under this name is the same library: same handle.
        if (void* loaded = dlopen(name.c_str(), kOpenMode | RTLD_NOLOAD)) return loaded;
        for (const std::string& directory : SearchDirectories(caller)) {
            const std::string path =
                (std::filesystem::path(directory.empty() ? "." : directory) / name).string();
            // Like the loader, a file that is there but does not load (another
            // architecture, say) does not end the search.
            if (!IsRegularFile(path)) continue;
            if (void* handle = dlopen(path.c_str(), kOpenMode)) return handle;
        }
        // The loader's own cache and defaults come last.
        return dlopen(name.c_str(), kOpenMode);
    } catch (...) {
        return nullptr;
    }
}

}  // namespace comrt::detail
