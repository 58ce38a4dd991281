// The extension runs inside the interpreter, so the process's executable is the
// interpreter's. What looks beside the host executable (the API 5B1.1 method's
// companion library) must find what lies beside the `volacor` command of the same
// build or installation: the extension stands for that command.
#include <climits>
#include <filesystem>
#include <string>

#include "comrt/library.h"
#include "python/src/bindings.h"

namespace volacor_python {
namespace {

// <dir>/lib/libcomrt.so, the runtime this extension links (build/lib in a build tree,
// <prefix>/lib installed), has the command at <dir>/bin/volacor. Empty when not there.
std::filesystem::path CommandBesideTheRuntime() {
  HMODULE runtime = comrt_ModuleFromAddress(reinterpret_cast<const void*>(&comrt_SetHostExecutable));
  char path[PATH_MAX];
  if (!runtime || GetModuleFileNameA(runtime, path, sizeof path) == 0) return {};
  // Loaded through a RUNPATH, the name may read ".../volacor/../../../libcomrt.so".
  std::error_code error;
  const std::filesystem::path runtimePath = std::filesystem::canonical(path, error);
  if (error) return {};
  const std::filesystem::path command = runtimePath.parent_path().parent_path() / "bin" / "volacor";
  return std::filesystem::is_regular_file(command, error) ? command : std::filesystem::path();
}

std::string HostExecutable() {
  char path[PATH_MAX];
  return GetModuleFileNameA(nullptr, path, sizeof path) ? std::string(path) : std::string();
}

}  // namespace

void BindHostExecutable(pybind11::module_& module) {
  const std::filesystem::path command = CommandBesideTheRuntime();
  if (!command.empty()) comrt_SetHostExecutable(command.c_str());
  module.def("host_executable", &HostExecutable,
             "The executable the calculations take this process to be: the `volacor` command beside the "
             "package's libraries when it is there, else the interpreter.");
}

}  // namespace volacor_python
