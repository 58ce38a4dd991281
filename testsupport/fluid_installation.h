// Handing a scripted fluid to the shared calculator the way the calculation driver does,
// and a fixture that proves a test left no reference and no task-memory block behind.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <vector>

#include "core/property_calculator.h"
#include "testsupport/scripted_fluid.h"

namespace volacor::testsupport {

// Releases whatever calc held and stores fluid in calc.fluid and calc.streamAnalysis,
// each holding a reference of its own.
void InstallFluid(CPropertyCalculator& calc, ScriptedFluid& fluid);

// Returns calc to its state at creation: both references released, componentValues
// freed, the loaded snapshot and analysis freed and zeroed, the flags and carried values
// back to their initial values.
void ClearCalculator(CPropertyCalculator& calc);

// Installs on construction and clears (ClearCalculator) on destruction.
class FluidInstallation {
public:
    FluidInstallation(CPropertyCalculator& calc, ScriptedFluid& fluid) : calc_(calc) { InstallFluid(calc, fluid); }
    ~FluidInstallation() { ClearCalculator(calc_); }
    FluidInstallation(const FluidInstallation&) = delete;
    FluidInstallation& operator=(const FluidInstallation&) = delete;

private:
    CPropertyCalculator& calc_;
};

// A fixture around the shared calculator. MakeFluid builds a scripted fluid and installs
// it; TearDown clears the calculator and checks that every fluid is back to the test's
// own reference and that no task-memory block is left over from the test.
//
//   class OrvanTest : public CalculatorTest {};
//   TEST_F(OrvanTest, FeedBubblePoint) {
//       ScriptedFluid& fluid = MakeFluid({NPentane, NHexane});
//       fluid.OnFlash(ScriptedFluid::BubblePoint(68.943));
//       EXPECT_NEAR(orvan_api::CalculatePhase(calc, FEED, 559.694, 0.0), 55.2516, 1e-4);
//   }
class CalculatorTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Builds a fluid of these components and installs it in calc (replacing any other).
    ScriptedFluid& MakeFluid(std::initializer_list<HostComponent> components);

    CPropertyCalculator* calc = GetPropertyCalculator();
    int64_t blocksAtStart = 0;
    std::vector<std::unique_ptr<ScriptedFluid>> fluids;
};

}  // namespace volacor::testsupport
