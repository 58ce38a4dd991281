// CPropertyCalculator::SaturateStream: the trial amounts it asks the host to flash, what
// it returns, and what it frees and says when it fails.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "comrt/memory.h"
#include "core/property_calculator.h"
#include "testsupport/fluid_installation.h"
#include "testsupport/packed.h"

namespace volacor {
namespace {

using testsupport::CalculatorTest;
using testsupport::ScriptedFluid;
using testsupport::Value;

constexpr const char* Method = "ASTM D4953-91";

// A flash that answers with vapour fraction vf.
ScriptedFluid::FlashHandler VapourFraction(double vf) {
    return [vf](FluidSnapshot& r) {
        r.phaseFraction[0] = vf;
        return S_OK;
    };
}

class SaturateStreamTest : public CalculatorTest {
protected:
    void SetUp() override {
        CalculatorTest::SetUp();
        fluid = &MakeFluid({testsupport::NPentane, testsupport::Nitrogen});
    }

    // Base: pure pentane; added: pure nitrogen. A request's feed [100, t] / (100 + t)
    // gives back the trial amount t.
    std::vector<double> baseFeed{1.0, 0.0};
    std::vector<double> addedFeed{0.0, 1.0};
    ScriptedFluid* fluid = nullptr;
    double addedPerBase = -1.0;  // poisoned: untouched on failure
    int32_t failed = 0;

