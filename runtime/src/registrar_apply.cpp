// What a parsed script does to the registry in each mode.
//
// Registration: each key is created (or opened) and given its default value and named
// values; ForceRemove first deletes the key with everything below it, so the script's
// entries replace it whole; Delete deletes the key and creates nothing.
// Unregistration: ForceRemove keys go with everything below them; a NoRemove key stays,
// only what the script names inside it is removed; any other key loses the script's
// subkeys and values and then goes, unless subkeys the script does not name remain.

#include "comrt/boundary.h"
#include "comrt/registrar.h"
#include "comrt/resource.h"
#include "registrar_script.h"
#include "module_path.h"

namespace comrt::registrar {
namespace {

using detail::KeyFlag;
using detail::ScriptKey;
using registry::Key;

void RegisterKey(Key& parent, const ScriptKey& script) {
    if (script.flag == KeyFlag::Delete) {
        parent.removeSubkey(script.name);
        return;
    }
    if (script.flag == KeyFlag::ForceRemove) parent.removeSubkey(script.name);
    Key& key = parent.openOrCreate(script.name);
    if (script.defaultValue) key.setDefault(*script.defaultValue);
    for (const auto& value : script.values) key.setValue(value.name, value.data);
    for (const ScriptKey& sub : script.subkeys) RegisterKey(key, sub);
}

void UnregisterKey(Key& parent, const ScriptKey& script) {
    if (script.flag == KeyFlag::Delete) return;
    Key* key = parent.subkey(script.name);
    if (!key) return;
    if (script.flag == KeyFlag::ForceRemove) {
        parent.removeSubkey(script.name);
        return;
    }
    for (const ScriptKey& sub : script.subkeys) UnregisterKey(*key, sub);
    for (const auto& value : script.values) key->removeValue(value.name);
    if (script.flag == KeyFlag::None && key->subkeys().empty()) parent.removeSubkey(script.name);
}


}  // namespace

void ApplyScript(registry::Tree& tree, std::string_view text, std::string_view modulePath, Mode mode) {
    const auto roots = detail::ParseScript(detail::SubstituteModule(text, modulePath));
    for (const auto& root : roots) {
        Key& rootKey = tree.root(root.root);
        for (const ScriptKey& key : root.keys) {
            if (mode == Mode::Register)
                RegisterKey(rootKey, key);
            else
                UnregisterKey(rootKey, key);
        }
    }
}

void RunScript(std::string_view text, std::string_view modulePath, Mode mode) {
    // Parsed before the lock is taken: a malformed script never touches the file.
    const std::string substituted = detail::SubstituteModule(text, modulePath);
    detail::ParseScript(substituted);
    registry::Update([&](registry::Tree& tree) { ApplyScript(tree, text, modulePath, mode); });
}

}  // namespace comrt::registrar

extern "C" HRESULT comrt_UpdateRegistryFromResource(HMODULE module, uint32_t resourceId, BOOL registering) {
    using namespace comrt;
    const std::string where = "registration script REGISTRY " + std::to_string(resourceId);
    return GuardBoundary([&]() -> HRESULT {
        const void* data = nullptr;
        uint32_t size = 0;
        const HRESULT found = comrt_FindResource(module, "REGISTRY", resourceId, 1033, &data, &size);
        if (FAILED(found)) {
            registry::SetLastError(where + " is missing from the module");
            return E_FAIL;
        }
        std::string_view text(static_cast<const char*>(data), size);
        text = text.substr(0, text.find('\0'));
        try {
            const std::string modulePath = detail::CanonicalModulePath(module);
            registrar::RunScript(text, modulePath,
                                 registering ? registrar::Mode::Register : registrar::Mode::Unregister);
            return S_OK;
        } catch (const registrar::ScriptError& error) {
            registry::SetLastError(where + ", " + error.what());
            return E_FAIL;
        } catch (const registry::RegistryError& error) {
            registry::SetLastError(error.what());
            return error.line() > 0 ? REGDB_E_READREGDB : REGDB_E_WRITEREGDB;
        } catch (const std::invalid_argument& error) {
            registry::SetLastError(where + ": " + error.what());
            return E_INVALIDARG;
        }
    });
}
