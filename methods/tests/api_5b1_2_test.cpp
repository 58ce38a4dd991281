// API 5B1.2: the vapour-pressure equation with its guards and derivative, and the Newton
// search for RVP with its reset, failure and range rules. The fixture proves after every
// test that each reference was released and each task-memory block freed.
#include <cmath>
#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "methods/api_5b1_2.h"
#include "methods/methods.h"
#include "testsupport/fluid_installation.h"

namespace volacor {
namespace {

using testing::ElementsAre;
using testing::IsEmpty;
using testsupport::CalculatorTest;
using testsupport::ScriptedFluid;
using namespace testsupport;  // components

constexpr double KPA_PER_PSI = 6.8943;
constexpr double T_R = 559.694;  // 37.78 °C as the driver hands it

const std::string kNoBpRvp =
    "Phase: FEED - API 5B1.2 The BP Curves utility associated with the stream did not calculate an RVP value.";
const std::string kTvpRange = "Phase: FEED - API 5B1.2 Outside applicable TVP range (0 - 25 psia).";
const std::string kRvpRange = "Phase: FEED - API 5B1.2 Outside applicable RVP range (2 - 15 psia).";
const std::string kTemperatureRange = "Phase: FEED - API 5B1.2 Outside applicable temperature range (0 - 140\xB0" "F).";

double Predict(double temperature_R, double rvp) {
    CPropertyCalculator scratch;
    return api_5b1_2::PredictTvp_API_5B1_2(scratch, temperature_R, rvp);
}

TEST(PredictTvp_API_5B1_2, DerivativeMatchesFiniteDifferences) {
    for (double t : {459.69, 520.0, 559.694, 599.69})
        for (double r : {0.5, 2.0, 8.0, 15.0, 20.0}) {
            SCOPED_TRACE(testing::Message() << "T " << t << ", RVP " << r);
            CPropertyCalculator calc;
            const double tvp = api_5b1_2::PredictTvp_API_5B1_2(calc, t, r);
            EXPECT_FALSE(calc.tvpTooLarge);
            const double h = 1e-6 * r;
            const double numeric = (Predict(t, r + h) - Predict(t, r - h)) / (2 * h);
            EXPECT_NEAR(calc.dTvpdRvp, numeric, 1e-6 * std::fabs(numeric) + 1e-9);
            EXPECT_GT(tvp, 0.0);
        }
    // One point worked by hand: RVP 10 psi at 559.694 °R.
    EXPECT_NEAR(Predict(T_R, 10.0), 13.45882, 1e-5);
}

// An independent published fit of the TVP of crude oils against their RVP: US EPA, AP-42
// Fifth Edition, Chapter 7.1 (November 2006), Figure 7.1-16: ln TVP = A - B / T with
// A = 12.82 - 0.9672 ln RVP and B = 7261 - 1216 ln RVP (psia, psi, °R). Both read the
// same chart, so they agree to the reading of a chart, not to the last digit.
TEST(PredictTvp_API_5B1_2, AgreesWithThePublishedCrudeOilFitOfAp42) {
    for (double rvp : {5.0, 7.5, 10.0})
        for (double t_F : {40.0, 60.0, 80.0, 100.0}) {
            SCOPED_TRACE(testing::Message() << "RVP " << rvp << " psi at " << t_F << " °F");
            const double t_R = t_F + 459.67;
            const double ap42 = std::exp(12.82 - 0.9672 * std::log(rvp) - (7261.0 - 1216.0 * std::log(rvp)) / t_R);
            EXPECT_NEAR(Predict(t_R, rvp) / ap42, 1.0, 0.07);
        }
}

TEST(PredictTvp_API_5B1_2, GuardsLeaveOrSetTheFlagAsTheyShould) {
    struct Case {
        const char* what;
        double temperature_R;
        double rvp;
        bool tooLarge;
        bool derivativeTouched;
    };
    const Case cases[] = {
        {"T zero", 0.0, 5.0, false, false},
        {"T empty", EMPTY_VALUE, 5.0, false, false},
        {"RVP zero", T_R, 0.0, false, false},
        {"RVP empty", T_R, EMPTY_VALUE, false, false},
        {"RVP negative", T_R, -1.0, true, false},
        {"exponent far below the band", T_R, 1000.0, true, false},
        {"exponent of a tiny RVP", T_R, 1e-300, true, false},
        {"RVP not a number", T_R, std::nan(""), true, false},
        {"ordinary", T_R, 10.0, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CPropertyCalculator calc;
        calc.dTvpdRvp = 123.0;
        const double tvp = api_5b1_2::PredictTvp_API_5B1_2(calc, c.temperature_R, c.rvp);
        EXPECT_EQ(calc.tvpTooLarge, c.tooLarge);
        EXPECT_EQ(calc.dTvpdRvp != 123.0, c.derivativeTouched);
        if (!c.tooLarge && !c.derivativeTouched) {
            EXPECT_EQ(tvp, 0.0);
        }
    }
}

class Api5B1_2Phase : public CalculatorTest {
protected:
    // A FEED whose bubble point is tvp_psia and whose boiling-point curves gave bpRvp_psia.
    ScriptedFluid& Feed(double tvp_psia, double bpRvp_psia) {
        return FeedKpa(tvp_psia, bpRvp_psia == EMPTY_VALUE ? EMPTY_VALUE : bpRvp_psia * KPA_PER_PSI);
    }
    ScriptedFluid& FeedKpa(double tvp_psia, double bpRvp_kPa) {
        ScriptedFluid& fluid = MakeFluid({NButane, NPentane, NHexane});
        fluid.OnFlash(ScriptedFluid::BubblePoint(tvp_psia * KPA_PER_PSI));
        if (bpRvp_kPa != EMPTY_VALUE) fluid.BpCurveRvp(FEED, bpRvp_kPa);
        return fluid;
    }
    // A boiling-point RVP, kPa, whose 0.9 · (kPa / 6.8943) start is exactly rvp_psia.
    static double StartingExactlyAt(double rvp_psia) {
        double kPa = rvp_psia / 0.9 * KPA_PER_PSI;
        for (int i = 0; i < 64 && 0.9 * (kPa / KPA_PER_PSI) != rvp_psia; ++i)
            kPa = std::nextafter(kPa, 0.9 * (kPa / KPA_PER_PSI) < rvp_psia ? 1e9 : 0.0);
        EXPECT_EQ(0.9 * (kPa / KPA_PER_PSI), rvp_psia);
        return kPa;
    }
};

TEST_F(Api5B1_2Phase, ConvergesOnTheRvpThatGivesTheTvp) {
    // The TVP that RVP 10 psi gives; Newton starts from 0.9 · 9 psi.
    ScriptedFluid& fluid = Feed(Predict(T_R, 10.0), 9.0);
    EXPECT_NEAR(api_5b1_2::CalculatePhase(calc, FEED, T_R, 0.0), 68.943, 1e-6);
    EXPECT_THAT(fluid.messages, IsEmpty());
    ASSERT_EQ(fluid.flashRequests.size(), 1u);
    EXPECT_NEAR(fluid.flashRequests[0].temperature_C, 37.78, 1e-9);
    EXPECT_EQ(fluid.flashRequests[0].pressure_kPa, EMPTY_VALUE);
    EXPECT_EQ(fluid.flashRequests[0].vapourFraction, 0.0);
    EXPECT_NEAR(calc->bpRvpPsia, 9.0, 1e-12);
}

TEST_F(Api5B1_2Phase, AStartWithinTheToleranceTakesNoStep) {
    // Start 0.9 · 3 = 2.7 psi. A residual just inside 1e-5 psia returns the start as it
    // is; one just outside takes a Newton step of about residual / slope.
    const double start = 2.7;
    for (double residual : {0.9e-5, 1.1e-5}) {
        SCOPED_TRACE(residual);
        ScriptedFluid& fluid = Feed(Predict(T_R, start) - residual, 3.0);
        const double rvp = api_5b1_2::CalculatePhase(calc, FEED, T_R, 0.0) / KPA_PER_PSI;
        if (residual < 1e-5) {
            EXPECT_NEAR(rvp, start, 1e-10);
        } else {
            EXPECT_GT(std::fabs(rvp - start), 1e-7);
        }
        EXPECT_THAT(fluid.messages, IsEmpty());
    }
}

TEST_F(Api5B1_2Phase, RangeRulesAtTheirEdges) {
    struct Case {
        const char* what;
        double temperature_R;
        double tvp_psia;
        double bpRvp_kPa;
        double result_kPa;  // EMPTY_VALUE: not checked
        std::vector<std::string> messages;
    };
    const double bp8 = 8.0 / 0.9 * KPA_PER_PSI;
    // The lower edge reached exactly: the start is 2 psi and the TVP is what the equation
    // gives there, so no step moves it. (No double start 0.9 · (kPa / 6.8943) is exactly 15.)
    const double bp2 = StartingExactlyAt(2.0), bp15 = 15.0 / 0.9 * KPA_PER_PSI;
    const Case cases[] = {
        {"0 \xB0" "F", 459.69, Predict(459.69, 8.0), bp8, 8.0 * KPA_PER_PSI, {}},
        {"140 \xB0" "F", 599.69, Predict(599.69, 8.0), bp8, 8.0 * KPA_PER_PSI, {}},
        {"below 0 \xB0" "F", 459.68, Predict(459.68, 8.0), bp8, 8.0 * KPA_PER_PSI, {kTemperatureRange}},
        {"above 140 \xB0" "F", 599.70, Predict(599.70, 8.0), bp8, 8.0 * KPA_PER_PSI, {kTemperatureRange}},
        {"RVP exactly 2", T_R, Predict(T_R, 2.0), bp2, 2.0 * KPA_PER_PSI, {}},
        {"RVP 14.99", T_R, Predict(T_R, 14.99), bp15, 14.99 * KPA_PER_PSI, {}},
        {"RVP 1.99", T_R, Predict(T_R, 1.99), bp2, 1.99 * KPA_PER_PSI, {kRvpRange}},
        {"RVP 15.01", T_R, Predict(T_R, 15.01), bp15, 15.01 * KPA_PER_PSI, {kRvpRange}},
        {"TVP exactly 25", T_R, 25.0, bp15, EMPTY_VALUE, {kRvpRange}},
        {"TVP above 25", T_R, 25.5, bp15, EMPTY_VALUE, {kTvpRange, kRvpRange}},
        // R starts at 0: the equation gives 0 without failing, f = 0, result 0 kPa.
        {"TVP 0 and no curve RVP", T_R, 0.0, EMPTY_VALUE, 0.0, {kNoBpRvp, kRvpRange}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ScriptedFluid& fluid = FeedKpa(c.tvp_psia, c.bpRvp_kPa);
        const double result = api_5b1_2::CalculatePhase(calc, FEED, c.temperature_R, 0.0);
        if (c.result_kPa != EMPTY_VALUE) {
            EXPECT_NEAR(result, c.result_kPa, 1e-4);
        }
        EXPECT_EQ(fluid.messages, c.messages);
    }
}

TEST_F(Api5B1_2Phase, FailuresEndThePhaseWithTheirMessage) {
    struct Case {
        const char* what;
        double temperature_R;
        double tvp_psia;
        double bpRvp_psia;
        std::vector<std::string> messages;
    };
    const Case cases[] = {
        // A negative boiling-point RVP makes a negative start: the very first evaluation fails.
        {"negative start", T_R, 5.0, -1.0,
         {"Phase: FEED - API 5B1.2 RVP Calculation failed since predicted TVP was too large, at iteration 1."}},
        // At 0 °R every evaluation returns 0 without a derivative: the first moves R to 0.1
        // (iteration 2), the second while R is still 0.1 fails (iteration 3).
        {"two zero derivatives", 0.0, 5.0, 10.0,
         {kTemperatureRange, "Phase: FEED - API 5B1.2 Successive Zero RVPs predicted at iteration 3."}},
        // A TVP far below what 0.1 psi gives: the step from 0.9 overshoots below zero, R is
        // reset to 0.1, and the step from there is negative again.
        {"two negative steps", T_R, 1e-5, 1.0,
         {"Phase: FEED - API 5B1.2 Successive Negative RVPs predicted at iteration 3."}},
        // More than the equation gives for any RVP: Newton wanders until the limit.
        {"no root", T_R, 60.0, 10.0, {kTvpRange, "Phase: FEED - API 5B1.2 Not Converged at 50 iterations."}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ScriptedFluid& fluid = Feed(c.tvp_psia, c.bpRvp_psia);
        EXPECT_EQ(api_5b1_2::CalculatePhase(calc, FEED, c.temperature_R, 0.0), EMPTY_VALUE);
        EXPECT_EQ(fluid.messages, c.messages);
    }
}

TEST_F(Api5B1_2Phase, WithoutTvpTheFeedFails) {
    ScriptedFluid& fluid = MakeFluid({NPentane, NHexane});
    fluid.OnFlash(ScriptedFluid::Fail());
    EXPECT_EQ(api_5b1_2::CalculatePhase(calc, FEED, T_R, 0.0), EMPTY_VALUE);
    EXPECT_THAT(fluid.messages, ElementsAre(kNoBpRvp, "Phase: FEED - API 5B1.2 Requires TVP."));
}

// (What all three API methods share is in api_methods_test.cpp.)

}  // namespace
}  // namespace volacor
