// The module object: the object map, the class objects made from it on first request
// (under a lock, as class objects may be asked for on any thread), and the answer to
// whether the library may be unloaded.
#pragma once

#include <mutex>
#include <span>

#include "server/object_map_entry.h"

namespace volacor {

class CModule {
public:
    explicit CModule(std::span<ObjectMapEntry> objectMap) noexcept : objectMap_(objectMap) {}
    // Releases every class object the map kept.
    ~CModule();
    CModule(const CModule&) = delete;
    CModule& operator=(const CModule&) = delete;

    // The class object of classId queried for iid. E_POINTER for a null out;
    // CLASS_E_CLASSNOTAVAILABLE for a class not in the map or not served yet;
    // E_OUTOFMEMORY when the class object cannot be made. *out is null on failure.
    HRESULT GetClassObject(const CLSID& classId, const IID& iid, void** out);
    // S_OK when the module's lock count is 0, else S_FALSE.
    HRESULT CanUnloadNow() const noexcept;

private:
    CClassFactory* ClassObjectOf(ObjectMapEntry& entry) noexcept;

    std::span<ObjectMapEntry> objectMap_;
    std::mutex classObjectCreation_;
};

}  // namespace volacor
