// What the correlation tests share: objects created the way their class object creates
// them, with a phase procedure the test supplies, and a fixture that proves each test
// left nothing behind: no object of the test variable server, no module lock, no
// task-memory block, and a calculator that holds no host reference.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "comrt/com_ptr.h"
#include "comrt/memory.h"
#include "comrt/owners.h"
#include "core/property_calculator.h"
#include "correlations/bstr_text.h"
#include "correlations/correlation_classes.h"
#include "correlations/module_lock.h"
#include "testsupport/fluid_installation.h"
#include "testsupport/varhost/varhost_control.h"

namespace volacor::testing {

using comrt::ComPtr;
using Creator = HRESULT (*)(PhaseProcedure, IUnknown*, const GUID&, void**);

// One phase-procedure call as the procedure saw it.
struct PhaseCall {
    int32_t phase;
    double referenceTemperature;
    double removeNcMolePercent;
    double ratio;             // EMPTY_VALUE for a procedure without the ratio
    int32_t reuseLoadedData;  // the calculator's flag during the call
    bool hostHeld;            // the calculator held both fluid and stream analysis
};

// Procedures that record their calls and answer 100 + phase.
inline std::vector<PhaseCall> phaseCalls;
inline double ResultOf(int32_t phase) { return 100.0 + phase; }
inline double RecordingPhase(CPropertyCalculator* calc, int32_t phase, double temperature, double removeNc) {
    phaseCalls.push_back({phase, temperature, removeNc, EMPTY_VALUE, calc->reuseLoadedData,
                          calc->fluid != nullptr && calc->streamAnalysis != nullptr});
    return ResultOf(phase);
}
inline double RecordingPhaseWithRatio(CPropertyCalculator* calc, int32_t phase, double temperature, double removeNc,
                                      double ratio) {
    phaseCalls.push_back({phase, temperature, removeNc, ratio, calc->reuseLoadedData,
                          calc->fluid != nullptr && calc->streamAnalysis != nullptr});
    return ResultOf(phase);
}

// The recording procedure of the right shape for a class.
inline PhaseProcedure RecordingProcedureFor(const ClassDescription& description) {
    return description.variant.readsVlRatio ? PhaseProcedure(&RecordingPhaseWithRatio)
                                            : PhaseProcedure(&RecordingPhase);
}

struct ClassUnderTest {
    const ClassDescription* description;
    Creator create;
};

inline const ClassUnderTest kAllClasses[] = {
    {&kAPI_5B1_1, &CAPI_5B1_1::CreateInstance},
    {&kAPI_5B1_2, &CAPI_5B1_2::CreateInstance},
    {&kASTM_D323_73_79, &CASTM_D323_73_79::CreateInstance},
    {&kASTM_D323_82, &CASTM_D323_82::CreateInstance},
    {&kASTM_D4953_91, &CASTM_D4953_91::CreateInstance},
    {&kASTM_D5191_91, &CASTM_D5191_91::CreateInstance},
    {&kASTM_D6377_16, &CASTM_D6377_16::CreateInstance},
    {&kOrvan_API, &COrvan_API::CreateInstance},
    {&kModifiedASTM, &CModifiedASTM::CreateInstance},
};

inline std::string ToUtf8(BSTR text) {
    std::string narrow;
    if (text)
        for (uint32_t i = 0; i < SysStringLen(text); ++i) narrow += static_cast<char>(text[i]);
    return narrow;
}

// A variable of set by tagged name, queried for iid; null when absent.
template <class T>
ComPtr<T> FindIn(IVariableSet* set, const char* name, const IID& iid) {
    ComPtr<IUnknown> found;
    ComPtr<T> typed;
    const comrt::UniqueBstr wanted = AnsiToBstr(name);
    if (set && set->FindVariable(wanted.get(), found.put()) == S_OK && found)
        found->QueryInterface(iid, typed.put_void());
    return typed;
}

inline std::string TaggedName(IUnknown* variable) {
    ComPtr<IHostVariable> host;
    BSTR raw = nullptr;
    if (FAILED(variable->QueryInterface(IID_IHostVariable, host.put_void())) || FAILED(host->GetTaggedName(&raw)))
        return "?";
    const comrt::UniqueBstr owned(raw);
    return ToUtf8(raw);
}

inline std::string DisplayName(IUnknown* variable) {
    ComPtr<IHostVariable> host;
    BSTR raw = nullptr;
    if (FAILED(variable->QueryInterface(IID_IHostVariable, host.put_void())) || FAILED(host->GetDisplayName(&raw)))
        return "?";
    const comrt::UniqueBstr owned(raw);
    return ToUtf8(raw);
}

class CorrelationTest : public ::testing::Test {
public:
    void SetUp() override {
        varhost = testsupport::VarhostControl::Load();
        ASSERT_TRUE(varhost.Loaded()) << "the test variable server must come first on LD_LIBRARY_PATH";
        varhost.Reset();
        phaseCalls.clear();
        testsupport::ClearCalculator(*GetPropertyCalculator());
        liveAtStart = varhost.LiveObjects();
        locksAtStart = ModuleLockCount();
        blocksAtStart = comrt_TaskMemOutstanding();
    }
    void TearDown() override {
        CPropertyCalculator& calc = *GetPropertyCalculator();
        EXPECT_EQ(calc.fluid, nullptr) << "the calculator still holds the fluid";
        EXPECT_EQ(calc.streamAnalysis, nullptr) << "the calculator still holds the stream analysis";
        EXPECT_EQ(calc.reuseLoadedData, 0);
        testsupport::ClearCalculator(calc);
        if (!varhost.Loaded()) return;
        varhost.Reset();
        EXPECT_EQ(varhost.LiveObjects(), liveAtStart) << "host variables or class objects left alive";
        EXPECT_EQ(ModuleLockCount(), locksAtStart) << "module lock count changed";
        EXPECT_EQ(comrt_TaskMemOutstanding(), blocksAtStart) << "task-memory blocks left behind";
    }

    static ComPtr<ICorrelation> Create(const ClassUnderTest& cls) {
        ComPtr<ICorrelation> object;
        const HRESULT hr = cls.create(RecordingProcedureFor(*cls.description), nullptr, IID_ICorrelation,
                                      object.put_void());
        EXPECT_EQ(hr, S_OK) << cls.description->className;
        return object;
    }

    testsupport::VarhostControl varhost;
    int32_t liveAtStart = 0;
    int32_t locksAtStart = 0;
    int64_t blocksAtStart = 0;
};

}  // namespace volacor::testing
