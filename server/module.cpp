#include "server/module.h"

#include "correlations/module_lock.h"

namespace volacor {

CModule::~CModule() {
    for (ObjectMapEntry& entry : objectMap_)
        if (CClassFactory* kept = entry.classObject.exchange(nullptr, std::memory_order_acq_rel)) kept->Release();
}

CClassFactory* CModule::ClassObjectOf(ObjectMapEntry& entry) noexcept {
    // Acquire pairs with the release below: a thread that sees the pointer sees the
    // object it points to fully built.
    if (CClassFactory* existing = entry.classObject.load(std::memory_order_acquire)) return existing;
    const std::lock_guard<std::mutex> lock(classObjectCreation_);
    if (CClassFactory* madeMeanwhile = entry.classObject.load(std::memory_order_acquire)) return madeMeanwhile;
    CClassFactory* made = CClassFactory::Create(entry.createInstance);
    if (made) entry.classObject.store(made, std::memory_order_release);
    return made;
}

HRESULT CModule::GetClassObject(const CLSID& classId, const IID& iid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    for (ObjectMapEntry& entry : objectMap_) {
        if (!(entry.description->classId == classId)) continue;
        if (!entry.createInstance) return CLASS_E_CLASSNOTAVAILABLE;
        CClassFactory* classObject = ClassObjectOf(entry);
        if (!classObject) return E_OUTOFMEMORY;
        return classObject->QueryInterface(iid, out);
    }
    return CLASS_E_CLASSNOTAVAILABLE;
}

HRESULT CModule::CanUnloadNow() const noexcept { return ModuleLockCount() == 0 ? S_OK : S_FALSE; }

}  // namespace volacor
