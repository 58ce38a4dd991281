#include "testsupport/fluid_installation.h"

#include "comrt/memory.h"

namespace volacor::testsupport {

void InstallFluid(CPropertyCalculator& calc, ScriptedFluid& fluid) {
    calc.ReleaseFluid();
    calc.ReleaseStreamAnalysis();
    void* out = nullptr;
    if (SUCCEEDED(fluid.QueryInterface(IID_IHostFluid, &out))) calc.fluid = static_cast<IHostFluid*>(out);
    out = nullptr;
    if (SUCCEEDED(fluid.QueryInterface(IID_IHostStreamAnalysis, &out)))
        calc.streamAnalysis = static_cast<IHostStreamAnalysis*>(out);
}

void ClearCalculator(CPropertyCalculator& calc) {
    calc.ReleaseFluid();
    calc.ReleaseStreamAnalysis();
    CoTaskMemFree(calc.componentValues);
    calc.componentValues = nullptr;
    calc.componentValueCount = 0;
    calc.ResetFluidState();
    calc.ResetStreamAnalysis();
    calc.reuseLoadedData = 0;
    calc.tvpTooLarge = false;
    calc.dTvpdRvp = EMPTY_VALUE;
}

void CalculatorTest::SetUp() {
    ClearCalculator(*calc);
    blocksAtStart = comrt_TaskMemOutstanding();
}

void CalculatorTest::TearDown() {
    ClearCalculator(*calc);
    for (const auto& fluid : fluids) {
        EXPECT_EQ(fluid->liveReferences(), 1u) << "a reference taken from the scripted fluid was not released";
        EXPECT_FALSE(fluid->overReleased());
    }
    EXPECT_EQ(comrt_TaskMemOutstanding(), blocksAtStart) << "task-memory blocks left behind";
    fluids.clear();
}

ScriptedFluid& CalculatorTest::MakeFluid(std::initializer_list<HostComponent> components) {
    fluids.push_back(ScriptedFluid::Make(components));
    InstallFluid(*calc, *fluids.back());
    return *fluids.back();
}

}  // namespace volacor::testsupport
