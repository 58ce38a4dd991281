// The opening every method shares: the services query, the load with its presence check,
// the removal of non-condensables through the host's arrays, and the record owner.
#include "core/phase_work.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "comrt/memory.h"
#include "testsupport/fluid_installation.h"
#include "testsupport/packed.h"

namespace volacor {
namespace {

using namespace testsupport;
using ::testing::ElementsAre;

std::vector<double> Values(const double* x, int32_t n) { return std::vector<double>(x, x + n); }

class PhaseOpeningTest : public CalculatorTest {};

TEST_F(PhaseOpeningTest, ServicesAreQueriedAndReleased) {
    EXPECT_FALSE(QueryServices(*calc)) << "no fluid installed";

    ScriptedFluid& fluid = MakeFluid({NPentane});
    {
        ServicesPtr services = QueryServices(*calc);
        ASSERT_TRUE(services);
        EXPECT_EQ(fluid.liveReferences(), 4u);  // test, fluid, stream analysis, services
    }
    EXPECT_EQ(fluid.liveReferences(), 3u);

    fluid.RefuseServices();
    EXPECT_FALSE(QueryServices(*calc));
    EXPECT_EQ(fluid.calls.servicesQueries, 2);
}

TEST_F(PhaseOpeningTest, LoadPhaseDecidesWhichPhasesAreCalculated) {
    struct Case {
        const char* what;
        std::function<void(ScriptedFluid&)> script;
        int32_t phase;
        bool calculated;
    };
    const Case cases[] = {
        {"FEED whatever the flags", [](ScriptedFluid&) {}, FEED, true},
        {"present vapour", [](ScriptedFluid& f) { f.Present(VAP, true); }, VAP, true},
        {"absent solid", [](ScriptedFluid& f) { f.Present(VAP, true); }, SOLID, false},
        {"present phase without a composition",
         [](ScriptedFluid& f) { f.Present(LIQ1, true).NullComposition(LIQ1); }, LIQ1, false},
        {"phase index out of range", [](ScriptedFluid&) {}, 5, false},
        {"failed fluid load", [](ScriptedFluid& f) { f.FailArray("MolarFlow"); }, FEED, false},
        {"failed analysis", [](ScriptedFluid& f) { f.FailAnalysis(); }, FEED, false},
        {"no stream analysis", [this](ScriptedFluid&) { calc->ReleaseStreamAnalysis(); }, FEED, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ScriptedFluid& fluid = MakeFluid({Methane, NPentane});
        c.script(fluid);
        EXPECT_EQ(LoadPhase(*calc, c.phase), c.calculated);
        EXPECT_TRUE(fluid.messages.empty());
    }
}

// The five phase calls of one calculation: the host is asked once, and a FEED call
// whose load failed leaves nothing for the later calls to work on.
TEST_F(PhaseOpeningTest, LaterPhasesReuseTheFeedLoad) {
    ScriptedFluid& fluid = MakeFluid({Methane, NPentane});
    fluid.Present(VAP, true).Present(LIQ1, true);
    EXPECT_TRUE(LoadPhase(*calc, FEED));
    calc->reuseLoadedData = 1;
    const bool expected[] = {true, true, false, false};
    for (int32_t phase : {VAP, LIQ1, LIQ2, SOLID}) EXPECT_EQ(LoadPhase(*calc, phase), expected[phase]) << phase;
    EXPECT_EQ(fluid.calls.fluidSnapshot, 1);
    EXPECT_EQ(fluid.calls.analysis, 1);

    calc->reuseLoadedData = 0;
    fluid.ShortenArray("Molecular Weight", 1);
    EXPECT_FALSE(LoadPhase(*calc, FEED));
    calc->reuseLoadedData = 1;
    for (int32_t phase : {VAP, LIQ1, LIQ2, SOLID}) EXPECT_FALSE(LoadPhase(*calc, phase)) << phase;
}

TEST_F(PhaseOpeningTest, StripRemovesThroughTheHostsArraysAndFreesThem) {
    struct Case {
        const char* what;
        std::function<void(ScriptedFluid&)> script;
        std::vector<double> expected;
    };
    const Case cases[] = {
        {"both arrays", [](ScriptedFluid&) {}, {0.0, 0.25, 0.75}},
        {"only CAS numbers", [](ScriptedFluid& f) { f.RemoveArray("ComponentIDs"); }, {0.0, 0.25, 0.75}},
        {"ids short, CAS numbers identify", [](ScriptedFluid& f) { f.ShortenArray("ComponentIDs", 2); },
         {0.0, 0.25, 0.75}},
        {"neither array: nothing removed, still normalised",
         [](ScriptedFluid& f) { f.RemoveArray("ComponentIDs").FailArray("CAS_Numbers"); },
         {0.04 / 0.8, 0.19 / 0.8, 0.57 / 0.8}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ScriptedFluid& fluid = MakeFluid({Nitrogen, NPentane, NHexane});
        fluid.Feed({0.04, 0.19, 0.57});
        c.script(fluid);
        ASSERT_TRUE(LoadPhase(*calc, FEED));
        WorkingRecord work(calc->PreparePhaseWork(calc->snapshot, FEED));
        const int64_t blocksBefore = comrt_TaskMemOutstanding();
        StripNonCondensables(*calc, work.get(), 5.0);
        EXPECT_EQ(comrt_TaskMemOutstanding(), blocksBefore) << "both copies freed";
        const std::vector<double> x = Values(work->composition[FEED], 3);
        for (size_t i = 0; i < 3; ++i) EXPECT_DOUBLE_EQ(x[i], c.expected[i]) << i;
        EXPECT_THAT(Values(calc->snapshot.composition[FEED], 3), ElementsAre(0.04, 0.19, 0.57));
    }
}

TEST_F(PhaseOpeningTest, WorkingRecordFreesWhatItOwnsExactlyOnce) {
    MakeFluid({NPentane, NHexane});
    ASSERT_EQ(calc->LoadFluidState(), 1);
    const int64_t blocksBefore = comrt_TaskMemOutstanding();
    {
        WorkingRecord first(calc->PreparePhaseWork(calc->snapshot, FEED));
        EXPECT_EQ(comrt_TaskMemOutstanding(), blocksBefore + 5);
        WorkingRecord second(std::move(first));
        for (int32_t p = 0; p < PHASE_COUNT; ++p) EXPECT_EQ(Value(first->composition[p]), nullptr);
        first = std::move(second);
        second.reset(calc->PreparePhaseWork(calc->snapshot, FEED));
        second.reset(calc->PreparePhaseWork(calc->snapshot, FEED));  // frees the previous five
        EXPECT_EQ(comrt_TaskMemOutstanding(), blocksBefore + 10);
        // A record that shares an array with the one held keeps it alive.
        FluidSnapshot sharing = second.get();
        sharing.composition[VAP] = nullptr;
        second.reset(sharing);
        EXPECT_EQ(comrt_TaskMemOutstanding(), blocksBefore + 9);
        ASSERT_NE(Value(second->composition[FEED]), nullptr);
        EXPECT_EQ(second->composition[FEED][0], 0.5);
    }
    EXPECT_EQ(comrt_TaskMemOutstanding(), blocksBefore);
}

TEST(IsSingleComponentTest, OneFractionWithinTheToleranceOfOne) {
    struct Case {
        std::vector<double> x;
        bool single;
    };
    for (const Case& c : {Case{{0.0, 1.0, 0.0}, true}, Case{{0.999995, 0.000005}, true},
                          Case{{0.99998, 0.00002}, false}, Case{{0.5, 0.5}, false}, Case{{}, false}}) {
        FluidSnapshot work{};
        std::vector<double> x = c.x;
        work.componentCount = static_cast<int32_t>(x.size());
        work.composition[FEED] = x.empty() ? nullptr : x.data();
        EXPECT_EQ(IsSingleComponent(work), c.single) << ::testing::PrintToString(c.x);
    }
}

}  // namespace
}  // namespace volacor
