#include "variables.h"

#include <new>

#include "comrt/com_ptr.h"

namespace varhost {
namespace {

using comrt::ComPtr;
using volacor::IEnumeratedVariable;
using volacor::IHostVariable;
using volacor::IRealVariable;
using volacor::IRealVectorVariable;

constexpr int32_t kRealKind = 0;
constexpr int32_t kVectorKind = 1;

// One real value; its texts (if any) name the values it may take.
class RealVariable final : public VariableCore<IEnumeratedVariable> {
public:
    RealVariable() = default;
    RealVariable(const RealVariable&) = default;

    HRESULT GetValue(double* value) override {
        if (HRESULT hr = Enter("GetValue"); FAILED(hr)) return hr;
        if (!value) return E_POINTER;
        *value = value_;
        return S_OK;
    }
    HRESULT SetValue(double value) override {
        if (HRESULT hr = Enter("SetValue"); FAILED(hr)) return hr;
        value_ = value;
        return S_OK;
    }

private:
    void* Face(const GUID& iid) override {
        if (iid == volacor::IID_IRealVariable || iid == volacor::IID_IEnumeratedVariable)
            return static_cast<IEnumeratedVariable*>(this);
        return nullptr;
    }
    bool HoldsNoValue() const override { return value_ == EMPTY_VALUE; }
    void ForgetValues() override { value_ = EMPTY_VALUE; }
    int32_t Kind() const override { return kRealKind; }
    IUnknown* MakeCopy() const override {
        return static_cast<IEnumeratedVariable*>(new (std::nothrow) RealVariable(*this));
    }
    HRESULT TakeValuesOf(IUnknown* other) override {
        ComPtr<IRealVariable> real;
        HRESULT hr = other->QueryInterface(volacor::IID_IRealVariable, real.put_void());
        if (FAILED(hr)) return hr;
        double value = EMPTY_VALUE;
        hr = real->GetValue(&value);
        if (SUCCEEDED(hr)) value_ = value;
        return hr;
    }

    double value_ = EMPTY_VALUE;
};

// A vector of reals that grows as elements are set. Through IEnumeratedVariable its
// texts name the elements, and GetValue/SetValue reach element 0.
class VectorVariable final : public VariableCore<IRealVectorVariable, IEnumeratedVariable> {
public:
    VectorVariable() = default;
    VectorVariable(const VectorVariable&) = default;

    HRESULT GetLength(int32_t* length) override {
        if (HRESULT hr = Enter("GetLength"); FAILED(hr)) return hr;
        if (!length) return E_POINTER;
        *length = static_cast<int32_t>(elements_.size());
        return S_OK;
    }
    HRESULT SetElement(int32_t index, double value) override {
        if (HRESULT hr = EnterWithInt("SetElement", index); FAILED(hr)) return hr;
        if (index < 0) return E_INVALIDARG;
        if (static_cast<size_t>(index) >= elements_.size()) elements_.resize(static_cast<size_t>(index) + 1, EMPTY_VALUE);
        elements_[static_cast<size_t>(index)] = value;
        return S_OK;
    }
    HRESULT GetElement(int32_t index, double* value) override {
        if (HRESULT hr = Enter("GetElement"); FAILED(hr)) return hr;
        if (!value) return E_POINTER;
        if (index < 0) return E_INVALIDARG;
        *value = static_cast<size_t>(index) < elements_.size() ? elements_[static_cast<size_t>(index)] : EMPTY_VALUE;
        return S_OK;
    }
    HRESULT SetLength(int32_t length) override {
        if (HRESULT hr = EnterWithInt("SetLength", length); FAILED(hr)) return hr;
        if (length < 0) return E_INVALIDARG;
        elements_.resize(static_cast<size_t>(length), EMPTY_VALUE);
        return S_OK;
    }
    // IEnumeratedVariable's value: element 0.
    HRESULT GetValue(double* value) override { return GetElement(0, value); }
    HRESULT SetValue(double value) override { return SetElement(0, value); }

private:
    void* Face(const GUID& iid) override {
        if (iid == volacor::IID_IRealVectorVariable) return static_cast<IRealVectorVariable*>(this);
        if (iid == volacor::IID_IEnumeratedVariable) return static_cast<IEnumeratedVariable*>(this);
        return nullptr;
    }
    bool HoldsNoValue() const override {
        for (double element : elements_)
            if (element != EMPTY_VALUE) return false;
        return true;
    }
    void ForgetValues() override { elements_.clear(); }
    int32_t Kind() const override { return kVectorKind; }
    IUnknown* MakeCopy() const override {
        return static_cast<IRealVectorVariable*>(new (std::nothrow) VectorVariable(*this));
    }
    HRESULT TakeValuesOf(IUnknown* other) override {
        ComPtr<IRealVectorVariable> vector;
        HRESULT hr = other->QueryInterface(volacor::IID_IRealVectorVariable, vector.put_void());
        if (FAILED(hr)) return hr;
        int32_t length = 0;
        if (FAILED(hr = vector->GetLength(&length))) return hr;
        std::vector<double> copied(static_cast<size_t>(length < 0 ? 0 : length), EMPTY_VALUE);
        for (int32_t i = 0; i < length; ++i)
            if (FAILED(hr = vector->GetElement(i, &copied[static_cast<size_t>(i)]))) return hr;
        elements_ = std::move(copied);
        return S_OK;
    }

    std::vector<double> elements_;
};

}  // namespace

HRESULT NewRealVariable(IUnknown** out) {
    if (!out) return E_POINTER;
    *out = static_cast<IEnumeratedVariable*>(new (std::nothrow) RealVariable());
    return *out ? S_OK : E_OUTOFMEMORY;
}

HRESULT NewVectorVariable(IUnknown** out) {
    if (!out) return E_POINTER;
    *out = static_cast<IRealVectorVariable*>(new (std::nothrow) VectorVariable());
    return *out ? S_OK : E_OUTOFMEMORY;
}

std::u16string TaggedNameOf(IUnknown* variable) {
    ComPtr<IHostVariable> host;
    if (!variable || FAILED(variable->QueryInterface(volacor::IID_IHostVariable, host.put_void()))) return {};
    BSTR name = nullptr;
    if (FAILED(host->GetTaggedName(&name))) return {};
    std::u16string text = FromBstr(name);
    SysFreeString(name);
    return text;
}

}  // namespace varhost
