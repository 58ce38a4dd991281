// One line of the module's object map: a class id, the class's instance creator, its
// registration script (a REGISTRY resource of the library) and the class object, made
// on first request and kept until the library is unloaded.
#pragma once

#include <atomic>

#include "correlations/class_descriptions.h"
#include "server/class_factory.h"

namespace volacor {

struct ObjectMapEntry {
    const ClassDescription* description;
    InstanceCreator createInstance;  // null: the class is not served yet
    uint32_t registrationScript = 0;  // REGISTRY resource id; 0: nothing to register
    std::atomic<CClassFactory*> classObject{nullptr};

    // The class C created with its own method's CalculatePhase. Only this pulls the
    // method into the link.
    template <class C>
    static constexpr ObjectMapEntry For(uint32_t registrationScript) noexcept {
        return ObjectMapEntry{&C::Description(), &CreateWithOwnMethod<C>, registrationScript};
    }
    // The class C served with another instance creator (tests use their own procedures).
    template <class C>
    static constexpr ObjectMapEntry With(InstanceCreator creator) noexcept {
        return ObjectMapEntry{&C::Description(), creator};
    }
    // The class C keeps its place in the map but answers CLASS_E_CLASSNOTAVAILABLE.
    template <class C>
    static constexpr ObjectMapEntry NotBuilt() noexcept {
        return ObjectMapEntry{&C::Description(), nullptr};
    }

private:
    template <class C>
    static HRESULT CreateWithOwnMethod(IUnknown* outer, const GUID& iid, void** out) {
        return C::CreateInstance(C::Procedure(), outer, iid, out);
    }
};

}  // namespace volacor
