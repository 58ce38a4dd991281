// The calculation driver, written once for the nine classes: one host request becomes
// five calls of the class's phase procedure (FEED first, then VAP, LIQ1, LIQ2, SOLID),
// whose results go into the client's "Phase_Values". Every host reference taken here is
// held by a ComPtr, so it is released on every way out.
#include "core/property_calculator.h"
#include "core/units.h"
#include "comrt/boundary.h"
#include "correlations/bstr_text.h"
#include "correlations/correlation_base.h"
#include "host/fluid.h"
#include "host/phase.h"

namespace volacor {
namespace {

using comrt::ComPtr;

// Written back when the host has emptied "RVPRefTempValue": 100 °F to two places, in °C.
constexpr double kDefaultReferenceTemperature_C = 37.78;

// Element of "Phase_Values" that receives each phase's result; element 4 is never written.
constexpr int32_t kElementOfPhase[PHASE_COUNT] = {
    1,  // VAP
    2,  // LIQ1
    3,  // LIQ2
    5,  // SOLID
    0,  // FEED
};
constexpr PhaseIndex kPhasesAfterFeed[] = {VAP, LIQ1, LIQ2, SOLID};

// The calculator holds the host's fluid and stream analysis only while the phase
// procedures run: whatever happens, it is emptied and the reuse flag cleared at the end.
class CalculatorHold {
public:
    CalculatorHold(CPropertyCalculator& calculator, IHostFluid* fluid, IHostStreamAnalysis* analysis) noexcept
        : calculator_(calculator) {
        calculator_.ReleaseFluid();
        calculator_.ReleaseStreamAnalysis();
        fluid->AddRef();
        calculator_.fluid = fluid;
        analysis->AddRef();
        calculator_.streamAnalysis = analysis;
    }
    ~CalculatorHold() {
        calculator_.reuseLoadedData = 0;
        calculator_.ReleaseFluid();
        calculator_.ReleaseStreamAnalysis();
    }
    CalculatorHold(const CalculatorHold&) = delete;
    CalculatorHold& operator=(const CalculatorHold&) = delete;

private:
    CPropertyCalculator& calculator_;
};

template <class T>
ComPtr<T> Query(IUnknown* object, const IID& iid) {
    ComPtr<T> result;
    if (!object || FAILED(object->QueryInterface(iid, result.put_void()))) result.reset();
    return result;
}

}  // namespace

HRESULT CCorrelationBase::Calculate(int32_t cookie) {
    return comrt::GuardBoundary([&] { return RunDriver(cookie, *GetPropertyCalculator()); });
}

HRESULT CCorrelationBase::RunDriver(int32_t cookie, CPropertyCalculator& calculator) {
    const std::ptrdiff_t position = FindConnection(cookie);
    if (position < 0) return CONNECT_E_CANNOTCONNECT;
    const CConnectionInfo& record = *connections_[static_cast<size_t>(position)];
    // Own references for the run: a host callback could detach the record meanwhile.
    const auto client = ComPtr<ICorrelationClient>::Share(record.client.get());
    const auto clientSet = ComPtr<IVariableSet>::Share(record.variableSet.get());

    ComPtr<ICorrelationContext> context;
    HRESULT hr = client->GetContext(record.clientKey, context.put(), static_cast<int32_t>(position));
    if (FAILED(hr)) return hr;
    if (!context) return E_FAIL;  // success without a context: nothing to calculate with

    int32_t active = 1;
    if (SUCCEEDED(context->GetActive(&active)) && active == 0) return S_OK;

    ComPtr<IUnknown> material;
    hr = context->GetMaterial(material.put());
    if (FAILED(hr)) return hr;
    const auto fluid = Query<IHostFluid>(material.get(), IID_IHostFluid);
    if (description_.variant.analysisMaterial == AnalysisMaterial::SecondGetMaterial) material.reset();
    if (!clientSet || !fluid) return E_FAIL;

    if (description_.variant.analysisMaterial == AnalysisMaterial::SecondGetMaterial) {
        hr = context->GetMaterial(material.put());
        if (FAILED(hr)) return hr;
    }
    const auto analysis = Query<IHostStreamAnalysis>(material.get(), IID_IHostStreamAnalysis);
    material.reset();
    if (!analysis) return E_FAIL;

    double referenceTemperature_C = EMPTY_VALUE;
    if (!refTempVar_ || FAILED(refTempVar_->GetValue(&referenceTemperature_C))) return E_FAIL;
    if (referenceTemperature_C == EMPTY_VALUE) {
        refTempVar_->SetValue(kDefaultReferenceTemperature_C);
        referenceTemperature_C = kDefaultReferenceTemperature_C;
    }
    // °R for the three API methods, °C for the others.
    const double referenceTemperatureHandedOn = description_.variant.handsOnRankine
                                                    ? units::ApiRankineFromCelsius(referenceTemperature_C)
                                                    : referenceTemperature_C;

    double removeNcMolePercent = EMPTY_VALUE;  // no default: an empty value is handed on
    if (!removeNcVar_ || FAILED(removeNcVar_->GetValue(&removeNcMolePercent))) return E_FAIL;

    double vlRatio = EMPTY_VALUE;  // no default either
    if (description_.variant.readsVlRatio && (!vlRatioVar_ || FAILED(vlRatioVar_->GetValue(&vlRatio))))
        return E_FAIL;

    const CalculatorHold hold(calculator, fluid.get(), analysis.get());

    const comrt::UniqueBstr name = AnsiToBstr("Phase_Values");
    if (!name) return E_OUTOFMEMORY;
    ComPtr<IUnknown> variable;
    // A set without "Phase_Values" fails the calculation, whether the host reports the
    // absence as a failure or as S_FALSE with no variable.
    if (FAILED(clientSet->FindVariable(name.get(), variable.put())) || !variable) return E_FAIL;
    const auto phaseValues = Query<IRealVectorVariable>(variable.get(), IID_IRealVectorVariable);
    if (!phaseValues) return S_OK;  // not a vector: nothing to write into

    const auto calculatePhase = [&](PhaseIndex phase) {
        return procedure_(&calculator, phase, referenceTemperatureHandedOn, removeNcMolePercent, vlRatio);
    };
    phaseValues->SetElement(kElementOfPhase[FEED], calculatePhase(FEED));
    calculator.reuseLoadedData = 1;
    for (PhaseIndex phase : kPhasesAfterFeed) {
        const double value = description_.variant.feedOnly ? EMPTY_VALUE : calculatePhase(phase);
        phaseValues->SetElement(kElementOfPhase[phase], value);
    }
    return S_OK;
}

}  // namespace volacor
