// comrt register / unregister LIBRARY.
#include <cstdio>
#include <filesystem>
#include <iostream>

#include "comrt/library.h"
#include "comrt/registry.h"
#include "commands.h"

namespace comrt::tool {

int RunRegister(const std::string& library, bool registering) {
    const char* entryName = registering ? "DllRegisterServer" : "DllUnregisterServer";
    std::error_code error;
    const std::filesystem::path path = std::filesystem::absolute(library, error);
    if (error || !std::filesystem::exists(path, error)) {
        std::cerr << "comrt: " << library << ": no such file\n";
        return kLibraryUnusable;
    }
    // The registry must be readable before the library is asked to change it.
    try {
        (void)registry::Load();
    } catch (const std::exception& failure) {
        return ReportRegistryError(failure, false);
    }
    HMODULE module = LoadLibraryA(path.c_str());
    if (!module) {
        std::cerr << "comrt: " << path.string() << ": cannot be loaded\n";
        return kLibraryUnusable;
    }
    using Entry = HRESULT (*)();
    auto entry = reinterpret_cast<Entry>(GetProcAddress(module, entryName));
    if (!entry) {
        std::cerr << "comrt: " << path.string() << " has no " << entryName << '\n';
        return kLibraryUnusable;
    }
    registry::SetLastError({});
    const HRESULT hr = entry();
    // The library stays loaded until the process ends: its objects may still run at exit.
    if (SUCCEEDED(hr)) return kOk;
    char code[16];
    std::snprintf(code, sizeof code, "0x%08X", static_cast<unsigned>(hr));
    const std::string reason = registry::LastError();
    std::cerr << "comrt: " << entryName << " of " << path.string() << " failed with " << code
              << (reason.empty() ? "" : ": " + reason) << '\n';
    if (hr == REGDB_E_READREGDB) return kRegistryUnreadable;
    if (hr == REGDB_E_WRITEREGDB) return kRegistryUnwritable;
    return kServerFailed;
}

}  // namespace comrt::tool
