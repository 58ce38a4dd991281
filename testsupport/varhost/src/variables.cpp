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
constexpr int32_t kEnumeratedKind = 2;

// One real value, shared by the real and the enumerated variable.
template <class Interface>
class RealValued : public VariableCore<Interface> {
public:
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

protected:
    bool HoldsNoValue() const override { return value_ == EMPTY_VALUE; }
    void ForgetValues() override { value_ = EMPTY_VALUE; }
    HRESULT TakeValuesOf(IUnknown* other) override {
        ComPtr<IRealVariable> real;
        HRESULT hr = other->QueryInterface(volacor::IID_IRealVariable, real.put_void());
        if (FAILED(hr)) return hr;
        double value = EMPTY_VALUE;
        hr = real->GetValue(&value);
        if (SUCCEEDED(hr)) value_ = value;
        return hr;
    }

private:
    double value_ = EMPTY_VALUE;
};

class RealVariable final : public RealValued<IRealVariable> {
public:
    RealVariable() = default;
    RealVariable(const RealVariable&) = default;

private:
    bool Answers(const GUID& iid) const override { return iid == volacor::IID_IRealVariable; }
    int32_t Kind() const override { return kRealKind; }
    IUnknown* MakeCopy() const override { return new (std::nothrow) RealVariable(*this); }
};

class EnumeratedVariable final : public RealValued<IEnumeratedVariable> {
public:
    EnumeratedVariable() = default;
    EnumeratedVariable(const EnumeratedVariable&) = default;

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
    HRESULT SetEnumFlagA(int32_t flag) override { return EnterWithInt("SetEnumFlagA", flag); }
    HRESULT SetEnumFlagB(int32_t flag) override { return EnterWithInt("SetEnumFlagB", flag); }
    HRESULT SetEnumText(int32_t index, BSTR text) override {
        if (HRESULT hr = EnterWithInt("SetEnumText", index); FAILED(hr)) return hr;
        if (index < 0) return E_INVALIDARG;
        if (static_cast<size_t>(index) >= texts_.size()) texts_.resize(static_cast<size_t>(index) + 1);
        texts_[static_cast<size_t>(index)] = FromBstr(text);
        return S_OK;
    }

private:
    bool Answers(const GUID& iid) const override {
        return iid == volacor::IID_IRealVariable || iid == volacor::IID_IEnumeratedVariable;
    }
    int32_t Kind() const override { return kEnumeratedKind; }
    IUnknown* MakeCopy() const override { return new (std::nothrow) EnumeratedVariable(*this); }

    std::vector<std::u16string> texts_;
};

class VectorVariable final : public VariableCore<IRealVectorVariable> {
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

private:
    bool Answers(const GUID& iid) const override { return iid == volacor::IID_IRealVectorVariable; }
    bool HoldsNoValue() const override {
        for (double element : elements_)
            if (element != EMPTY_VALUE) return false;
        return true;
    }
    void ForgetValues() override { elements_.clear(); }
    int32_t Kind() const override { return kVectorKind; }
    IUnknown* MakeCopy() const override { return new (std::nothrow) VectorVariable(*this); }
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

template <class Variable>
HRESULT NewVariable(IUnknown** out) {
    if (!out) return E_POINTER;
    *out = new (std::nothrow) Variable();
    return *out ? S_OK : E_OUTOFMEMORY;
}

}  // namespace

HRESULT NewRealVariable(IUnknown** out) { return NewVariable<RealVariable>(out); }
HRESULT NewEnumeratedVariable(IUnknown** out) { return NewVariable<EnumeratedVariable>(out); }
HRESULT NewVectorVariable(IUnknown** out) { return NewVariable<VectorVariable>(out); }

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
