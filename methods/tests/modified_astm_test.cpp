// The modified ASTM method: molar densities, the bracket between the bubble point and the
// low-pressure flash, the cycles of bisection on the liquid volume fraction, and the
// EMPTY_VALUE answers where a quantity it needs has no value.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <vector>

#include "comrt/memory.h"
#include "methods/methods.h"
#include "methods/modified_astm.h"
#include "methods/tests/flash_answers.h"
#include "testsupport/fluid_installation.h"
#include "testsupport/model_fluid/model_fluid.h"

namespace volacor {
namespace {

using method_tests::BoilingFluid;
using method_tests::IsVapourFractionRequest;
using method_tests::PressuresTried;
using method_tests::SetTwoPhase;
using modified_astm::PhaseMolarDensity;
using testsupport::CalculatorTest;
using testsupport::ClearCalculator;
using testsupport::NHexane;
using testsupport::NPentane;
using testsupport::ScriptedFluid;

constexpr double k100F_C = 37.778;

FluidSnapshot Split(std::vector<std::pair<double, double>> fractionAndMolarVolume) {
    FluidSnapshot r{};
    for (size_t p = 0; p < fractionAndMolarVolume.size(); ++p) {
        r.phaseFraction[p] = fractionAndMolarVolume[p].first;
        r.molarVolume[p] = fractionAndMolarVolume[p].second;
        r.phasePresent[p] = 1;
    }
    return r;
}

TEST(PhaseMolarDensity, CountsOnlyPhasesAboveTheSmallestFraction) {
    struct Case {
        const char* name;
        FluidSnapshot record;
        int32_t phase;
        double expected;
    };
    FluidSnapshot vapourAbsent = Split({{0.3, 20.0}, {0.7, 0.1}});
    vapourAbsent.phasePresent[VAP] = 0;
    const Case cases[] = {
        {"vapour and liquid", Split({{0.3, 20.0}, {0.7, 0.1}}), FEED, 1.0 / 6.07},
        {"a phase of exactly 1e-6 spoils the whole", Split({{0.3, 20.0}, {0.7, 0.1}, {1e-6, 0.05}}), FEED,
         EMPTY_VALUE},
        {"but not itself", Split({{0.3, 20.0}, {0.7, 0.1}, {1e-6, 0.05}}), LIQ2, 1.0 / 0.05},
        {"1.1e-6 counts", Split({{0.3, 20.0}, {0.7, 0.1}, {1.1e-6, 0.05}}), FEED,
         1.0 / (6.07 + 1.1e-6 * 0.05)},
        {"an absent phase has none", vapourAbsent, VAP, EMPTY_VALUE},
        {"the whole without the absent phase", vapourAbsent, FEED, 1.0 / 0.07},
        {"no phase counts", Split({{0.3, 0.0}, {0.7, -1.0}}), FEED, EMPTY_VALUE},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_DOUBLE_EQ(PhaseMolarDensity(c.record, c.phase), c.expected);
    }
}

// The boiling fluid with a liquid that expands slightly with temperature, so the
// densities at 35, 60 and 100 °F differ.
BoilingFluid Expanding() {
    BoilingFluid fluid;
    fluid.liquidExpansion_per_C = 0.001;
    return fluid;
}

class ModifiedAstmTest : public CalculatorTest {
protected:
    ScriptedFluid& MakeMixture(ScriptedFluid::FlashHandler handler) {
        ScriptedFluid& fluid = MakeFluid({NPentane, NHexane});
        fluid.Feed({0.5, 0.5});
        fluid.OnFlash(std::move(handler));
        return fluid;
    }

