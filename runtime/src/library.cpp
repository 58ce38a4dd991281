// Component libraries and modules. An HMODULE is the dynamic loader's handle itself.
#include "comrt/library.h"

#include <dlfcn.h>
#include <link.h>

#include <cstring>
#include <filesystem>
#include <map>
#include <mutex>
#include <vector>

#include "comrt/codepage.h"
#include "loader_search.h"
#include "module_symbols.h"

namespace {

void* Handle(HMODULE module) { return reinterpret_cast<void*>(module); }
HMODULE Module(void* handle) { return reinterpret_cast<HMODULE>(handle); }

constexpr HRESULT kCanUnload = S_OK;
using CanUnloadNow = HRESULT (*)();

// Libraries loaded with autoFree, each with the loads taken that way; the unload pass
// gives back exactly those loads, so a holder that loaded it otherwise keeps it.
struct AutoFreeLibraries {
    std::mutex lock;
    std::map<void*, int> loads;
};

AutoFreeLibraries& AutoFree() {
    static AutoFreeLibraries libraries;
    return libraries;
}

bool EndsWithDllAnyCase(const std::string& file) {
    constexpr char kSuffix[] = ".dll";
    constexpr size_t kSuffixChars = sizeof kSuffix - 1;
    if (file.size() <= kSuffixChars) return false;
    for (size_t i = 0; i < kSuffixChars; ++i) {
        const char c = file[file.size() - kSuffixChars + i];
        const char lower = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
        if (lower != kSuffix[i]) return false;
    }
    return true;
}

// The program a host embedded in another one stands for; empty: the process's own.
struct HostExecutable {
    std::mutex lock;
    std::string path;
};

HostExecutable& StandIn() {
    static HostExecutable executable;
    return executable;
}

std::string ExecutablePath() {
    {
        HostExecutable& standIn = StandIn();
        std::lock_guard<std::mutex> guard(standIn.lock);
        if (!standIn.path.empty()) return standIn.path;
    }
    std::error_code error;
    const std::filesystem::path path = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::string() : path.string();
}

std::string ModulePath(HMODULE module) {
    if (!module) return ExecutablePath();
    link_map* map = comrt::detail::LinkMapOf(Handle(module));
    if (!map || !map->l_name) return {};
    if (map->l_name[0] == '\0') return ExecutablePath();
    std::string path = map->l_name;
    if (path.front() != '/') {
        std::error_code error;
        const std::filesystem::path absolute = std::filesystem::absolute(path, error);
        if (error) return {};
        path = absolute.lexically_normal().string();
    }
    return path;
}

}  // namespace

namespace comrt {

std::string MapLibraryName(const std::string& name) {
    const size_t slash = name.rfind('/');
    const size_t fileStart = slash == std::string::npos ? 0 : slash + 1;
    const std::string file = name.substr(fileStart);
    if (!EndsWithDllAnyCase(file)) return name;
    return name.substr(0, fileStart) + "lib" + file.substr(0, file.size() - 4) + ".so";
}

namespace detail {

void* LoadAutoFreeOnce(const std::string& path, const void* caller) {
    // Loaded outside the lock: the library's constructors may load in turn.
    void* handle = LoadForCaller(MapLibraryName(path), caller);
    if (!handle) return nullptr;
    AutoFreeLibraries& libraries = AutoFree();
    std::lock_guard<std::mutex> guard(libraries.lock);
    auto [entry, inserted] = libraries.loads.try_emplace(handle, 1);
    // Already held for the unload pass: give back the load just taken.
    if (!inserted) dlclose(handle);
    return handle;
}

}  // namespace detail
}  // namespace comrt

extern "C" {

HMODULE CoLoadLibrary(const OLECHAR* name, BOOL autoFree) {
    const void* caller = __builtin_return_address(0);
    if (!name) return nullptr;
    try {
        // File names on this platform are UTF-8 bytes.
        const std::string path = comrt::MapLibraryName(comrt::WideToUtf8(name));
        void* handle = comrt::detail::LoadForCaller(path, caller);
        if (handle && autoFree) {
            AutoFreeLibraries& libraries = AutoFree();
            std::lock_guard<std::mutex> guard(libraries.lock);
            ++libraries.loads[handle];
        }
        return Module(handle);
    } catch (...) {
        return nullptr;
    }
}

void CoFreeUnusedLibraries() {
    AutoFreeLibraries& libraries = AutoFree();
    std::vector<void*> candidates;
    try {
        {
            std::lock_guard<std::mutex> guard(libraries.lock);
            for (const auto& entry : libraries.loads) candidates.push_back(entry.first);
        }
        // DllCanUnloadNow runs without the lock: it may load or create in turn.
        for (void* handle : candidates) {
            auto canUnload =
                reinterpret_cast<CanUnloadNow>(comrt::detail::OwnSymbol(handle, "DllCanUnloadNow"));
            if (!canUnload || canUnload() != kCanUnload) continue;
            int loads = 0;
            {
                std::lock_guard<std::mutex> guard(libraries.lock);
                auto found = libraries.loads.find(handle);
                if (found == libraries.loads.end()) continue;
                loads = found->second;
                libraries.loads.erase(found);
            }
            while (loads-- > 0) dlclose(handle);
        }
    } catch (...) {
        // Out of memory for the candidate list: nothing is unloaded this time.
    }
}

HMODULE LoadLibraryA(const char* path) {
    const void* caller = __builtin_return_address(0);
    if (!path) return nullptr;
    try {
        return Module(comrt::detail::LoadForCaller(comrt::MapLibraryName(path), caller));
    } catch (...) {
        return nullptr;
    }
}

BOOL FreeLibrary(HMODULE module) {
    if (!module) return 0;
    return dlclose(Handle(module)) == 0 ? 1 : 0;
}

void* GetProcAddress(HMODULE module, const char* name) {
    if (!module) return nullptr;
    return comrt::detail::OwnSymbol(Handle(module), name);
}

uint32_t GetModuleFileNameA(HMODULE module, char* buffer, uint32_t size) {
    if (!buffer || size == 0) return 0;
    buffer[0] = '\0';
    try {
        const std::string path = ModulePath(module);
        // A cut path would name another file: report failure instead.
        if (path.empty() || path.size() >= size) return 0;
        std::memcpy(buffer, path.c_str(), path.size() + 1);
        return static_cast<uint32_t>(path.size());
    } catch (...) {
        buffer[0] = '\0';
        return 0;
    }
}

HRESULT comrt_SetHostExecutable(const char* path) {
    const bool reset = !path || path[0] == '\0';
    if (!reset && path[0] != '/') return E_INVALIDARG;
    try {
        std::string chosen = reset ? std::string() : std::string(path);
        HostExecutable& standIn = StandIn();
        std::lock_guard<std::mutex> guard(standIn.lock);
        standIn.path.swap(chosen);
        return S_OK;
    } catch (...) {
        return E_OUTOFMEMORY;
    }
}

HMODULE comrt_ModuleFromAddress(const void* address) {
    Dl_info info;
    link_map* map = nullptr;
    if (!address || !dladdr1(address, &info, reinterpret_cast<void**>(&map), RTLD_DL_LINKMAP) || !map)
        return nullptr;
    const bool executable = !map->l_name || map->l_name[0] == '\0';
    void* handle = executable ? dlopen(nullptr, RTLD_LAZY) : dlopen(map->l_name, RTLD_LAZY | RTLD_NOLOAD);
    // Not counted: the load taken to learn the handle is given back at once.
    if (handle) dlclose(handle);
    return Module(handle);
}

}  // extern "C"
