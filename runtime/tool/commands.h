// The comrt tool's commands, one file each. Each returns the process's exit status
// (runtime/README.md lists them); data goes to standard output, diagnostics to
// standard error.
#pragma once

#include <string>
#include <vector>

namespace comrt::tool {

// Exit statuses.
inline constexpr int kOk = 0;
inline constexpr int kNotFound = 1;          // reg get/delete/export: no such key or value
inline constexpr int kUsage = 2;             // a malformed command line or key
inline constexpr int kRegistryUnreadable = 3;  // the registry file is corrupt or cannot be read
inline constexpr int kRegistryUnwritable = 4;  // the registry file cannot be written
inline constexpr int kLibraryUnusable = 5;   // the library cannot be loaded or lacks the entry point
inline constexpr int kServerFailed = 6;      // DllRegisterServer/DllUnregisterServer failed
inline constexpr int kTypeLibBad = 7;        // the library carries no readable type library

int RunRegister(const std::string& library, bool registering);
int RunRegGet(const std::string& key, const std::vector<std::string>& value);
int RunRegSet(const std::string& key, const std::vector<std::string>& valueAndData);
int RunRegDelete(const std::string& key);
int RunRegExport(const std::vector<std::string>& key);
int RunTypeLib(const std::string& library);

// Reports an exception of the registry on standard error and gives its exit status.
int ReportRegistryError(const std::exception& error, bool writing);

}  // namespace comrt::tool
