// The ASTM D86 curve: the conversion against a published example, curves of a pure
// component, a narrow and a wide mixture against values worked by hand (the same
// procedure in a separate calculation), and the curve's general properties.
#include "refhost/analysis/distillation_curve.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "host/phase.h"
#include "refhost/streams/stream_fluid.h"
#include "refhost/streams/stream_reader.h"

namespace refhost {
namespace {

using volacor::EMPTY_VALUE;

thermo::Fluid FluidOf(const std::vector<std::string>& names) { return thermo::Fluid::from_keys(names); }

// Mole fractions that give the wanted liquid-volume fractions (15 °C densities of the table).
std::vector<double> FromVolumes(const thermo::Fluid& fluid, const std::vector<double>& volumes) {
    StreamDefinition definition;
    definition.basis = CompositionBasis::LiquidVolume;
    for (std::size_t i = 0; i < volumes.size(); ++i) {
        StreamComponent c;
        c.name = fluid.component(i).name;
        c.host_id = fluid.component(i).host_id;
        c.fraction = volumes[i];
        definition.components.push_back(c);
    }
    return MoleFractions(definition, fluid.components());
}

TEST(TbpToD86, InvertsThePublishedWorkedExample) {
    // D86 of a naphtha and the TBP that the D86-to-TBP procedure gives for it (°F), the
    // worked example of the procedure in Riazi, ASTM MNL50 (2005), section 3.2.
    const ConversionPoints tbp_F = {22.42, 81.56, 152.13, 214.99, 280.66, 364.33, 394.01};
    const ConversionPoints published_d86_F = {97.7, 129.2, 170.6, 214.7, 267.8, 339.8, 367.7};
    const auto d86_F = TbpToD86_F(tbp_F);
    ASSERT_TRUE(d86_F);
    for (std::size_t i = 0; i < published_d86_F.size(); ++i)
        EXPECT_NEAR((*d86_F)[i], published_d86_F[i], 0.06) << "at " << kConversionPoints_volPercent[i] << " %";
}

TEST(TbpToD86, UndefinedAtOrBelowZeroFahrenheit) {
    EXPECT_FALSE(TbpToD86_F({-60, -50, -30, 0, 10, 20, 25}));
    EXPECT_TRUE(TbpToD86_F({-60, -50, -30, 1, 10, 20, 25}));
}

TEST(DistillationCurve, PointsFiveAndFifteenPercentAtElementsFourAndEight) {
    EXPECT_EQ(kDistillationPoints_volPercent[kDistillation5PercentIndex], 5.0);
    EXPECT_EQ(kDistillationPoints_volPercent[kDistillation15PercentIndex], 15.0);
    EXPECT_EQ(kDistillation5PercentIndex, 4);
    EXPECT_EQ(kDistillation15PercentIndex, 8);
    EXPECT_GE(kDistillationPointCount, 9);
    EXPECT_TRUE(std::is_sorted(kDistillationPoints_volPercent.begin(), kDistillationPoints_volPercent.end()));
}

struct HandCase {
    const char* what;
    std::vector<std::string> names;
    std::vector<double> volumes;
    // D86 °C at 0, 5, 15, 50, 95 % (elements 0, 4, 8, 12, 17), worked by hand.
    double d86_C[5];
};

TEST(DistillationCurve, MatchesHandWorkedCurves) {
    const HandCase cases[] = {
        // TBP 309.2 K everywhere: TBP50 = 96.89 °F, D86 = (96.89/0.8718)^(1/1.0258) = 98.72 °F.
        {"pure n-pentane", {"n-pentane"}, {1.0}, {37.067, 37.067, 37.067, 37.067, 37.067}},
        // Equal volumes: TBP flat at n-pentane's boiling point to 25 %, at n-hexane's from 75 %.
        {"narrow: n-pentane + n-hexane",
         {"n-pentane", "n-hexane"},
         {0.5, 0.5},
         {45.345, 45.345, 45.345, 53.250, 62.996}},
        {"wide: n-pentane + n-decane + n-hexadecane",
         {"n-pentane", "n-decane", "n-hexadecane"},
         {1.0 / 3, 1.0 / 3, 1.0 / 3},
         {62.439, 62.439, 62.439, 171.622, 272.673}},
        // Share mid-points at 2, 8, 17, 36 and 75 %: the 5 and 15 % points lie where the
        // TBP rises, and divide their D86 intervals (0-10, 10-30 %) as they divide the TBP ones.
        {"butanes to heptane",
         {"n-butane", "isopentane", "n-pentane", "n-hexane", "n-heptane"},
         {0.04, 0.08, 0.10, 0.28, 0.50},
         {36.752, 43.850, 54.249, 79.787, 91.537}},
    };
    const int elements[5] = {0, 4, 8, 12, 17};
    for (const HandCase& c : cases) {
        const thermo::Fluid fluid = FluidOf(c.names);
        const DistillationCurve curve = DistillationCurveD86_C(fluid, FromVolumes(fluid, c.volumes));
        for (int k = 0; k < 5; ++k)
            EXPECT_NEAR(curve[elements[k]], c.d86_C[k], 0.005) << c.what << ", element " << elements[k];
    }
}

TEST(DistillationCurve, TbpFollowsVolumeSharesInBoilingOrder) {
    // Written heaviest first: the curve sorts by boiling point. Mid-points of the shares
    // at 25 % (n-pentane, 309.2 K) and 75 % (n-decane, 447.3 K).
    const thermo::Fluid fluid = FluidOf({"n-decane", "n-pentane"});
    const std::vector<double> x = FromVolumes(fluid, {0.5, 0.5});
    EXPECT_DOUBLE_EQ(TrueBoilingPoint_K(fluid, x, 10), 309.2);
    EXPECT_DOUBLE_EQ(TrueBoilingPoint_K(fluid, x, 50), (309.2 + 447.3) / 2);
    EXPECT_DOUBLE_EQ(TrueBoilingPoint_K(fluid, x, 90), 447.3);
}

TEST(DistillationCurve, ExampleStreamsGiveRisingCurvesWithTheirFiveAndFifteenPercentPoints) {
    for (const char* name :
         {"summer-gasoline", "light-naphtha", "stabilised-condensate", "wet-condensate", "light-crude-cuts"}) {
        const StreamDefinition definition = ReadStreamFile(std::string(VOLACOR_EXAMPLES_DIR) + "/" + name + ".json");
        const StreamFluid stream = BuildStreamFluid(definition);
        const DistillationCurve curve = DistillationCurveD86_C(stream.fluid, stream.z);
        for (double t : curve) ASSERT_NE(t, EMPTY_VALUE) << name;
        EXPECT_TRUE(std::is_sorted(curve.begin(), curve.end())) << name;
        // The 5 % point lies between the 0 and 10 % points, the 15 % between 10 and 30 %.
        EXPECT_GE(curve[4], curve[0]) << name;
        EXPECT_LE(curve[4], curve[6]) << name;
        EXPECT_GE(curve[8], curve[6]) << name;
        EXPECT_LE(curve[8], curve[10]) << name;
        EXPECT_GT(curve[17], curve[0]) << name;
    }
}

TEST(DistillationCurve, GasolineSlopeIsThatOfAMotorGasoline) {
    // Summer gasolines have ASTM 10 % slopes of about 2 to 3.5 °F per vol %.
    const StreamFluid stream =
        BuildStreamFluid(ReadStreamFile(std::string(VOLACOR_EXAMPLES_DIR) + "/summer-gasoline.json"));
    const DistillationCurve curve = DistillationCurveD86_C(stream.fluid, stream.z);
    const double slope_F = (curve[kDistillation15PercentIndex] - curve[kDistillation5PercentIndex]) * 1.8 / 10.0;
    EXPECT_GT(slope_F, 1.5);
    EXPECT_LT(slope_F, 4.0);
}

TEST(DistillationCurve, LightEndsNeverSpreadTheD86WiderThanTheTbp) {
    // Methane (111.6 K) ahead of n-decane: the 0-10 % TBP interval is about 600 °F, where
    // the power law alone would put the D86 initial point below absolute zero.
    const thermo::Fluid fluid = FluidOf({"methane", "n-decane"});
    const std::vector<double> x = {0.05, 0.95};
    const DistillationCurve curve = DistillationCurveD86_C(fluid, x);
    const double tbp0_C = TrueBoilingPoint_K(fluid, x, 0) - 273.15;
    const double tbp10_C = TrueBoilingPoint_K(fluid, x, 10) - 273.15;
    ASSERT_NE(curve[0], EMPTY_VALUE);
    EXPECT_GT(curve[0], -273.15);
    EXPECT_LE(curve[6] - curve[0], tbp10_C - tbp0_C + 1e-9);
    EXPECT_TRUE(std::is_sorted(curve.begin(), curve.end()));
}

TEST(DistillationCurve, EmptyWhereUndefined) {
    const thermo::Fluid fluid = FluidOf({"propane", "n-butane"});
    const struct {
        const char* what;
        std::vector<double> x;
    } cases[] = {
        {"no material", {0.0, 0.0}},
        {"wrong length", {1.0}},
        {"TBP 50 % point below 0 °F (LPG)", {0.6, 0.4}},
    };
    for (const auto& c : cases) {
        const DistillationCurve curve = DistillationCurveD86_C(fluid, c.x);
        for (double t : curve) EXPECT_EQ(t, EMPTY_VALUE) << c.what;
    }
    // Butane alone boils at 31.2 °F: defined.
    EXPECT_NE(DistillationCurveD86_C(fluid, std::vector<double>{0.0, 1.0})[0], EMPTY_VALUE);
}

}  // namespace
}  // namespace refhost
