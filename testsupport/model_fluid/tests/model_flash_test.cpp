// The model fluid must behave like a fluid, or the methods' searches prove nothing:
// identities of the flash over a table of states, and vapour pressures against published
// boiling points.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "host/phase.h"
#include "testsupport/model_fluid/model_flash.h"
#include "testsupport/model_fluid/model_fluid.h"
#include "testsupport/packed.h"

namespace volacor::model {
namespace {

using testsupport::Value;

// Normal boiling points, K: /work/shared/data/components.csv (tb_K). Propane's constants
// hold from 277.6 K up, above its boiling point, so it is not among them.
TEST(ModelComponents, VapourPressureIsOneAtmosphereAtTheNormalBoilingPoint) {
    const struct {
        const char* name;
        double tb_K;
    } cases[] = {{"isobutane", 261.40}, {"n-butane", 272.70}, {"n-pentane", 309.20},
                 {"n-hexane", 341.90}, {"n-heptane", 371.60}, {"n-octane", 398.80}, {"water", 373.15}};
    for (const auto& c : cases) {
        const ModelComponent* component = FindComponent(c.name);
        ASSERT_NE(component, nullptr) << c.name;
        EXPECT_NEAR(VapourPressure_kPa(*component, c.tb_K) / 101.325, 1.0, 0.03) << c.name;
    }
}

// A record with its own arrays, freed by the test.
struct Record {
    explicit Record(std::span<const double> feed) : arrays(5, std::vector<double>(feed.size(), 0.0)) {
        arrays[FEED].assign(feed.begin(), feed.end());
        record.componentCount = static_cast<int32_t>(feed.size());
        for (int p = 0; p < PHASE_COUNT; ++p) record.composition[p] = arrays[p].data();
    }
    std::vector<std::vector<double>> arrays;
    FluidSnapshot record{};
};

struct State {
    ModelStream stream;
    double temperature_C;
    double pressure_kPa;
};

ModelStream WithHydrogen() {
    ModelStream s = LightNaphtha();
    s.feed.push_back({"hydrogen", 0.01});
    return s;
}

std::vector<State> States() {
    return {{WithHydrogen(), 37.78, 101.325},
            {LightNaphtha(), 0.5555555555555556, 101.325}, {LightNaphtha(), 37.78, 30.0},
            {LightNaphtha(), 37.78, 60.0},                 {CondensateWithWater(0.05), 0.5555555555555556, 101.325},
            {CondensateWithWater(0.05), 37.78, 10.0},      {CondensateWithWater(0.05), 37.78, 2.0},
            {CondensateWithWater(0.001), 37.78, 3.0},      {{{{"nitrogen", 0.785}, {"oxygen", 0.215}, {"water", 0.01}}}, 0.56, 101.325}};
}

TEST(ModelFlash, ConservesEveryComponentAcrossThePhases) {
    for (const State& s : States()) {
        const auto components = StreamComponents(s.stream);
        const auto feed = StreamFeed(s.stream);
        Record r(feed);
        r.record.temperature = s.temperature_C;
        r.record.pressure = s.pressure_kPa;
        ASSERT_TRUE(ModelFlash(components, r.record));
        double fractions = 0.0;
        for (int p = 0; p < 4; ++p) fractions += r.record.phaseFraction[p];
        EXPECT_NEAR(fractions, 1.0, 1e-12);
        for (size_t i = 0; i < feed.size(); ++i) {
            double held = 0.0;
            for (int p = 0; p < 4; ++p)
                if (r.record.phasePresent[p]) held += r.record.phaseFraction[p] * r.arrays[p][i];
            EXPECT_NEAR(held, feed[i], 1e-9) << components[i]->name << " at " << s.pressure_kPa << " kPa";
        }
        EXPECT_EQ(r.arrays[FEED], feed) << "the feed is read, never changed";
    }
}

TEST(ModelFlash, WaterFormsItsOwnLiquidAndSaturatesTheVapour) {
    const auto components = StreamComponents(CondensateWithWater(0.05));
    const auto feed = StreamFeed(CondensateWithWater(0.05));
    Record r(feed);
    r.record.temperature = 37.78;
    r.record.pressure = 40.0;
    ASSERT_TRUE(ModelFlash(components, r.record));
    ASSERT_TRUE(r.record.phasePresent[VAP] && r.record.phasePresent[LIQ1] && r.record.phasePresent[LIQ2]);
    EXPECT_NEAR(r.arrays[VAP][2], VapourPressure_kPa(*FindComponent("water"), 37.78 + KelvinOffset) / 40.0, 1e-12);
    EXPECT_EQ(r.arrays[LIQ1][2], 0.0);
    EXPECT_DOUBLE_EQ(Value(r.record.molarVolume[LIQ2]), FindComponent("water")->liquidMolarVolume_m3_per_kmol);
    EXPECT_DOUBLE_EQ(Value(r.record.molarVolume[VAP]), GasConstant_kPa_m3_per_kmol_K * (37.78 + KelvinOffset) / 40.0);
}

TEST(ModelFlash, VapourFractionRequestsLandOnTheTargetAndAgreeWithPressureFlashes) {
    const auto components = StreamComponents(LightNaphtha());
    const auto feed = StreamFeed(LightNaphtha());
    for (double target : {0.0, 0.8, 0.95, 0.99}) {
        Record r(feed);
        r.record.temperature = 37.78;
        r.record.pressure = EMPTY_VALUE;
        r.record.phaseFraction[0] = target;
        ASSERT_TRUE(ModelFlash(components, r.record)) << target;
        EXPECT_NEAR(Value(r.record.phaseFraction[0]), target, 1e-9);
        if (target == 0.0) {
            // Raoult: the bubble pressure is the fraction-weighted sum of vapour pressures.
            double raoult = 0.0;
            for (size_t i = 0; i < feed.size(); ++i)
                raoult += feed[i] * VapourPressure_kPa(*components[i], 37.78 + KelvinOffset);
            EXPECT_NEAR(Value(r.record.pressure), raoult, 1e-9 * raoult);
            Record below(feed);
            below.record.temperature = 37.78;
            below.record.pressure = r.record.pressure * (1.0 - 1e-6);
            ASSERT_TRUE(ModelFlash(components, below.record));
            EXPECT_GT(Value(below.record.phaseFraction[0]), 0.0);
        }
    }
}

TEST(ModelFlash, PureComponentBubblePointIsItsVapourPressure) {
    for (const char* name : {"n-pentane", "water"}) {
        const std::vector<const ModelComponent*> components{FindComponent(name)};
        const std::vector<double> feed{1.0};
        Record r(feed);
        r.record.temperature = 37.78;
        r.record.pressure = EMPTY_VALUE;
        r.record.phaseFraction[0] = 0.0;
        ASSERT_TRUE(ModelFlash(components, r.record));
        const double expected = VapourPressure_kPa(*components[0], 37.78 + KelvinOffset);
        EXPECT_NEAR(Value(r.record.pressure), expected, 1e-9 * expected) << name;
    }
}

TEST(ModelFlash, RefusesWhatCannotBeFlashed) {
    const auto components = StreamComponents(LightNaphtha());
    std::vector<double> feed = StreamFeed(LightNaphtha());
    const auto refused = [&](auto setUp) {
        Record r(feed);
        r.record.temperature = 37.78;
        r.record.pressure = 100.0;
        setUp(r);
        return !ModelFlash(components, r.record);
    };
    EXPECT_TRUE(refused([](Record& r) { r.record.pressure = 0.0; }));
    EXPECT_TRUE(refused([](Record& r) { r.record.pressure = -32766.0; }));
    EXPECT_TRUE(refused([](Record& r) { r.record.temperature = -300.0; }));
    EXPECT_TRUE(refused([](Record& r) { r.arrays[FEED][4] = EMPTY_VALUE; }));
    EXPECT_TRUE(refused([](Record& r) { std::fill(r.arrays[FEED].begin(), r.arrays[FEED].end(), 0.0); }));
    EXPECT_TRUE(refused([](Record& r) { r.record.composition[FEED] = nullptr; }));
    EXPECT_TRUE(refused([](Record& r) { r.record.componentCount = 3; }));
    EXPECT_TRUE(refused([](Record& r) {
        r.record.pressure = EMPTY_VALUE;
        r.record.phaseFraction[0] = EMPTY_VALUE;
    }));
}

}  // namespace
}  // namespace volacor::model
