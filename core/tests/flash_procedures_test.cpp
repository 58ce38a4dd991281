// PhaseVolume and IterateToRVP.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "core/flash_procedures.h"
#include "testsupport/fluid_installation.h"

namespace volacor {
namespace {

// A flashed record: phase p has fraction[p], molar volume volume[p], present[p].
FluidSnapshot Flashed(std::vector<double> fraction, std::vector<double> volume, std::vector<int32_t> present) {
    FluidSnapshot s{};
    for (int p = 0; p < 4; ++p) {
        s.phaseFraction[p] = fraction[p];
        s.molarVolume[p] = volume[p];
        s.phasePresent[p] = present[p];
    }
    return s;
}

TEST(PhaseVolume, ZeroAndEmptyAmountsPassThroughEvenWhenNoVolumeCanBeFormed) {
    const FluidSnapshot nothing = Flashed({0, 0, 0, 0}, {0, 0, 0, 0}, {0, 0, 0, 0});
    for (int32_t phase : {VAP, LIQ1, FEED}) {
        EXPECT_EQ(PhaseVolume(nullptr, nothing, 0.0, phase), 0.0);
        EXPECT_EQ(PhaseVolume(nullptr, nothing, EMPTY_VALUE, phase), EMPTY_VALUE);
    }
}

TEST(PhaseVolume, OnePhaseIsItsShareOfTheAmountTimesItsMolarVolume) {
    const FluidSnapshot s = Flashed({0.25, 0.75, 0, 0}, {24.0, 0.125, 0.018, 0}, {1, 1, 0, 0});
    EXPECT_DOUBLE_EQ(PhaseVolume(nullptr, s, 4.0, VAP), 0.25 * 4.0 * 24.0);
    EXPECT_DOUBLE_EQ(PhaseVolume(nullptr, s, 4.0, LIQ1), 0.75 * 4.0 * 0.125);
    EXPECT_DOUBLE_EQ(PhaseVolume(nullptr, s, -2.0, LIQ1), 0.75 * -2.0 * 0.125);
}

TEST(PhaseVolume, OnePhaseThatCannotHoldVolumeIsEmpty) {
    const struct {
        const char* why;
        double fraction, volume;
        int32_t present;
    } cases[] = {
        {"fraction below 1e-6", 0.99e-6, 1.0, 1},
        {"negative fraction", EMPTY_VALUE, 1.0, 1},
        {"zero molar volume", 0.5, 0.0, 1},
        {"negative molar volume", 0.5, -1.0, 1},
        {"absent", 0.5, 1.0, 0},
        {"inverse molar volume at 1e-10", 0.5, 1e10, 1},
    };
    for (const auto& c : cases) {
        const FluidSnapshot s = Flashed({0, 0, c.fraction, 0}, {0, 0, c.volume, 0}, {0, 0, c.present, 0});
        EXPECT_EQ(PhaseVolume(nullptr, s, 1.0, LIQ2), EMPTY_VALUE) << c.why;
    }
    // At the threshold itself a single phase still counts.
    const FluidSnapshot edge = Flashed({0, 0, 1e-6, 0}, {0, 0, 2.0, 0}, {0, 0, 1, 0});
    EXPECT_DOUBLE_EQ(PhaseVolume(nullptr, edge, 1.0, LIQ2), 2e-6);
}

TEST(PhaseVolume, FeedSumsThePhasesThatHoldVolume) {
    // The solid is absent and the heavy liquid too thin to count; both are skipped.
    const FluidSnapshot s = Flashed({0.2, 0.7, 0.5e-6, 0.1}, {25.0, 0.13, 0.018, 0.05}, {1, 1, 1, 0});
    EXPECT_DOUBLE_EQ(PhaseVolume(nullptr, s, 3.0, FEED), 3.0 * (0.2 * 25.0 + 0.7 * 0.13));
}

TEST(PhaseVolume, FeedIsEmptyWhenNoPhaseCountsOrOneSitsExactlyOnTheThreshold) {
    EXPECT_EQ(PhaseVolume(nullptr, Flashed({0, 0, 0, 0}, {0, 0, 0, 0}, {0, 0, 0, 0}), 1.0, FEED), EMPTY_VALUE);
    EXPECT_EQ(PhaseVolume(nullptr, Flashed({1, 0, 0, 0}, {1e11, 0, 0, 0}, {1, 0, 0, 0}), 1.0, FEED), EMPTY_VALUE);
    EXPECT_EQ(PhaseVolume(nullptr, Flashed({0.999999, 1e-6, 0, 0}, {25, 0.1, 0, 0}, {1, 1, 0, 0}), 1.0, FEED),
              EMPTY_VALUE);
}

TEST(PhaseVolume, AnIndexOutsideThePhasesIsEmpty) {
    const FluidSnapshot s = Flashed({1, 0, 0, 0}, {25, 0, 0, 0}, {1, 0, 0, 0});
    EXPECT_EQ(PhaseVolume(nullptr, s, 1.0, 5), EMPTY_VALUE);
    EXPECT_EQ(PhaseVolume(nullptr, s, 1.0, -1), EMPTY_VALUE);
}


// --- IterateToRVP ---------------------------------------------------------------------

using testsupport::CalculatorTest;
using testsupport::ScriptedFluid;

// One present vapour phase whose molar volume a test chooses per flash.
ScriptedFluid::FlashHandler Volume(double molarVolume) {
    return [molarVolume](FluidSnapshot& r) {
        r.phaseFraction[0] = 1.0;
        r.phasePresent[0] = 1;
        r.molarVolume[0] = molarVolume;
        for (int p = 1; p < 4; ++p) r.phaseFraction[p] = 0.0, r.phasePresent[p] = 0;
        return S_OK;
    };
}

// A gas whose amount fills 100 units at fill_kPa: molar volume proportional to 1/P.
ScriptedFluid::FlashHandler GasFilling(double amount, double fill_kPa) {
    return [=](FluidSnapshot& r) { return Volume(100.0 * fill_kPa / (amount * r.pressure))(r); };
}

class IterateToRvpTest : public CalculatorTest {
protected:
    void SetUp() override {
        CalculatorTest::SetUp();
        fluid = &MakeFluid({testsupport::Nitrogen, testsupport::NPentane});
    }

