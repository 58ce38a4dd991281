// What the three API methods share, run for each: the bubble-point request at the
// reference temperature (°R back to °C) with the non-condensables stripped, the
// "Requires TVP." end of a FEED without one, the inheritance of the FEED's TVP and
// boiling-point-curve RVP by a later phase that has neither, and the silent
// EMPTY_VALUE when there is nothing to calculate. The fixture proves after every test
// that each reference was released and each task-memory block freed.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "core/units.h"
#include "methods/methods.h"
#include "testsupport/fluid_installation.h"

namespace volacor {
namespace {

using testing::IsEmpty;
using testsupport::CalculatorTest;
using testsupport::ScriptedFluid;
using namespace testsupport;  // components

constexpr double KPA_PER_PSI = 6.8943;  // the API methods' psi, written out here on purpose
constexpr double T_60_F_IN_R = 519.69;  // inside every API method's temperature range

struct ApiMethod {
    const char* name;
    CalculatePhaseFn calculate;
    const char* label;  // as the method's message lines name it
};
void PrintTo(const ApiMethod& m, std::ostream* os) { *os << m.name; }


const ApiMethod kApiMethods[] = {
    {"Orvan", &orvan_api::CalculatePhase, "Orvan API"},
    {"API_5B1_2", &api_5b1_2::CalculatePhase, "API 5B1.2"},
    {"API_5B1_1", &api_5b1_1::CalculatePhase, "API 5B1.1"},
};

class ApiMethodTest : public CalculatorTest, public testing::WithParamInterface<ApiMethod> {
protected:
    double Calculate(int32_t phase, double removeNcMolePercent = 0.0) {
        return GetParam().calculate(calc, phase, T_60_F_IN_R, removeNcMolePercent);
    }
    // A FEED of TVP 5 psia whose boiling-point curves gave 6 psia.
    ScriptedFluid& Feed() {
        ScriptedFluid& fluid = MakeFluid({Methane, NPentane, NHexane});
        fluid.Feed({0.01, 0.59, 0.40})
            .OnFlash(ScriptedFluid::BubblePoint(5.0 * KPA_PER_PSI))
            .BpCurveRvp(FEED, 6.0 * KPA_PER_PSI);
        return fluid;
    }
    std::string Line(const char* phase, const char* text) const {
        return std::string("Phase: ") + phase + " - " + GetParam().label + " " + text;
    }
};

TEST_P(ApiMethodTest, FeedAsksABubblePointAtTheReferenceTemperatureWithoutTraceGases) {
    ScriptedFluid& fluid = Feed();
    EXPECT_GT(Calculate(FEED, 5.0), 0.0);
    ASSERT_EQ(fluid.flashRequests.size(), 1u);
    const FlashRequest& request = fluid.flashRequests[0];
    EXPECT_NEAR(request.temperature_C, units::CelsiusFromFahrenheit(60.0), 1e-12);
    EXPECT_EQ(request.pressure_kPa, EMPTY_VALUE);
    EXPECT_EQ(request.vapourFraction, 0.0);
    // Methane below 5 % was stripped before the flash, the rest renormalised.
    ASSERT_EQ(request.feed.size(), 3u);
    EXPECT_EQ(request.feed[0], 0.0);
    EXPECT_NEAR(request.feed[1], 0.59 / 0.99, 1e-12);
    EXPECT_NEAR(calc->tvpPsia, 5.0, 1e-12);
}

TEST_P(ApiMethodTest, AFeedWithoutTvpEndsWithRequiresTvp) {
    ScriptedFluid& fluid = Feed();
    fluid.OnFlash(ScriptedFluid::Fail());
    EXPECT_EQ(Calculate(FEED), EMPTY_VALUE);
    ASSERT_FALSE(fluid.messages.empty());
    EXPECT_EQ(fluid.messages.back(), Line("FEED", "Requires TVP."));
    EXPECT_EQ(calc->tvpPsia, EMPTY_VALUE);
}

// The later phase's own flash fails and it has no boiling-point-curve RVP: it takes
// the FEED's, gives the FEED's result and says what the FEED said, no more.
TEST_P(ApiMethodTest, ALaterPhaseWithoutValuesOfItsOwnInheritsTheFeeds) {
    ScriptedFluid& fluid = Feed();
    fluid.Phase(LIQ1, {0.0, 0.3, 0.7}).QueueFlash(ScriptedFluid::BubblePoint(5.0 * KPA_PER_PSI));
    fluid.OnFlash(ScriptedFluid::Fail());
    const double feed = Calculate(FEED);
    ASSERT_NE(feed, EMPTY_VALUE);
    std::vector<std::string> expected;
    for (std::string line : fluid.messages) {
        line.replace(line.find("FEED"), 4, "LIQ1");
        expected.push_back(line);
    }
    fluid.messages.clear();

    calc->reuseLoadedData = 1;
    EXPECT_EQ(Calculate(LIQ1), feed);
    calc->reuseLoadedData = 0;
    EXPECT_EQ(fluid.messages, expected);
    EXPECT_EQ(fluid.calls.flash, 2);
    EXPECT_EQ(fluid.calls.fluidSnapshot, 1) << "LIQ1 was cut from the FEED's snapshot";
}

TEST_P(ApiMethodTest, SilentEmptyValueWhenThereIsNothingToCalculate) {
    struct Case {
        const char* what;
        std::function<void(ScriptedFluid&)> script;
        int32_t phase;
    };
    const Case cases[] = {
        {"phase absent", [](ScriptedFluid&) {}, LIQ2},
        {"no services", [](ScriptedFluid& f) { f.RefuseServices(); }, FEED},
        {"snapshot fails", [](ScriptedFluid& f) { f.FailSnapshot(); }, FEED},
        {"snapshot raises", [](ScriptedFluid& f) { f.ThrowAt("GetFluidSnapshot"); }, FEED},
        {"analysis fails", [](ScriptedFluid& f) { f.FailAnalysis(); }, FEED},
        {"molar flow raises", [](ScriptedFluid& f) { f.ThrowAt(ComponentValuesCall("MolarFlow")); }, FEED},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ScriptedFluid& fluid = Feed();
        c.script(fluid);
        EXPECT_EQ(Calculate(c.phase), EMPTY_VALUE);
        EXPECT_THAT(fluid.messages, IsEmpty());
        EXPECT_EQ(fluid.calls.flash, 0);
    }
}

INSTANTIATE_TEST_SUITE_P(ThreeApiMethods, ApiMethodTest, testing::ValuesIn(kApiMethods),
                         [](const testing::TestParamInfo<ApiMethod>& param) { return std::string(param.param.name); });

}  // namespace
}  // namespace volacor