    FluidSnapshot Record(std::vector<double>& feed) {
        FluidSnapshot r{};
        r.temperature = 15.0;
        r.pressure = 300.0;
        r.componentCount = 2;
        r.composition[FEED] = feed.data();
        return r;
    }
    // Saturates and frees what comes back.
    FluidSnapshot Saturate(double target, int32_t phase = FEED) {
        FluidSnapshot result = calc->SaturateStream(Record(baseFeed), Record(addedFeed), target, addedPerBase,
                                                    Method, phase, failed);
        kept = result;
        for (int p = 0; p < PHASE_COUNT; ++p) CoTaskMemFree(result.composition[p]), result.composition[p] = nullptr;
        return kept;
    }
    std::vector<double> TrialAmounts() const {
        std::vector<double> t;
        for (const auto& r : fluid->flashRequests) t.push_back(100.0 * r.feed[1] / r.feed[0]);
        return t;
    }
    FluidSnapshot kept{};
};

TEST_F(SaturateStreamTest, AFirstFlashWithinToleranceIsTheAnswer) {
    fluid->OnFlash(VapourFraction(0.00015 + 0.9e-5));
    const FluidSnapshot result = Saturate(0.00015);
    EXPECT_EQ(failed, 0);
    EXPECT_EQ(addedPerBase, 0.01);
    ASSERT_EQ(fluid->flashRequests.size(), 1u);
    const auto& request = fluid->flashRequests[0];
    EXPECT_EQ(request.temperature_C, 0.5555555555555556);
    EXPECT_EQ(request.pressure_kPa, 101.325);
    EXPECT_DOUBLE_EQ(request.feed[0], 100.0 / 101.0);
    EXPECT_DOUBLE_EQ(request.feed[1], 1.0 / 101.0);
    EXPECT_EQ(result.componentCount, 2);
    EXPECT_NE(Value(result.composition[FEED]), nullptr) << "the caller receives the flashed mixture";
    EXPECT_TRUE(fluid->messages.empty());
}

TEST_F(SaturateStreamTest, APlateauAtZeroOrOneStepsOnByATenthFromTheLargerAmount) {
    for (double plateau : {0.0, 1.0}) {
        ScriptedFluid& f = MakeFluid({testsupport::NPentane, testsupport::Nitrogen});
        fluid = &f;
        for (int i = 0; i < 4; ++i) f.QueueFlash(VapourFraction(plateau));
        f.OnFlash(VapourFraction(0.5));
        Saturate(0.5);
        const std::vector<double> t = TrialAmounts();
        ASSERT_EQ(t.size(), 5u) << plateau;
        const double expected[] = {1.0, 1.1, 1.2, 1.3, 1.4};
        for (size_t i = 0; i < t.size(); ++i) EXPECT_NEAR(t[i], expected[i], 1e-9) << plateau << " trial " << i;
        EXPECT_EQ(failed, 0);
        EXPECT_NEAR(addedPerBase, 0.014, 1e-12);
    }
}

TEST_F(SaturateStreamTest, AnUnchangedVapourFractionInTheFirstStepTriesAnAmountOfZero) {
    fluid->QueueFlash(VapourFraction(0.4)).QueueFlash(VapourFraction(0.4)).OnFlash(VapourFraction(0.5));
    Saturate(0.5);
    const std::vector<double> t = TrialAmounts();
    ASSERT_EQ(t.size(), 3u);
    EXPECT_EQ(t[2], 0.0);
    EXPECT_EQ(addedPerBase, 0.0);
}

TEST_F(SaturateStreamTest, SecantStepsRunThroughTheBestAmountAndTheLatestTrial) {
    // Amount 1 gives 0.2 (best), 1.1 gives 0.9 (worse); the third trial lies on the line
    // through both, the fourth on the line through amount 1 and the third trial.
    fluid->QueueFlash(VapourFraction(0.2)).QueueFlash(VapourFraction(0.9)).QueueFlash(VapourFraction(0.4));
    fluid->OnFlash(VapourFraction(0.5));
    Saturate(0.5);
    const std::vector<double> t = TrialAmounts();
    ASSERT_EQ(t.size(), 4u);
    const double third = 1.1 - 0.1 * 0.4 / 0.7;
    EXPECT_NEAR(t[2], third, 1e-9);
    EXPECT_NEAR(t[3], third - (third - 1.0) * (0.4 - 0.5) / (0.4 - 0.2), 1e-9);
}

TEST_F(SaturateStreamTest, ANegativeStepTriesTheSmallestAmountAndASecondOneGivesUp) {
    // 0.19 after 0.2 sends the secant below zero: 1e-4 is tried; there 0.3 sends it below
    // zero again.
    fluid->QueueFlash(VapourFraction(0.2)).QueueFlash(VapourFraction(0.19)).OnFlash(VapourFraction(0.3));
    const FluidSnapshot result = Saturate(0.5);
    const std::vector<double> t = TrialAmounts();
    ASSERT_EQ(t.size(), 3u);
    EXPECT_NEAR(t[2], 1e-4, 1e-12);
    EXPECT_EQ(failed, 1);
    EXPECT_EQ(addedPerBase, -1.0);
    EXPECT_EQ(Value(result.composition[FEED]), nullptr) << "a failed saturation hands back no arrays";
    EXPECT_EQ(fluid->messages, std::vector<std::string>{"Phase: FEED - ASTM D4953-91 Could not saturate stream."});
}

TEST_F(SaturateStreamTest, AnOverflowingStepIsTreatedLikeANegativeOne) {
    // From 0 to the smallest subnormal fraction the secant is infinitely steep.
    fluid->QueueFlash(VapourFraction(0.0)).QueueFlash(VapourFraction(5e-324)).OnFlash(VapourFraction(0.5));
    Saturate(0.5);
    const std::vector<double> t = TrialAmounts();
    ASSERT_EQ(t.size(), 3u);
    EXPECT_NEAR(t[2], 1e-4, 1e-12);
    EXPECT_EQ(failed, 0);
    EXPECT_NEAR(addedPerBase, 1e-6, 1e-15);
}

TEST_F(SaturateStreamTest, FiftyTrialsAreTheLimitEvenWhenTheLastOneMeetsTheTarget) {
    const char* notConverged = "Phase: FEED - ASTM D4953-91 Not converged, when saturating, at 50 iterations.";
    for (bool lastMeetsTarget : {false, true}) {
        ScriptedFluid& f = MakeFluid({testsupport::NPentane, testsupport::Nitrogen});
        fluid = &f;
        failed = 0;
        addedPerBase = -1.0;
        for (int i = 0; i < 50; ++i) f.QueueFlash(VapourFraction(0.3));
        f.OnFlash(VapourFraction(lastMeetsTarget ? 0.5 : 0.3));
        const FluidSnapshot result = Saturate(0.5);
        EXPECT_EQ(f.flashRequests.size(), 51u);
        EXPECT_EQ(failed, 1);
        EXPECT_EQ(addedPerBase, -1.0);
        EXPECT_EQ(Value(result.composition[FEED]), nullptr);
        EXPECT_EQ(f.messages, std::vector<std::string>{notConverged});
    }
}

TEST_F(SaturateStreamTest, AFailedFlashEndsTheSaturation) {
    const char* message = "Phase: FEED - ASTM D4953-91 Flash failed when saturating at 33\xB0" "F and 1 atm.";
    for (int failing : {1, 2, 3}) {
        ScriptedFluid& f = MakeFluid({testsupport::NPentane, testsupport::Nitrogen});
        fluid = &f;
        failed = 0;
        for (int i = 1; i < failing; ++i) f.QueueFlash(VapourFraction(0.1 * i));
        f.OnFlash(ScriptedFluid::Fail());
        const FluidSnapshot result = Saturate(0.5);
        EXPECT_EQ(f.flashRequests.size(), static_cast<size_t>(failing));
        EXPECT_EQ(failed, 1);
        EXPECT_EQ(addedPerBase, -1.0);
        EXPECT_EQ(Value(result.composition[FEED]), nullptr);
        EXPECT_EQ(f.messages, std::vector<std::string>{message});
    }
}

TEST_F(SaturateStreamTest, AMixtureSummingToZeroIsFlashedAsItIs) {
    baseFeed = {0.0, 0.0};
    addedFeed = {0.0, 0.0};
    fluid->OnFlash(VapourFraction(0.5));
    Saturate(0.5);
    ASSERT_EQ(fluid->flashRequests.size(), 1u);
    EXPECT_EQ(fluid->flashRequests[0].feed, (std::vector<double>{0.0, 0.0}));
}

TEST_F(SaturateStreamTest, AnAddedStreamWithoutOrWithTooFewComponentsIsNotMixed) {
    fluid->OnFlash(VapourFraction(0.5));
    FluidSnapshot added = Record(addedFeed);
    for (int shortBy : {0, 1}) {
        FluidSnapshot broken = added;
        if (shortBy == 0) broken.composition[FEED] = nullptr;
        broken.componentCount -= shortBy;
        failed = 0;
        FluidSnapshot result = calc->SaturateStream(Record(baseFeed), broken, 0.5, addedPerBase, Method, FEED, failed);
        EXPECT_EQ(failed, 1);
        EXPECT_EQ(addedPerBase, -1.0);
        EXPECT_EQ(Value(result.composition[FEED]), nullptr);
    }
    EXPECT_TRUE(fluid->flashRequests.empty());
    EXPECT_TRUE(fluid->messages.empty());
}

TEST_F(SaturateStreamTest, WithoutServicesOrWithAnUnknownPhaseNothingIsFlashed) {
    ScriptedFluid* refusing = fluid;
    refusing->OnFlash(VapourFraction(0.5));
    refusing->RefuseServices();
    FluidSnapshot result = Saturate(0.5);
    EXPECT_EQ(failed, 1);
    EXPECT_EQ(Value(result.composition[FEED]), nullptr);

    ScriptedFluid& f = MakeFluid({testsupport::NPentane, testsupport::Nitrogen});
    f.OnFlash(VapourFraction(0.5));
    fluid = &f;
    failed = 0;
    result = Saturate(0.5, 5);
    EXPECT_EQ(failed, 1);
    EXPECT_EQ(addedPerBase, -1.0);
    for (const ScriptedFluid* any : {refusing, &f}) {
        EXPECT_TRUE(any->flashRequests.empty());
        EXPECT_TRUE(any->messages.empty());
    }
}

}  // namespace
}  // namespace volacor
