// PhaseVolume and IterateToRVP.
#include <gtest/gtest.h>

#include <vector>

#include "core/flash_procedures.h"

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

}  // namespace
}  // namespace volacor
