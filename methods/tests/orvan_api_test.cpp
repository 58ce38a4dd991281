// The closed-form API correlation: its three pieces and limit, and the per-phase
// procedure around it (bubble-point request, TVP carry-over, range warnings). The
// fixture proves after every test that each reference was released and each
// task-memory block (working record, copied arrays) freed.
#include <cmath>
#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "methods/methods.h"
#include "methods/orvan_api.h"
#include "testsupport/fluid_installation.h"

namespace volacor {
namespace {

using testing::ElementsAre;
using testing::IsEmpty;
using testsupport::CalculatorTest;
using testsupport::ScriptedFluid;
using namespace testsupport;  // components

constexpr double KPA_PER_PSI = 6.8943;
constexpr double T_37_78_C_IN_R = 559.694;  // 37.78 °C as the driver hands it

TEST(OrvanRvpFromTvp, EachPieceGivesTheValueTheMethodDefines) {
    struct Case {
        double tvp_psia;
        double rvp_psia;
    };
    // 0.1 psia: the low line; 10 psia: the polynomial; 30 psia: the high line.
    const Case cases[] = {{0.1, 0.77631}, {10.0, 8.0141}, {30.0, 18.929}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.tvp_psia);
        EXPECT_NEAR(orvan_api::RvpFromTvp(c.tvp_psia), c.rvp_psia, 5e-5 * c.rvp_psia);
    }
}

TEST(OrvanRvpFromTvp, PiecesMeetAtTheirJoints) {
    // x = t·6.8943·0.145; the low line and the polynomial both give RVP 1 psi at
    // x = 1.2808728, and the polynomial and the high line differ by about 0.011 in ln at 25.
    const double psiAsFitted = KPA_PER_PSI * 0.145;
    const double lowJoint = 1.2808728 / psiAsFitted;
    const double oneRvp = 6894.7573 / 1000.0 / KPA_PER_PSI;  // e^0 Pa·psi in psia
    EXPECT_NEAR(orvan_api::RvpFromTvp(lowJoint * (1 - 1e-12)), oneRvp, 1e-5);
    EXPECT_NEAR(orvan_api::RvpFromTvp(lowJoint * (1 + 1e-12)), oneRvp, 1e-5);
    const double highJoint = 25.0 / psiAsFitted;
    const double jump = orvan_api::RvpFromTvp(highJoint * (1 + 1e-12)) / orvan_api::RvpFromTvp(highJoint);
    EXPECT_NEAR(std::log(jump), 0.011, 0.002);
}

TEST(OrvanRvpFromTvp, PressuresBeyondTheLimitOrNotANumberGiveEmptyValue) {
    EXPECT_NEAR(orvan_api::RvpFromTvp(3000.0), 1813.07, 0.01);     // 12.5 MPa: still served
    EXPECT_EQ(orvan_api::RvpFromTvp(3400.0), EMPTY_VALUE);         // above 13790000 Pa
    EXPECT_EQ(orvan_api::RvpFromTvp(0.0), 0.0);                    // ln 0: e^-inf
    EXPECT_EQ(orvan_api::RvpFromTvp(-1.0), EMPTY_VALUE);           // ln of a negative: NaN
}

class OrvanApiPhase : public CalculatorTest {};

TEST_F(OrvanApiPhase, RangeWarningsPrecedeTheValue) {
    struct Case {
        double tvp_psia;
        double result_kPa;
        std::vector<std::string> messages;
    };
    const std::string tvpRange = "Phase: FEED - Orvan API Outside applicable TVP range (0.2 - 24 psia).";
    const std::string rvpRange = "Phase: FEED - Orvan API Outside applicable RVP range (0 - 20 psia).";
    const Case cases[] = {
        {30.0, 130.504, {tvpRange}},             // RVP 18.929: inside its range
        {0.1, 5.3521, {tvpRange}},
        {0.2, 5.73349, {}},                      // both ends of the TVP range are inside
        {24.0, 104.448, {}},
        {40.0, 173.538, {tvpRange, rvpRange}},   // RVP 25.17
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.tvp_psia);
        ScriptedFluid& fluid = MakeFluid({NPentane, NHexane});
        fluid.OnFlash(ScriptedFluid::BubblePoint(c.tvp_psia * KPA_PER_PSI));
        EXPECT_NEAR(orvan_api::CalculatePhase(calc, FEED, T_37_78_C_IN_R, 0.0), c.result_kPa, 1e-3);
        EXPECT_EQ(fluid.messages, c.messages);
    }
}

// Past about 3312.7 psia the correlation has left its data far behind: no value, only
// the TVP range warning. (What all three API methods share is in api_methods_test.cpp.)
TEST_F(OrvanApiPhase, EmptyValueBeyondTheCorrelationsLimit) {
    ScriptedFluid& fluid = MakeFluid({NPentane, NHexane});
    fluid.OnFlash(ScriptedFluid::BubblePoint(3400 * KPA_PER_PSI));
    EXPECT_EQ(orvan_api::CalculatePhase(calc, FEED, T_37_78_C_IN_R, 0.0), EMPTY_VALUE);
    const std::string tvpRange = "Phase: FEED - Orvan API Outside applicable TVP range (0.2 - 24 psia).";
    EXPECT_EQ(fluid.messages, std::vector<std::string>{tvpRange});
}

}  // namespace
}  // namespace volacor
