#include "variable_set.h"

#include <new>
#include <string>
#include <vector>

#include "bookkeeping.h"
#include "comrt/com_ptr.h"
#include "host/phase.h"
#include "host/variables.h"
#include "text.h"
#include "variables.h"

namespace varhost {
namespace {

using comrt::ComPtr;
using volacor::IHostVariable;
using volacor::IRealVariable;
using volacor::IRealVectorVariable;
using volacor::IVariableSet;

// The values a variable holds, for telling whether anything changed.
std::vector<double> ValuesOf(IUnknown* variable) {
    ComPtr<IRealVariable> real;
    if (SUCCEEDED(variable->QueryInterface(volacor::IID_IRealVariable, real.put_void()))) {
        double value = volacor::EMPTY_VALUE;
        real->GetValue(&value);
        return {value};
    }
    ComPtr<IRealVectorVariable> vector;
    std::vector<double> values;
    if (SUCCEEDED(variable->QueryInterface(volacor::IID_IRealVectorVariable, vector.put_void()))) {
        int32_t length = 0;
        vector->GetLength(&length);
        values.resize(static_cast<size_t>(length < 0 ? 0 : length), volacor::EMPTY_VALUE);
        for (int32_t i = 0; i < length; ++i) vector->GetElement(i, &values[static_cast<size_t>(i)]);
    }
    return values;
}

class VariableSet final : public SingleFaceObject<IVariableSet, volacor::IID_IVariableSet> {
public:
    HRESULT GetCount(int32_t* count) override {
        if (HRESULT hr = Enter("GetCount"); FAILED(hr)) return hr;
        if (!count) return E_POINTER;
        *count = static_cast<int32_t>(items_.size());
        return S_OK;
    }
    HRESULT GetItem(int32_t index, IUnknown** variable) override {
        if (HRESULT hr = Enter("GetItem"); FAILED(hr)) return hr;
        if (!variable) return E_POINTER;
        *variable = nullptr;
        if (index < 0 || static_cast<size_t>(index) >= items_.size()) return E_INVALIDARG;
        items_[static_cast<size_t>(index)].copy_to(variable);
        return S_OK;
    }
    HRESULT Remove(BSTR taggedName) override {
        if (HRESULT hr = Enter("Remove"); FAILED(hr)) return hr;
        const std::ptrdiff_t index = Find(FromBstr(taggedName));
        if (index < 0) return S_FALSE;
        items_.erase(items_.begin() + index);
        modified_ = true;
        return S_OK;
    }
    HRESULT Clear() override {
        if (HRESULT hr = Enter("Clear"); FAILED(hr)) return hr;
        if (!items_.empty()) modified_ = true;
        items_.clear();
        return S_OK;
    }
    HRESULT Add(IUnknown* variable) override {
        if (HRESULT hr = Enter("Add"); FAILED(hr)) return hr;
        if (!variable) return E_POINTER;
        items_.push_back(ComPtr<IUnknown>::Share(variable));
        modified_ = true;
        return S_OK;
    }
    HRESULT SetName(BSTR name) override {
        if (HRESULT hr = Enter("SetName"); FAILED(hr)) return hr;
        name_ = FromBstr(name);
        return S_OK;
    }
    HRESULT GetName(BSTR* name) override {
        if (HRESULT hr = Enter("GetName"); FAILED(hr)) return hr;
        return ToBstr(name_, name);
    }
    HRESULT IndexOf(BSTR taggedName, int32_t* index) override {
        if (HRESULT hr = Enter("IndexOf"); FAILED(hr)) return hr;
        if (!index) return E_POINTER;
        *index = static_cast<int32_t>(Find(FromBstr(taggedName)));
        return *index < 0 ? S_FALSE : S_OK;
    }
    HRESULT CopyValuesFrom(IVariableSet* other) override {
        if (HRESULT hr = Enter("CopyValuesFrom"); FAILED(hr)) return hr;
        if (!other) return E_POINTER;
        for (const ComPtr<IUnknown>& item : items_) {
            const std::u16string name = TaggedNameOf(item.get());
            BSTR wanted = SysAllocStringLen(name.data(), static_cast<uint32_t>(name.size()));
            ComPtr<IUnknown> source;
            const HRESULT found = other->FindVariable(wanted, source.put());
            SysFreeString(wanted);
            if (found != S_OK || !source) continue;
            ComPtr<IHostVariable> target;
            if (SUCCEEDED(item->QueryInterface(volacor::IID_IHostVariable, target.put_void())))
                if (HRESULT hr = target->CopyValueFrom(source.get()); FAILED(hr)) return hr;
        }
        return S_OK;
    }
    HRESULT SetAllEmpty() override {
        if (HRESULT hr = Enter("SetAllEmpty"); FAILED(hr)) return hr;
        for (const ComPtr<IUnknown>& item : items_) {
            ComPtr<IHostVariable> variable;
            if (SUCCEEDED(item->QueryInterface(volacor::IID_IHostVariable, variable.put_void()))) variable->SetEmpty();
        }
        return S_OK;
    }
    HRESULT Clone(IVariableSet** location) override {
        if (HRESULT hr = Enter("Clone"); FAILED(hr)) return hr;
        if (!location) return E_POINTER;
        ComPtr<IVariableSet> target = ComPtr<IVariableSet>::Share(*location);
        if (!target) {
            ComPtr<IUnknown> made;
            if (HRESULT hr = NewVariableSet(made.put()); FAILED(hr)) return hr;
            if (HRESULT hr = made->QueryInterface(volacor::IID_IVariableSet, target.put_void()); FAILED(hr)) return hr;
        }
        for (const ComPtr<IUnknown>& item : items_) {
            const std::u16string name = TaggedNameOf(item.get());
            BSTR wanted = SysAllocStringLen(name.data(), static_cast<uint32_t>(name.size()));
            BOOL present = 0;
            const HRESULT asked = target->Contains(wanted, &present);
            SysFreeString(wanted);
            if (FAILED(asked)) return asked;
            if (present) continue;
            ComPtr<IHostVariable> variable;
            ComPtr<IUnknown> copy;
            if (HRESULT hr = item->QueryInterface(volacor::IID_IHostVariable, variable.put_void()); FAILED(hr))
                return hr;
            if (HRESULT hr = variable->Duplicate(copy.put()); FAILED(hr)) return hr;
            if (HRESULT hr = target->Add(copy.get()); FAILED(hr)) return hr;
        }
        // A set that was there keeps the caller's reference; a new one hands its one over.
        if (!*location) *location = target.detach();
        return S_OK;
    }
    HRESULT Contains(BSTR taggedName, BOOL* found) override {
        if (HRESULT hr = Enter("Contains"); FAILED(hr)) return hr;
        if (!found) return E_POINTER;
        *found = Find(FromBstr(taggedName)) >= 0 ? 1 : 0;
        return S_OK;
    }
    HRESULT GetModified(BOOL* modified) override {
        if (HRESULT hr = Enter("GetModified"); FAILED(hr)) return hr;
        if (!modified) return E_POINTER;
        *modified = (modified_ || CurrentValues() != valuesAtReset_) ? 1 : 0;
        return S_OK;
    }
    HRESULT ResetModified() override {
        if (HRESULT hr = Enter("ResetModified"); FAILED(hr)) return hr;
        modified_ = false;
        valuesAtReset_ = CurrentValues();
        return S_OK;
    }
    HRESULT FindVariable(BSTR taggedName, IUnknown** variable) override {
        if (HRESULT hr = Enter("FindVariable"); FAILED(hr)) return hr;
        if (!variable) return E_POINTER;
        *variable = nullptr;
        const std::ptrdiff_t index = Find(FromBstr(taggedName));
        if (index < 0) return S_FALSE;
        items_[static_cast<size_t>(index)].copy_to(variable);
        return S_OK;
    }

private:
    ~VariableSet() override = default;
    friend HRESULT varhost::NewVariableSet(IUnknown** out);

    std::ptrdiff_t Find(const std::u16string& name) const {
        for (size_t i = 0; i < items_.size(); ++i)
            if (TaggedNameOf(items_[i].get()) == name) return static_cast<std::ptrdiff_t>(i);
        return -1;
    }
    std::vector<std::vector<double>> CurrentValues() const {
        std::vector<std::vector<double>> values;
        for (const ComPtr<IUnknown>& item : items_) values.push_back(ValuesOf(item.get()));
        return values;
    }

    std::vector<ComPtr<IUnknown>> items_;
    std::u16string name_;
    bool modified_ = false;
    std::vector<std::vector<double>> valuesAtReset_;
};

}  // namespace

HRESULT NewVariableSet(IUnknown** out) {
    if (!out) return E_POINTER;
    *out = static_cast<IVariableSet*>(new (std::nothrow) VariableSet());
    return *out ? S_OK : E_OUTOFMEMORY;
}

}  // namespace varhost
