// What the variable server counts: its live objects always (DllCanUnloadNow needs them),
// and, once a test switched testing on, every call and the failures it asked for.
#pragma once

#include <atomic>
#include <cstdint>

#include "comrt/types.h"
#include "comrt/unknown.h"

namespace varhost {

// S_OK, unless testing is on: then counts the call and answers the failure a test asked
// for, or S_OK.
HRESULT Enter(const char* operation);
// As Enter, keeping the int32 argument as well.
HRESULT EnterWithInt(const char* operation, int32_t argument);

int32_t LiveObjects();

// Base of every object of the server: counts it alive from construction to destruction.
class Counted {
public:
    Counted();
    Counted(const Counted&);
    ~Counted();
    Counted& operator=(const Counted&) = default;
};

// The reference count every object of the server uses.
class ReferenceCount {
public:
    ReferenceCount() = default;
    ReferenceCount(const ReferenceCount&) {}  // a copy is a new object: one reference
    ReferenceCount& operator=(const ReferenceCount&) = delete;
    // Relaxed: taking a reference needs no ordering; the last release orders the deletion.
    ULONG Add() { return count_.fetch_add(1, std::memory_order_relaxed) + 1; }
    // True when the count reached zero and the object must go.
    bool Drop(ULONG& left) {
        left = count_.fetch_sub(1, std::memory_order_acq_rel) - 1;
        return left == 0;
    }

private:
    std::atomic<ULONG> count_{1};  // the creator's reference
};

// IUnknown for an object of the server that answers one interface besides IUnknown:
// counted alive, one reference for its creator, deleted by its last Release.
template <class Interface, const IID& kInterfaceId>
class SingleFaceObject : public Interface, private Counted {
public:
    HRESULT QueryInterface(const GUID& iid, void** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (!(iid == IID_IUnknown) && !(iid == kInterfaceId)) return E_NOINTERFACE;
        AddRef();
        *out = static_cast<Interface*>(this);
        return S_OK;
    }
    ULONG AddRef() override { return references_.Add(); }
    ULONG Release() override {
        ULONG left = 0;
        if (references_.Drop(left)) delete this;
        return left;
    }

protected:
    SingleFaceObject() = default;
    virtual ~SingleFaceObject() = default;

private:
    ReferenceCount references_;
};

}  // namespace varhost