    ScriptedFluid* fluid = nullptr;
    std::vector<double> overall{0.5, 0.5};
    FluidSnapshot mixture = Mixture();
    double pressureOut = -1.0;  // poisoned: untouched on failure

    FluidSnapshot Mixture() {
        FluidSnapshot m{};
        m.componentCount = 2;
        m.composition[FEED] = overall.data();
        return m;
    }
    int32_t Iterate(double start_kPa, double amount = 2.0, int32_t phase = FEED) {
        return IterateToRVP(calc, mixture, start_kPa, amount, 37.78, "ASTM D4953-91", phase, pressureOut);
    }
    std::vector<double> TrialPressures() const {
        std::vector<double> p;
        for (const auto& r : fluid->flashRequests) p.push_back(r.pressure_kPa);
        return p;
    }
};

TEST_F(IterateToRvpTest, FindsThePressureAtWhichTheMixtureFillsTheChamber) {
    fluid->OnFlash(GasFilling(2.0, 150.0));
    ASSERT_EQ(Iterate(100.0), 1);
    EXPECT_NEAR(pressureOut, 150.0, 150.0 * 1e-6);
    EXPECT_TRUE(fluid->messages.empty());
    ASSERT_GE(fluid->flashRequests.size(), 3u);
    EXPECT_EQ(fluid->flashRequests[0].pressure_kPa, 100.0);
    EXPECT_DOUBLE_EQ(fluid->flashRequests[1].pressure_kPa, 110.0);
    for (const auto& r : fluid->flashRequests) EXPECT_EQ(r.temperature_C, 37.78);
}

TEST_F(IterateToRvpTest, SecantRunsThroughTheBestPointAndTheLatestTrial) {
    // 100 kPa fills 150 units (the best so far); 110 kPa fills 300; the third trial lies
    // on the line through both; the fourth on the line through (100, 150) and the third,
    // not through the last two trials.
    fluid->QueueFlash(Volume(75.0)).QueueFlash(Volume(150.0)).QueueFlash(Volume(60.0)).OnFlash(Volume(50.0));
    Iterate(100.0);
    const double third = 110.0 - 10.0 * 200.0 / 150.0;
    const double fourth = third - (third - 100.0) * 20.0 / (120.0 - 150.0);
    const std::vector<double> p = TrialPressures();
    ASSERT_GE(p.size(), 4u);
    EXPECT_DOUBLE_EQ(p[2], third);
    EXPECT_DOUBLE_EQ(p[3], fourth);
}

TEST_F(IterateToRvpTest, ANonPositiveSecantStepFallsBackToAQuarterOfTheBestPressure) {
    // 100 kPa fills 120, 110 kPa fills 121: the secant lands at -100 kPa.
    fluid->QueueFlash(Volume(60.0)).QueueFlash(Volume(60.5)).OnFlash(Volume(50.0));
    Iterate(100.0);
    const std::vector<double> p = TrialPressures();
    ASSERT_GE(p.size(), 3u);
    EXPECT_EQ(p[2], 25.0);
}

TEST_F(IterateToRvpTest, AFailedFlashEndsTheSearchWithItsConditions) {
    const struct {
        int failingFlash;
        const char* message;
    } cases[] = {
        {1, "Phase: FEED - ASTM D4953-91 Flash to determine RVP at 100.004\xB0" "F and 1 atm has failed."},
        {2, "Phase: FEED - ASTM D4953-91 Flash to determine RVP at 100.004\xB0" "F and 1.1 atm has failed."},
    };
    for (const auto& c : cases) {
        ScriptedFluid& f = MakeFluid({testsupport::Nitrogen, testsupport::NPentane});
        for (int i = 1; i < c.failingFlash; ++i) f.QueueFlash(Volume(10.0));
        // A failing host that leaves other conditions in the record: the message still
        // names the ones asked for.
        f.OnFlash([](FluidSnapshot& r) {
            r.temperature = 0.0;
            r.pressure = EMPTY_VALUE;
            return E_FAIL;
        });
        EXPECT_EQ(IterateToRVP(calc, mixture, 101.325, 2.0, 37.78, "ASTM D4953-91", FEED, pressureOut), 0);
        EXPECT_EQ(pressureOut, -1.0);
        EXPECT_EQ(f.flashRequests.size(), static_cast<size_t>(c.failingFlash));
        EXPECT_EQ(f.messages, std::vector<std::string>{c.message});
    }
}

// Where the mixture fills no volume there is no pressure to report: the trial counts as a
// failed flash, so neither the start pressure nor 1.1 times it comes back as a result.
TEST_F(IterateToRvpTest, AVolumeThatCannotBeFormedFailsLikeAFlash) {
    const struct {
        int trial;          // 1: the start pressure
        double molarVolume;  // 0: no phase counts
        int32_t phase;
        const char* message;
    } cases[] = {
        {1, 0.0, FEED, "Phase: FEED - M Flash to determine RVP at 100.004\xB0" "F and 1 atm has failed."},
        {2, 0.0, FEED, "Phase: FEED - M Flash to determine RVP at 100.004\xB0" "F and 1.1 atm has failed."},
        {1, 10.0, 7, "Phase:  - M Flash to determine RVP at 100.004\xB0" "F and 1 atm has failed."},
    };
    for (const auto& c : cases) {
        ScriptedFluid& f = MakeFluid({testsupport::Nitrogen, testsupport::NPentane});
        for (int i = 1; i < c.trial; ++i) f.QueueFlash(Volume(10.0));
        f.OnFlash(Volume(c.molarVolume));
        EXPECT_EQ(IterateToRVP(calc, mixture, 101.325, 2.0, 37.78, "M", c.phase, pressureOut), 0);
        EXPECT_EQ(pressureOut, -1.0);
        EXPECT_EQ(f.flashRequests.size(), static_cast<size_t>(c.trial));
        EXPECT_EQ(f.messages, std::vector<std::string>{c.message});
    }
}

TEST_F(IterateToRvpTest, FiftyFlashesAreTheLimitEvenWhenTheLastOneMeetsTheTolerance) {
    const char* notConverged = "Phase: FEED - ASTM D4953-91 Not converged, iterating to RVP, at 50 iterations.";
    for (bool lastMeetsTolerance : {false, true}) {
        ScriptedFluid& f = MakeFluid({testsupport::Nitrogen, testsupport::NPentane});
        if (lastMeetsTolerance)
            for (int i = 1; i < 50; ++i) f.QueueFlash(Volume(25.0));
        f.OnFlash(Volume(lastMeetsTolerance ? 50.0 : 25.0));  // 2 moles: 100 units, or 50
        EXPECT_EQ(Iterate(100.0), 0);
        EXPECT_EQ(pressureOut, -1.0);
        EXPECT_EQ(f.flashRequests.size(), 50u);
        EXPECT_EQ(f.messages, std::vector<std::string>{notConverged});
    }
}

// Volumes that barely change make the secant steep: each trial lies about 1e12 times
// further out, so without a guard the pressure overflows within the iteration limit and
// the host is asked to flash at an infinite, then undefined, pressure. The search must
// end NotConverged with every trial, and the mixture's last one, finite and positive.
TEST_F(IterateToRvpTest, ASearchThatRunsOutOfIterationsKeepsFiniteTrials) {
    int flash = 0;
    fluid->OnFlash([&flash](FluidSnapshot& r) {
        // 2 moles: 101 units at the start, each later trial 1e-12 units closer to 100.
        return Volume(50.5 - 0.5e-12 * flash++)(r);
    });
    EXPECT_EQ(Iterate(100.0), 0);
    EXPECT_EQ(pressureOut, -1.0);
    const std::vector<double> p = TrialPressures();
    ASSERT_EQ(p.size(), 50u);
    for (size_t i = 0; i < p.size(); ++i)
        EXPECT_TRUE(std::isfinite(p[i]) && p[i] > 0.0) << "trial " << i + 1 << " at " << p[i] << " kPa";
    EXPECT_TRUE(std::isfinite(mixture.pressure) && mixture.pressure > 0.0);
    const std::string notConverged = "Phase: FEED - ASTM D4953-91 Not converged, iterating to RVP, at 50 iterations.";
    EXPECT_EQ(fluid->messages, std::vector<std::string>{notConverged});
}

TEST_F(IterateToRvpTest, AStartThatAlreadyFillsTheChamberIsTheResultAfterOneFlash) {
    fluid->OnFlash(Volume(50.0));
    ASSERT_EQ(Iterate(123.0), 1);
    EXPECT_EQ(pressureOut, 123.0);
    EXPECT_EQ(fluid->flashRequests.size(), 1u);
}

TEST_F(IterateToRvpTest, WithoutServicesNothingIsFlashedOrSaid) {
    fluid->RefuseServices().OnFlash(Volume(50.0));
    EXPECT_EQ(Iterate(100.0), 0);
    EXPECT_EQ(pressureOut, -1.0);
    EXPECT_TRUE(fluid->flashRequests.empty());
    EXPECT_TRUE(fluid->messages.empty());
}

}  // namespace
}  // namespace volacor
