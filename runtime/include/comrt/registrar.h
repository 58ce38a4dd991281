// The registrar: runs registration scripts against the registry. The script syntax is
// the platform's (runtime/README.md gives it in full):
//
//   HKCR
//   {
//       NoRemove CLSID
//       {
//           ForceRemove {GUID} = s 'Text'
//           {
//               InprocServer32 = s '%MODULE%'
//               {
//                   val ThreadingModel = s 'Apartment'
//               }
//           }
//       }
//   }
//
// %MODULE% stands for the module's path, its single quotes doubled so the text stays one
// quoted string. A script is parsed whole before anything changes, and its changes are
// written as one update: a malformed script changes nothing.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

#include "comrt/library.h"
#include "comrt/registry.h"

namespace comrt::registrar {

// A script that does not parse; line() is 1-based.
class ScriptError : public std::runtime_error {
public:
    ScriptError(int line, const std::string& message);
    int line() const noexcept { return line_; }

private:
    int line_;
};

enum class Mode { Register, Unregister };

// Parses text with %MODULE% replaced by modulePath and applies it to tree. Throws
// ScriptError (tree unchanged) or std::invalid_argument for a module path that holds a
// line break.
void ApplyScript(registry::Tree& tree, std::string_view text, std::string_view modulePath, Mode mode);
// The same on the registry itself, as one update. Throws ScriptError, RegistryError.
void RunScript(std::string_view text, std::string_view modulePath, Mode mode);

// The text with each single quote doubled, as it must stand inside '...'.
std::string DoubleQuotes(std::string_view text);

}  // namespace comrt::registrar

extern "C" {
// Runs the script held as resource ("REGISTRY", id, language 1033) of module, with
// %MODULE% the module's canonical absolute path. S_OK; E_FAIL for a missing resource or a
// malformed script, REGDB_E_READREGDB / REGDB_E_WRITEREGDB when the registry cannot be
// read or written; comrt::registry::LastError() then says what went wrong.
HRESULT comrt_UpdateRegistryFromResource(HMODULE module, uint32_t resourceId, BOOL registering);
}
