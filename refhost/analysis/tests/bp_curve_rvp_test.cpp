// The boiling-point-curve RVP: a pure component at its vapour pressure, mixtures between
// their bubble and dew points with the ratio checked by a flash of its own, the empty
// cases, and the record of one phase.
#include "refhost/analysis/bp_curve_rvp.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/phase.h"
#include "refhost/analysis/phase_analysis.h"
#include "refhost/streams/stream_fluid.h"
#include "refhost/streams/stream_reader.h"

namespace refhost {
namespace {

using volacor::EMPTY_VALUE;
constexpr double kT_K = 37.78 + 273.15;

StreamFluid Example(const std::string& name, thermo::EquationOfState eos = thermo::EquationOfState::PengRobinson) {
    return BuildStreamFluid(ReadStreamFile(std::string(VOLACOR_EXAMPLES_DIR) + "/" + name + ".json"), eos);
}

// Vapour over liquid volume (both liquids), recomputed by a flash of its own.
double VolumeRatioAt(const thermo::Fluid& fluid, const std::vector<double>& x, double P_kPa) {
    thermo::Flasher flasher(fluid);
    const thermo::FlashResult r = flasher.flash_pt(kT_K, P_kPa, x);
    EXPECT_EQ(r.status, thermo::FlashStatus::Converged);
    const auto volume = [&](int slot) {
        return r.phases[slot].present ? r.phases[slot].fraction * r.phases[slot].v_m3_per_kmol : 0.0;
    };
    return volume(thermo::kVapour) / (volume(thermo::kHydrocarbonLiquid) + volume(thermo::kAqueousLiquid));
}

TEST(BpCurveRvp, PureComponentGivesItsVapourPressure) {
    const StreamFluid pentane = Example("n-pentane");
    const double rvp = BoilingPointCurveRvp_kPa(pentane.fluid, pentane.z);
    // n-pentane at 37.78 °C: 107.4 kPa (Wagner equation, as the engine's own tests).
    EXPECT_NEAR(rvp, 107.4, 0.01 * 107.4);
    thermo::Flasher flasher(pentane.fluid);
    EXPECT_NEAR(rvp, flasher.flash_t_beta(kT_K, 0.0, pentane.z).P_kPa, 1e-6 * rvp);
}

TEST(BpCurveRvp, MixturesSplitFourToOneBetweenBubbleAndDewPoint) {
    const struct {
        const char* example;
        thermo::EquationOfState eos;
    } cases[] = {
        {"light-naphtha", thermo::EquationOfState::PengRobinson},
        {"summer-gasoline", thermo::EquationOfState::PengRobinson},
        {"stabilised-condensate", thermo::EquationOfState::PengRobinson},
        {"wet-condensate", thermo::EquationOfState::PengRobinson},
        {"light-crude-cuts", thermo::EquationOfState::PengRobinson},
        {"stabilised-condensate", thermo::EquationOfState::SoaveRedlichKwong},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.example);
        const StreamFluid stream = Example(c.example, c.eos);
        thermo::Flasher flasher(stream.fluid);
        const BpCurveRvpResult r = BoilingPointCurveRvp(flasher, stream.z);
        ASSERT_NE(r.pressure_kPa, EMPTY_VALUE);
        const double bubble = flasher.flash_t_beta(kT_K, 0.0, stream.z).P_kPa;
        const double dew = flasher.flash_t_beta(kT_K, 1.0, stream.z).P_kPa;
        EXPECT_LT(r.pressure_kPa, bubble);
        EXPECT_GT(r.pressure_kPa, dew);
        EXPECT_NEAR(VolumeRatioAt(stream.fluid, stream.z, r.pressure_kPa), 4.0, 1e-6);
        EXPECT_NEAR(r.ratio, 4.0, 1e-6);
        EXPECT_LE(r.flashes, 40);
    }
}

TEST(BpCurveRvp, OtherRatiosAndTemperatures) {
    const StreamFluid naphtha = Example("light-naphtha");
    double previous = 1e9;
    for (double ratio : {0.25, 1.0, 4.0, 20.0}) {
        BpCurveRvpOptions options;
        options.vapourLiquidRatio = ratio;
        const double P = BoilingPointCurveRvp_kPa(naphtha.fluid, naphtha.z, options);
        ASSERT_NE(P, EMPTY_VALUE) << ratio;
        EXPECT_NEAR(VolumeRatioAt(naphtha.fluid, naphtha.z, P), ratio, 1e-6 * ratio) << ratio;
        EXPECT_LT(P, previous) << "more vapour needs a lower pressure";
        previous = P;
    }
    BpCurveRvpOptions colder;
    colder.temperature_C = 20.0;
    EXPECT_LT(BoilingPointCurveRvp_kPa(naphtha.fluid, naphtha.z, colder),
              BoilingPointCurveRvp_kPa(naphtha.fluid, naphtha.z));
}

TEST(BpCurveRvp, EmptyWithoutSuchAPressure) {
    const thermo::Fluid gas = thermo::Fluid::from_keys({"methane", "ethane", "n-pentane"});
    thermo::Flasher flasher(gas);
    const struct {
        const char* what;
        std::vector<double> x;
        bool flashes;
    } cases[] = {
        {"a gas above its cricondentherm", {0.9, 0.1, 0.0}, true},
        {"no material", {0.0, 0.0, 0.0}, false},
        {"wrong length", {1.0}, false},
        {"negative fraction", {1.1, -0.1, 0.0}, false},
    };
    for (const auto& c : cases) {
        const BpCurveRvpResult r = BoilingPointCurveRvp(flasher, c.x);
        EXPECT_EQ(r.pressure_kPa, EMPTY_VALUE) << c.what;
        EXPECT_EQ(r.ratio, EMPTY_VALUE) << c.what;
        EXPECT_EQ(r.flashes > 0, c.flashes) << c.what;
    }
    BpCurveRvpOptions badRatio;
    badRatio.vapourLiquidRatio = 0;
    EXPECT_EQ(BoilingPointCurveRvp(flasher, std::vector<double>{0.0, 0.0, 1.0}, badRatio).pressure_kPa, EMPTY_VALUE);
}

TEST(PhaseAnalysis, PhasesOfACondensateAtItsOwnConditions) {
    // The condensate at 15 °C and 1 atm: a vapour rich in methane and its liquid. The
    // liquid has both values; the vapour, if it has a pressure with ratio 4, meets it.
    const StreamFluid stream = Example("stabilised-condensate");
    thermo::Flasher flasher(stream.fluid);
    const thermo::FlashResult own = flasher.flash_pt(288.15, 101.325, stream.z);
    ASSERT_EQ(own.status, thermo::FlashStatus::Converged);
    ASSERT_TRUE(own.vapour().present && own.hydrocarbon_liquid().present);

    const PhaseAnalysis liquid = AnalysePhase(flasher, own.hydrocarbon_liquid().composition);
    ASSERT_NE(liquid.bpCurveRvp_kPa, EMPTY_VALUE);
    EXPECT_NEAR(VolumeRatioAt(stream.fluid, own.hydrocarbon_liquid().composition, liquid.bpCurveRvp_kPa), 4.0, 1e-6);
    EXPECT_NE(liquid.d86_C[kDistillation5PercentIndex], EMPTY_VALUE);

    const PhaseAnalysis feed = AnalysePhase(stream.fluid, stream.z);
    EXPECT_GT(feed.bpCurveRvp_kPa, liquid.bpCurveRvp_kPa) << "the feed holds the light ends the liquid lost";

    const PhaseAnalysis vapour = AnalysePhase(flasher, own.vapour().composition);
    if (vapour.bpCurveRvp_kPa != EMPTY_VALUE) {
        EXPECT_NEAR(VolumeRatioAt(stream.fluid, own.vapour().composition, vapour.bpCurveRvp_kPa), 4.0, 1e-6);
    }
}

TEST(PhaseAnalysis, AqueousPhaseOfAWetCondensateGivesTheVapourPressureOfWater) {
    // Nearly pure water: the engine finds no bubble point, so the search brackets from the
    // dew point with PT flashes. Water at 37.78 °C: 6.55 kPa (IAPWS-95; the engine 0.23 % low).
    const StreamFluid stream = Example("wet-condensate");
    thermo::Flasher flasher(stream.fluid);
    const thermo::FlashResult own = flasher.flash_pt(288.15, 101.325, stream.z);
    ASSERT_TRUE(own.aqueous_liquid().present);
    const std::vector<double>& water = own.aqueous_liquid().composition;
    const BpCurveRvpResult r = BoilingPointCurveRvp(flasher, water);
    ASSERT_NE(r.pressure_kPa, EMPTY_VALUE);
    EXPECT_NEAR(r.pressure_kPa, 6.55, 0.01 * 6.55);
    EXPECT_NEAR(VolumeRatioAt(stream.fluid, water, r.pressure_kPa), 4.0, 1e-6);
    EXPECT_LE(r.flashes, 40);
}

}  // namespace
}  // namespace refhost
