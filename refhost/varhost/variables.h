// The server's variables: real (answering IRealVariable and IEnumeratedVariable) and
// real vector (answering IRealVectorVariable and IEnumeratedVariable).
#pragma once

#include <string>
#include <tuple>
#include <vector>

#include "bookkeeping.h"
#include "host/phase.h"
#include "host/variables.h"
#include "text.h"

namespace varhost {

using volacor::EMPTY_VALUE;

// Creation functions for the class objects: one reference for the caller.
HRESULT NewRealVariable(IUnknown** out);
HRESULT NewVectorVariable(IUnknown** out);

// The tagged name of any variable of this server ("" when it is none).
std::u16string TaggedNameOf(IUnknown* variable);

// Names, flags, units, enumeration texts and the reference count every variable shares.
// Faces are the interfaces the variable answers, the first one its identity: one
// definition of each shared operation overrides it in every face.
template <class... Faces>
class VariableCore : public Faces..., private Counted {
    using Identity = std::tuple_element_t<0, std::tuple<Faces...>>;

public:
    HRESULT QueryInterface(const GUID& iid, void** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (iid == IID_IUnknown || iid == volacor::IID_IHostVariable) {
            *out = static_cast<Identity*>(this);
        } else {
            *out = Face(iid);
            if (!*out) return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }
    ULONG AddRef() override { return references_.Add(); }
    ULONG Release() override {
        ULONG left = 0;
        if (references_.Drop(left)) delete this;
        return left;
    }

    HRESULT GetTaggedName(BSTR* name) override {
        if (HRESULT hr = Enter("GetTaggedName"); FAILED(hr)) return hr;
        return ToBstr(taggedName_, name);
    }
    HRESULT SetTaggedName(BSTR name) override {
        if (HRESULT hr = Enter("SetTaggedName"); FAILED(hr)) return hr;
        taggedName_ = FromBstr(name);
        return S_OK;
    }
    HRESULT GetDisplayName(BSTR* name) override {
        if (HRESULT hr = Enter("GetDisplayName"); FAILED(hr)) return hr;
        return ToBstr(displayName_, name);
    }
    HRESULT SetDisplayName(BSTR name) override {
        if (HRESULT hr = Enter("SetDisplayName"); FAILED(hr)) return hr;
        displayName_ = FromBstr(name);
        return S_OK;
    }
    HRESULT GetFlags(int32_t* mask) override {
        if (HRESULT hr = Enter("GetFlags"); FAILED(hr)) return hr;
        if (!mask) return E_POINTER;
        *mask = flags_;
        return S_OK;
    }
    HRESULT SetFlags(int32_t mask) override {
        if (HRESULT hr = EnterWithInt("SetFlags", mask); FAILED(hr)) return hr;
        flags_ = mask;
        return S_OK;
    }
    HRESULT GetUnits(BSTR* units) override {
        if (HRESULT hr = Enter("GetUnits"); FAILED(hr)) return hr;
        return ToBstr(units_, units);
    }
    HRESULT SetUnits(BSTR units) override {
        if (HRESULT hr = Enter("SetUnits"); FAILED(hr)) return hr;
        units_ = FromBstr(units);
        return S_OK;
    }
    HRESULT IsEmpty(BOOL* empty) override {
        if (HRESULT hr = Enter("IsEmpty"); FAILED(hr)) return hr;
        if (!empty) return E_POINTER;
        *empty = HoldsNoValue() ? 1 : 0;
        return S_OK;
    }
    HRESULT SetEmpty() override {
        if (HRESULT hr = Enter("SetEmpty"); FAILED(hr)) return hr;
        ForgetValues();
        return S_OK;
    }
    HRESULT GetKind(int32_t* kind) override {
        if (HRESULT hr = Enter("GetKind"); FAILED(hr)) return hr;
        if (!kind) return E_POINTER;
        *kind = Kind();
        return S_OK;
    }
    HRESULT Duplicate(IUnknown** copy) override {
        if (HRESULT hr = Enter("Duplicate"); FAILED(hr)) return hr;
        if (!copy) return E_POINTER;
        *copy = MakeCopy();
        return *copy ? S_OK : E_OUTOFMEMORY;
    }
    HRESULT CopyValueFrom(IUnknown* other) override {
        if (HRESULT hr = Enter("CopyValueFrom"); FAILED(hr)) return hr;
        if (!other) return E_POINTER;
        return TakeValuesOf(other);
    }

    // IEnumeratedVariable's texts (every variable of the server answers it). Flag A says the texts are in use, flag B whether the
    // user may enter a value that has no text; the server keeps both for the host.
    HRESULT GetEnumCount(int32_t* count) override {
        if (HRESULT hr = Enter("GetEnumCount"); FAILED(hr)) return hr;
        if (!count) return E_POINTER;
        *count = static_cast<int32_t>(texts_.size());
        return S_OK;
    }
    HRESULT GetEnumText(int32_t index, BSTR* text) override {
        if (HRESULT hr = Enter("GetEnumText"); FAILED(hr)) return hr;
        if (!text) return E_POINTER;
        *text = nullptr;
        if (index < 0 || static_cast<size_t>(index) >= texts_.size()) return E_INVALIDARG;
        return ToBstr(texts_[static_cast<size_t>(index)], text);
    }
    HRESULT SetEnumFlagA(int32_t flag) override {
        if (HRESULT hr = EnterWithInt("SetEnumFlagA", flag); FAILED(hr)) return hr;
        enumFlagA_ = flag;
        return S_OK;
    }
    HRESULT SetEnumFlagB(int32_t flag) override {
        if (HRESULT hr = EnterWithInt("SetEnumFlagB", flag); FAILED(hr)) return hr;
        enumFlagB_ = flag;
        return S_OK;
    }
    HRESULT SetEnumText(int32_t index, BSTR text) override {
        if (HRESULT hr = EnterWithInt("SetEnumText", index); FAILED(hr)) return hr;
        if (index < 0) return E_INVALIDARG;
        if (static_cast<size_t>(index) >= texts_.size()) texts_.resize(static_cast<size_t>(index) + 1);
        texts_[static_cast<size_t>(index)] = FromBstr(text);
        return S_OK;
    }

protected:
    VariableCore() = default;
    VariableCore(const VariableCore&) = default;
    virtual ~VariableCore() = default;

    // The face for an interface id other than IUnknown's and IHostVariable's, or null.
    virtual void* Face(const GUID& iid) = 0;
    virtual bool HoldsNoValue() const = 0;
    virtual void ForgetValues() = 0;
    virtual int32_t Kind() const = 0;
    virtual IUnknown* MakeCopy() const = 0;
    virtual HRESULT TakeValuesOf(IUnknown* other) = 0;

private:
    ReferenceCount references_;
    std::u16string taggedName_;
    std::u16string displayName_;
    std::u16string units_;
    int32_t flags_ = 0;
    int32_t enumFlagA_ = 0;
    int32_t enumFlagB_ = 0;
    std::vector<std::u16string> texts_;
};

}  // namespace varhost
