// What registering a type library records, and the resource it comes from.
#include <filesystem>

#include "comrt/boundary.h"
#include "comrt/guid.h"
#include "comrt/resource.h"
#include "comrt/typelib.h"
#include "module_path.h"

namespace comrt::typelib {
namespace {

// The automation marshaler, which serves every dual interface.
constexpr char kAutomationProxyStub[] = "{00020424-0000-0000-C000-000000000046}";

std::string IdText(const GUID& id) {
    char text[GUID_STRING_CHARS + 1];
    comrt_GuidToString(id, text, sizeof text);
    return text;
}

std::string VersionText(const TypeLibrary& library) {
    return std::to_string(library.major) + '.' + std::to_string(library.minor);
}


}  // namespace

TypeLibrary LoadTypeLibrary(HMODULE module, uint32_t resourceId) {
    const void* data = nullptr;
    uint32_t size = 0;
    if (FAILED(comrt_FindResource(module, "TYPELIB", resourceId, 1033, &data, &size)))
        throw std::runtime_error("the module carries no type library TYPELIB " + std::to_string(resourceId));
    std::string_view text(static_cast<const char*>(data), size);
    return ParseTypeLibrary(text.substr(0, text.find('\0')));
}

void RecordRegistration(registry::Tree& tree, const TypeLibrary& library, const std::string& modulePath) {
    registry::Key& root = tree.root("HKCR");
    registry::Key& version = root.openOrCreate("TypeLib").openOrCreate(IdText(library.libraryId)).openOrCreate(VersionText(library));
    version.setDefault(library.help);
    // The locale key is 0: the library serves every locale.
    version.openOrCreate("0").openOrCreate(library.syskind).setDefault(modulePath);
    version.openOrCreate("FLAGS").setDefault("0");
    version.openOrCreate("HELPDIR").setDefault(std::filesystem::path(modulePath).parent_path().string());
    for (const TypeDescription& type : library.types) {
        if (type.kind != TypeDescription::Kind::Interface) continue;
        registry::Key& key = root.openOrCreate("Interface").openOrCreate(IdText(type.id));
        key.setDefault(type.name);
        key.openOrCreate("ProxyStubClsid").setDefault(kAutomationProxyStub);
        key.openOrCreate("ProxyStubClsid32").setDefault(kAutomationProxyStub);
        registry::Key& typeLib = key.openOrCreate("TypeLib");
        typeLib.setDefault(IdText(library.libraryId));
        typeLib.setValue("Version", VersionText(library));
    }
}

void RemoveRegistration(registry::Tree& tree, const TypeLibrary& library) {
    registry::Key& root = tree.root("HKCR");
    if (registry::Key* typeLibs = root.subkey("TypeLib")) {
        const std::string id = IdText(library.libraryId);
        if (registry::Key* versions = typeLibs->subkey(id)) {
            versions->removeSubkey(VersionText(library));
            if (versions->subkeys().empty()) typeLibs->removeSubkey(id);
        }
    }
    if (registry::Key* interfaces = root.subkey("Interface"))
        for (const TypeDescription& type : library.types)
            if (type.kind == TypeDescription::Kind::Interface) interfaces->removeSubkey(IdText(type.id));
}

}  // namespace comrt::typelib

extern "C" HRESULT comrt_UpdateTypeLibRegistration(HMODULE module, uint32_t resourceId, BOOL registering) {
    using namespace comrt;
    return GuardBoundary([&]() -> HRESULT {
        try {
            const typelib::TypeLibrary library = typelib::LoadTypeLibrary(module, resourceId);
            const std::string path = detail::CanonicalModulePath(module);
            registry::Update([&](registry::Tree& tree) {
                if (registering)
                    typelib::RecordRegistration(tree, library, path);
                else
                    typelib::RemoveRegistration(tree, library);
            });
            return S_OK;
        } catch (const typelib::TypeLibError& error) {
            registry::SetLastError("type library TYPELIB " + std::to_string(resourceId) + ", " + error.what());
            return E_FAIL;
        } catch (const registry::RegistryError& error) {
            registry::SetLastError(error.what());
            return error.line() > 0 ? REGDB_E_READREGDB : REGDB_E_WRITEREGDB;
        } catch (const std::bad_alloc&) {
            throw;
        } catch (const std::runtime_error& error) {
            registry::SetLastError(error.what());
            return E_FAIL;
        }
    });
}