    // One call; proves it released the services and freed the working record.
    double RunBalanced(ScriptedFluid& fluid, double temperature_C = 37.78) {
        const ULONG held = fluid.liveReferences();
        const double result = modified_astm::CalculatePhase(calc, FEED, temperature_C, 0.0);
        EXPECT_EQ(fluid.liveReferences(), held) << "the services reference was not released";
        ClearCalculator(*calc);
        EXPECT_EQ(comrt_TaskMemOutstanding(), blocksAtStart) << "the working record's arrays were not freed";
        return result;
    }
};

TEST_F(ModifiedAstmTest, FindsAPressureInsideTheBracketWhateverTheTemperatureArgument) {
    ScriptedFluid& first = MakeMixture(Expanding());
    const double p = RunBalanced(first, 37.78);
    EXPECT_GT(p, 120.0);  // the pressure at vapour fraction 0.95
    EXPECT_LT(p, 500.0);  // the bubble point
    EXPECT_TRUE(first.messages.empty());
    // Densities at 35, 60 and 100 °F, the bubble point and the low-pressure flash open it.
    ASSERT_GE(first.flashRequests.size(), 6u);
    const double openingTemperatures[] = {1.667, 15.556, 37.778, 37.778, 37.778};
    for (size_t k = 0; k < 5; ++k) EXPECT_EQ(first.flashRequests[k].temperature_C, openingTemperatures[k]);
    EXPECT_EQ(first.flashRequests[4].vapourFraction, 0.95);
    EXPECT_DOUBLE_EQ(first.flashRequests[5].pressure_kPa, (500.0 + 120.0) / 2.0);

    ScriptedFluid& second = MakeMixture(Expanding());
    EXPECT_EQ(RunBalanced(second, -40.0), p);
}

TEST_F(ModifiedAstmTest, LowPressureFlashFallsBackToVapourFraction0Point8) {
    ScriptedFluid& fluid = MakeMixture([](FluidSnapshot& r) -> HRESULT {
        if (IsVapourFractionRequest(r) && r.phaseFraction[VAP] == 0.95) return E_FAIL;
        return Expanding()(r);
    });
    const double p = RunBalanced(fluid);
    EXPECT_GT(p, 180.0);  // the pressure at vapour fraction 0.8
    ASSERT_GE(fluid.flashRequests.size(), 7u);
    EXPECT_EQ(fluid.flashRequests[5].vapourFraction, 0.8);
    EXPECT_DOUBLE_EQ(fluid.flashRequests[6].pressure_kPa, (500.0 + 180.0) / 2.0);
}

TEST_F(ModifiedAstmTest, FailedClosingFlashReturnsTheLastBisectionPressure) {
    // The closing flash repeats the last pass's pressure; only that one fails.
    auto last = std::make_shared<double>(EMPTY_VALUE);
    ScriptedFluid& fluid = MakeMixture([last](FluidSnapshot& r) -> HRESULT {
        const bool repeated = !IsVapourFractionRequest(r) && r.pressure == *last;
        *last = r.pressure;
        return repeated ? E_FAIL : Expanding()(r);
    });
    const double p = RunBalanced(fluid);
    const std::vector<double> tried = PressuresTried(fluid);
    ASSERT_GE(tried.size(), 2u);
    EXPECT_EQ(tried[tried.size() - 1], tried[tried.size() - 2]);
    EXPECT_EQ(p, tried.back());
}

TEST_F(ModifiedAstmTest, MissingQuantitiesGiveEmptyValueWithoutAMessage) {
    struct Case {
        const char* name;
        ScriptedFluid::FlashHandler handler;
        size_t flashes;  // 0: not checked
    };
    const auto failVapourFractionRequest = [](int which) {
        auto seen = std::make_shared<int>(0);
        return [which, seen](FluidSnapshot& r) -> HRESULT {
            if (IsVapourFractionRequest(r) && (*seen)++ == which) return E_FAIL;
            return Expanding()(r);
        };
    };
    const Case cases[] = {
        {"bracket no wider than 0.1 kPa",
         [](FluidSnapshot& r) {
             BoilingFluid narrow = Expanding();
             narrow.dew_kPa = narrow.bubble_kPa - 0.1;
             return narrow(r);
         },
         5},
        {"the 60 °F density flash fails", failVapourFractionRequest(1), 2},
        {"the bubble-point flash fails", failVapourFractionRequest(3), 4},
        {"both low-pressure flashes fail",
         [](FluidSnapshot& r) -> HRESULT {
             if (IsVapourFractionRequest(r) && r.phaseFraction[VAP] > 0.0) return E_FAIL;
             return Expanding()(r);
         },
         6},
        {"no light liquid at the closing flash",
         [](FluidSnapshot& r) {
             BoilingFluid noLiquid = Expanding();
             noLiquid.lightLiquidAtPressureFlashes = false;
             return noLiquid(r);
         },
         0},
        {"no phase composition before the first closing flash",
         [](FluidSnapshot& r) {
             BoilingFluid bare = Expanding();
             bare.phaseCompositions = false;
             return bare(r);
         },
         0},
        {"a density of no volume",
         [](FluidSnapshot& r) {
             const HRESULT hr = Expanding()(r);
             r.molarVolume[LIQ1] = 0.0;
             return hr;
         },
         1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedFluid& fluid = MakeMixture(c.handler);
        EXPECT_EQ(RunBalanced(fluid), EMPTY_VALUE);
        EXPECT_TRUE(fluid.messages.empty());
        if (c.flashes != 0) {
            EXPECT_EQ(fluid.flashRequests.size(), c.flashes);
        }
    }
}

TEST_F(ModifiedAstmTest, AbsentPhaseOrRefusedServicesGiveEmptyValueWithoutAFlash) {
    ScriptedFluid& absent = MakeMixture(Expanding());
    absent.Present(LIQ1, false);
    EXPECT_EQ(modified_astm::CalculatePhase(calc, LIQ1, 37.78, 0.0), EMPTY_VALUE);
    ScriptedFluid& refusing = MakeMixture(Expanding());
    refusing.RefuseServices();
    EXPECT_EQ(RunBalanced(refusing), EMPTY_VALUE);
    EXPECT_TRUE(absent.flashRequests.empty());
    EXPECT_TRUE(refusing.flashRequests.empty());
}

// The model fluid's pressure at a vapour fraction at 100 °F, flashed here.
double ModelPressureAtVapourFraction(const model::ModelStream& stream, double vapourFraction) {
    const std::vector<const model::ModelComponent*> components = model::StreamComponents(stream);
    const std::vector<double> feed = model::StreamFeed(stream);
    std::vector<std::vector<double>> arrays(PHASE_COUNT, feed);
    FluidSnapshot r{};
    r.componentCount = static_cast<int32_t>(feed.size());
    for (int p = 0; p < PHASE_COUNT; ++p) r.composition[p] = arrays[p].data();
    r.temperature = k100F_C;
    r.pressure = EMPTY_VALUE;
    r.phaseFraction[VAP] = vapourFraction;
    return model::ModelFlash(components, r) ? r.pressure : EMPTY_VALUE;
}

TEST_F(ModifiedAstmTest, ModelFluidGivesAPressureBetweenItsBubbleAndLowPressurePoints) {
    const model::ModelStream stream = model::LightNaphtha();
    fluids.push_back(model::MakeModelFluid(stream));
    ASSERT_NE(fluids.back(), nullptr);
    ScriptedFluid& fluid = *fluids.back();
    testsupport::InstallFluid(*calc, fluid);
    const double p = RunBalanced(fluid);
    EXPECT_TRUE(fluid.messages.empty());
    EXPECT_GT(p, ModelPressureAtVapourFraction(stream, 0.95));
    EXPECT_LT(p, ModelPressureAtVapourFraction(stream, 0.0));
    ASSERT_FALSE(PressuresTried(fluid).empty());
    EXPECT_EQ(p, PressuresTried(fluid).back());  // the closing flash of the last cycle
}

}  // namespace
}  // namespace volacor
