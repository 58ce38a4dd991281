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

TEST(OrvanRvpFromTvp, EachPieceGivesItsPublishedValue) {
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

TEST_F(OrvanApiPhase, FeedAsksABubblePointAtTheReferenceTemperature) {
    ScriptedFluid& fluid = MakeFluid({Methane, NPentane, NHexane});
    fluid.Feed({0.01, 0.59, 0.40}).OnFlash(ScriptedFluid::BubblePoint(68.943));
    const double rvp = orvan_api::CalculatePhase(calc, FEED, T_37_78_C_IN_R, 5.0);
    EXPECT_NEAR(rvp, 55.2516, 1e-4);
    EXPECT_THAT(fluid.messages, IsEmpty());
    ASSERT_EQ(fluid.flashRequests.size(), 1u);
    const FlashRequest& request = fluid.flashRequests[0];
    EXPECT_NEAR(request.temperature_C, 37.78, 1e-9);
    EXPECT_EQ(request.pressure_kPa, EMPTY_VALUE);
    EXPECT_EQ(request.vapourFraction, 0.0);
    // Methane below 5 % was stripped before the flash, the rest renormalised.
    ASSERT_EQ(request.feed.size(), 3u);
    EXPECT_EQ(request.feed[0], 0.0);
    EXPECT_NEAR(request.feed[1], 0.59 / 0.99, 1e-12);
    EXPECT_NEAR(calc->tvpPsia, 10.0, 1e-12);
}

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

TEST_F(OrvanApiPhase, WithoutTvpTheFeedFailsAndALaterPhaseInheritsIt) {
    ScriptedFluid& fluid = MakeFluid({NPentane, NHexane});
    fluid.Phase(VAP, {0.7, 0.3}).OnFlash(ScriptedFluid::Fail());
    EXPECT_EQ(orvan_api::CalculatePhase(calc, FEED, T_37_78_C_IN_R, 0.0), EMPTY_VALUE);
    EXPECT_THAT(fluid.messages, ElementsAre("Phase: FEED - Orvan API Requires TVP."));

    // A new calculation: FEED finds 10 psia, VAP's own flash fails and VAP inherits it.
    fluid.messages.clear();
    fluid.QueueFlash(ScriptedFluid::BubblePoint(68.943));
    EXPECT_NEAR(orvan_api::CalculatePhase(calc, FEED, T_37_78_C_IN_R, 0.0), 55.2516, 1e-4);
    calc->reuseLoadedData = 1;
    EXPECT_NEAR(orvan_api::CalculatePhase(calc, VAP, T_37_78_C_IN_R, 0.0), 55.2516, 1e-4);
    calc->reuseLoadedData = 0;
    EXPECT_THAT(fluid.messages, IsEmpty());
    EXPECT_EQ(fluid.calls.flash, 3);
}

TEST_F(OrvanApiPhase, EmptyValueWhenThereIsNothingToCalculate) {
    struct Case {
        const char* what;
        void (*script)(ScriptedFluid&);
        int32_t phase;
        std::vector<std::string> messages;
    };
    const Case cases[] = {
        {"phase absent", [](ScriptedFluid&) {}, LIQ2, {}},
        {"no services", [](ScriptedFluid& f) { f.RefuseServices(); }, FEED, {}},
        {"snapshot fails", [](ScriptedFluid& f) { f.FailSnapshot(); }, FEED, {}},
        {"analysis fails", [](ScriptedFluid& f) { f.FailAnalysis(); }, FEED, {}},
        {"correlation beyond its limit", [](ScriptedFluid& f) { f.OnFlash(ScriptedFluid::BubblePoint(3400 * KPA_PER_PSI)); },
         FEED, {"Phase: FEED - Orvan API Outside applicable TVP range (0.2 - 24 psia)."}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ScriptedFluid& fluid = MakeFluid({NPentane, NHexane});
        fluid.OnFlash(ScriptedFluid::BubblePoint(68.943));
        c.script(fluid);
        EXPECT_EQ(orvan_api::CalculatePhase(calc, c.phase, T_37_78_C_IN_R, 0.0), EMPTY_VALUE);
        EXPECT_EQ(fluid.messages, c.messages);
    }
}

}  // namespace
}  // namespace volacor
