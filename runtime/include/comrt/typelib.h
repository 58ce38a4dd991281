// Type libraries in this platform's own text format (runtime/README.md): a library line,
// the libraries it imports, and one line per type description (component classes and
// interfaces). A module carries its type library as resource ("TYPELIB", id, 1033).
// There is no type-information service: registration records where the library is and
// which interfaces it describes, as hosts expect to find them in the registry.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "comrt/library.h"
#include "comrt/registry.h"

namespace comrt::typelib {

class TypeLibError : public std::runtime_error {
public:
    TypeLibError(int line, const std::string& message);
    int line() const noexcept { return line_; }

private:
    int line_;
};

struct ImportedLibrary {
    std::string name;  // e.g. "stdole2.tlb"
    GUID libraryId{};
    int major = 0;
    int minor = 0;
};

struct ImplementedInterface {
    std::string name;
    bool isDefault = false;
};

struct TypeDescription {
    enum class Kind { CoClass, Interface };
    Kind kind = Kind::CoClass;
    std::string name;
    GUID id{};
    std::string help;
    std::vector<std::string> flags;              // coclass: canCreate; interface: dual, oleautomation, dispatchable
    std::string inherits;                        // interface: IDispatch, IUnknown or one of the library's
    std::vector<ImplementedInterface> implements;  // coclass: interfaces of the library
};

struct TypeLibrary {
    std::string name;
    GUID libraryId{};
    int major = 0;
    int minor = 0;
    uint32_t lcid = 0;
    std::string syskind;  // "win64"
    std::string help;
    std::vector<ImportedLibrary> imports;
    std::vector<TypeDescription> types;
};

// Parses the text; every fault names its line. Throws TypeLibError.
TypeLibrary ParseTypeLibrary(std::string_view text);
// The text of a whole library (ParseTypeLibrary reads it back), and its lines alone.
std::string FormatTypeLibrary(const TypeLibrary& library);
std::string FormatLibraryLine(const TypeLibrary& library);
std::string FormatImportLine(const ImportedLibrary& imported);
std::string FormatDescriptionLine(const TypeDescription& description);

// The library that module carries as resource ("TYPELIB", resourceId, 1033). Throws
// TypeLibError, or std::runtime_error when the resource is missing.
TypeLibrary LoadTypeLibrary(HMODULE module, uint32_t resourceId);

// Records the library under HKCR\TypeLib\{id}\major.minor (help text; "0\win64", the
// library's file; FLAGS; HELPDIR, its folder) and an Interface\{IID} key for each of its
// interfaces; Unrecord removes them again (and TypeLib\{id} once no version is left).
void RecordRegistration(registry::Tree& tree, const TypeLibrary& library, const std::string& modulePath);
void RemoveRegistration(registry::Tree& tree, const TypeLibrary& library);

}  // namespace comrt::typelib

extern "C" {
// Registers (or unregisters) the type library that module carries as ("TYPELIB",
// resourceId, 1033), with the module's canonical path as the library's file. S_OK;
// E_FAIL for a missing or malformed library, REGDB_E_READREGDB / REGDB_E_WRITEREGDB for
// the registry; comrt::registry::LastError() says what went wrong.
HRESULT comrt_UpdateTypeLibRegistration(HMODULE module, uint32_t resourceId, BOOL registering);
}
