// Final construction: the host variables every correlation object works with, made
// through the host's variable server right after the constructor. Any failing step
// fails the creation; what was made so far is released when the object is destroyed.
#include "correlations/bstr_text.h"
#include "correlations/correlation_base.h"
#include "correlations/host_object.h"
#include "correlations/variable_definition.h"

namespace volacor {
namespace {

// Flag masks handed to the host's SetFlags unchanged; the host gives the bits meaning.
constexpr int32_t kPhaseValuesFlags = -1;  // every bit
constexpr int32_t kReferenceTemperatureFlags = 1;
constexpr int32_t kRemoveNcFlags = 64;
constexpr int32_t kVlRatioFlags = 127;

// Values the parameters get at creation (the reference temperature comes from the class).
constexpr double kRemoveNcMolePercentAtCreation = 0.0;
constexpr double kVlRatioAtCreation = 4.0;  // the vapour/liquid ratio of the standard test

HRESULT NameAndFlag(IHostVariable* variable, const char* taggedName, int32_t flags) {
    const comrt::UniqueBstr name = AnsiToBstr(taggedName);
    if (!name) return E_OUTOFMEMORY;
    HRESULT hr = variable->SetTaggedName(name.get());
    if (SUCCEEDED(hr)) hr = variable->SetFlags(flags);
    return hr;
}

}  // namespace

HRESULT CCorrelationBase::FinalConstruct() {
    if (FAILED(CreateHostObject(kVariableServerFile, CLSID_VariableSet, IID_IVariableSet, parameterSet_.put_void())) ||
        FAILED(CreateHostObject(kVariableServerFile, CLSID_VariableSet, IID_IVariableSet, resultSet_.put_void())) ||
        FAILED(CreateHostObject(kVariableServerFile, CLSID_RealVectorVariable, IID_IRealVectorVariable,
                                phaseValuesVar_.put_void())))
        return E_FAIL;
    if (FAILED(NameAndFlag(phaseValuesVar_.get(), "Phase_Values", kPhaseValuesFlags)) ||
        !LoadVariableDefinition("Phase_Values", phaseValuesVar_.get()) ||
        FAILED(resultSet_->Add(phaseValuesVar_.get())))
        return E_FAIL;

    attribute2_ = 2;
    if (FAILED(BuildParameter(refTempVar_, "RVPRefTempValue", kReferenceTemperatureFlags,
                              description_.referenceTemperatureAtCreation_C)) ||
        FAILED(BuildParameter(removeNcVar_, "RemoveNCmolPercent", kRemoveNcFlags, kRemoveNcMolePercentAtCreation)))
        return E_FAIL;
    if (description_.hasVlRatioVariable &&
        FAILED(BuildParameter(vlRatioVar_, "VLRatioValue", kVlRatioFlags, kVlRatioAtCreation)))
        return E_FAIL;
    return S_OK;
}

HRESULT CCorrelationBase::BuildParameter(comrt::ComPtr<IRealVariable>& field, const char* taggedName, int32_t flags,
                                         double value) {
    if (FAILED(CreateHostObject(kVariableServerFile, CLSID_RealVariable, IID_IRealVariable, field.put_void())) ||
        FAILED(NameAndFlag(field.get(), taggedName, flags)) || !LoadVariableDefinition(taggedName, field.get()) ||
        FAILED(parameterSet_->Add(field.get())))
        return E_FAIL;
    field->SetValue(value);
    return S_OK;
}

}  // namespace volacor
