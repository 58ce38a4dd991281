// The shared calculator against a scripted host fluid: loading, reuse, named arrays,
// working records, removal of non-condensables, and that resets free every host block.
#include "core/property_calculator.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "comrt/memory.h"
#include "core/phase_work.h"
#include "testsupport/fluid_installation.h"
#include "testsupport/packed.h"

namespace volacor {
namespace {

using testsupport::CalculatorTest;
using testsupport::ScriptedFluid;
using namespace testsupport;  // component constants
using ::testing::ElementsAre;

std::vector<double> Values(const double* x, int32_t n) { return std::vector<double>(x, x + n); }

bool IsZero(const void* bytes, size_t size) {
    const auto* b = static_cast<const unsigned char*>(bytes);
    for (size_t i = 0; i < size; ++i)
        if (b[i]) return false;
    return true;
}

class LoadFluidStateTest : public CalculatorTest {};

TEST_F(LoadFluidStateTest, WithoutFluidChangesNothing) {
    calc->snapshot.temperature = 12.5;
    calc->molarFlow = 3.0;
    calc->tvpPsia = 7.0;
    EXPECT_EQ(calc->LoadFluidState(), 0);
    EXPECT_EQ(calc->LoadStreamAnalysis(), 0);
    EXPECT_EQ(calc->GetComponentArray("Molecular Weight", 0), nullptr);
    EXPECT_EQ(Value(calc->snapshot.temperature), 12.5);
    EXPECT_EQ(calc->molarFlow, 3.0);
    EXPECT_EQ(calc->tvpPsia, 7.0);
}

TEST_F(LoadFluidStateTest, LoadsSnapshotWeightsAndFlowAndResetsCarriedValues) {
    ScriptedFluid& fluid = MakeFluid({Methane, NPentane, NHexane});
    fluid.Conditions(15.0, 350.0).Feed({0.1, 0.5, 0.4}).Phase(VAP, {0.6, 0.3, 0.1}).MolarFlow(42.0);
    calc->tvpPsia = 9.0;
    calc->bpRvpPsia = 8.0;
    calc->dTvpdRvp = 1.5;
    calc->tvpTooLarge = true;

    ASSERT_EQ(calc->LoadFluidState(), 1);
    EXPECT_EQ(Value(calc->snapshot.temperature), 15.0);
    EXPECT_EQ(Value(calc->snapshot.pressure), 350.0);
    ASSERT_EQ(Value(calc->snapshot.componentCount), 3);
    EXPECT_THAT(Values(calc->snapshot.composition[FEED], 3), ElementsAre(0.1, 0.5, 0.4));
    EXPECT_THAT(Values(calc->snapshot.composition[VAP], 3), ElementsAre(0.6, 0.3, 0.1));
    EXPECT_THAT(Presence(calc->snapshot), ElementsAre(1, 0, 0, 0));
    EXPECT_THAT(Values(calc->molecularWeights, 3), ElementsAre(16.0425, 72.1488, 86.1754));
    EXPECT_EQ(calc->molarFlow, 42.0);
    // The FEED load starts the carried values afresh; the TVP equation's own two stay.
    EXPECT_EQ(calc->tvpPsia, EMPTY_VALUE);
    EXPECT_EQ(calc->bpRvpPsia, EMPTY_VALUE);
    EXPECT_EQ(calc->dTvpdRvp, 1.5);
    EXPECT_TRUE(calc->tvpTooLarge);
    // molecularWeights is the calculator's own copy, not the shared array buffer.
    EXPECT_NE(calc->molecularWeights, calc->componentValues);
}

TEST_F(LoadFluidStateTest, ReuseAnswersWithoutAskingTheHost) {
    ScriptedFluid& fluid = MakeFluid({NPentane, NHexane});
    ASSERT_EQ(calc->LoadFluidState(), 1);
    ASSERT_EQ(calc->LoadStreamAnalysis(), 1);
    const CallCounts before = fluid.calls;
    calc->tvpPsia = 10.0;  // what a previous phase stored

    calc->reuseLoadedData = 1;
    for (int phaseCall = 0; phaseCall < 4; ++phaseCall) {
        EXPECT_EQ(calc->LoadFluidState(), 1);
        EXPECT_EQ(calc->LoadStreamAnalysis(), 1);
    }
    EXPECT_EQ(fluid.calls.fluidSnapshot, 1);
    EXPECT_EQ(fluid.calls.analysis, 1);
    EXPECT_EQ(fluid.calls.componentValues, before.componentValues);
    EXPECT_EQ(calc->tvpPsia, 10.0);
}

TEST_F(LoadFluidStateTest, ReloadFreesWhatThePreviousLoadHeld) {
    MakeFluid({Methane, NPentane, NHexane}).DistillationCurve(FEED, {30, 40, 50, 60, 70, 80, 90, 100, 110});
    ASSERT_EQ(calc->LoadFluidState(), 1);
    ASSERT_EQ(calc->LoadStreamAnalysis(), 1);
    const int64_t afterFirst = comrt_TaskMemOutstanding();
    ASSERT_EQ(calc->LoadFluidState(), 1);
    ASSERT_EQ(calc->LoadStreamAnalysis(), 1);
    EXPECT_EQ(comrt_TaskMemOutstanding(), afterFirst);
}

// Every failed load ends like a reset: nothing half-loaded for the phase calls to reuse,
// no message, and (under the sanitizers) no read past what the host handed out.
TEST_F(LoadFluidStateTest, FailedLoadsLeaveAResetCalculator) {
    struct Case {
        const char* fault;
        std::function<void(ScriptedFluid&)> script;
    };
    const Case cases[] = {
        {"snapshot fails", [](ScriptedFluid& f) { f.FailSnapshot(E_FAIL); }},
        {"no components", [](ScriptedFluid& f) { f.ComponentCount(0); }},
        {"negative component count", [](ScriptedFluid& f) { f.ComponentCount(-3); }},
        {"null feed composition", [](ScriptedFluid& f) { f.NullComposition(FEED); }},
        {"no molecular weights", [](ScriptedFluid& f) { f.RemoveArray("Molecular Weight"); }},
        {"molecular weights fail", [](ScriptedFluid& f) { f.FailArray("Molecular Weight", E_OUTOFMEMORY); }},
        {"molecular weights short", [](ScriptedFluid& f) { f.ShortenArray("Molecular Weight", 2); }},
        {"count above the arrays", [](ScriptedFluid& f) { f.ComponentCount(5); }},
        {"molar flow fails", [](ScriptedFluid& f) { f.FailArray("MolarFlow"); }},
        {"molar flow empty", [](ScriptedFluid& f) { f.ShortenArray("MolarFlow", 0); }},
        // A host that raises counts as one that failed, at each of its three calls.
        {"snapshot raises", [](ScriptedFluid& f) { f.ThrowAt("GetFluidSnapshot"); }},
        {"molecular weights raise", [](ScriptedFluid& f) { f.ThrowAt(ComponentValuesCall("Molecular Weight")); }},
        {"molar flow raises", [](ScriptedFluid& f) { f.ThrowAt(ComponentValuesCall("MolarFlow")); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fault);
        ScriptedFluid& fluid = MakeFluid({Methane, NPentane, NHexane});
        c.script(fluid);
        calc->tvpPsia = 10.0;

        EXPECT_EQ(calc->LoadFluidState(), 0);
        EXPECT_TRUE(IsZero(&calc->snapshot, sizeof calc->snapshot));
        EXPECT_EQ(calc->molecularWeights, nullptr);
        EXPECT_EQ(calc->molarFlow, EMPTY_VALUE);
        EXPECT_EQ(calc->tvpPsia, EMPTY_VALUE);
        EXPECT_TRUE(fluid.messages.empty());
    }
}

TEST_F(LoadFluidStateTest, StreamAnalysisLoadsAndFailsClean) {
    ScriptedFluid& fluid = MakeFluid({NPentane, NHexane});
    fluid.BpCurveRvp(LIQ1, 55.0).DistillationCurve(FEED, {20, 25, 30, 35, 40, 45, 50, 55, 60});
    ASSERT_EQ(calc->LoadStreamAnalysis(), 1);
    EXPECT_THAT(BpCurveRvps(calc->analysis),
                ElementsAre(EMPTY_VALUE, 55.0, EMPTY_VALUE, EMPTY_VALUE, EMPTY_VALUE));
    ASSERT_NE(Value(calc->analysis.distillationCurve[FEED]), nullptr);
    EXPECT_EQ(calc->analysis.distillationCurve[FEED][4], 40.0);
    EXPECT_EQ(Value(calc->analysis.distillationCurve[VAP]), nullptr);

    fluid.FailAnalysis(E_FAIL);
    EXPECT_EQ(calc->LoadStreamAnalysis(), 0);
    EXPECT_TRUE(IsZero(&calc->analysis, sizeof calc->analysis));

    fluid.FailAnalysis(S_OK).ThrowAt("GetAnalysis");
    EXPECT_EQ(calc->LoadStreamAnalysis(), 0);
    EXPECT_TRUE(IsZero(&calc->analysis, sizeof calc->analysis));
}

// Reuse keeps only an analysis that loaded: after a failed FEED load the all-zero record
// (a boiling-point-curve RVP of 0 kPa) never passes for a valid one.
TEST_F(LoadFluidStateTest, ReuseAfterAFailedAnalysisAsksTheHostAgain) {
    ScriptedFluid& fluid = MakeFluid({NPentane, NHexane});
    fluid.BpCurveRvp(VAP, 55.0).FailAnalysis(E_FAIL);
    ASSERT_EQ(calc->LoadStreamAnalysis(), 0);

    calc->reuseLoadedData = 1;
    EXPECT_EQ(calc->LoadStreamAnalysis(), 0) << "a host that still fails";
    fluid.FailAnalysis(S_OK);
    ASSERT_EQ(calc->LoadStreamAnalysis(), 1);
    EXPECT_EQ(BpCurveRvps(calc->analysis)[VAP], 55.0);
    const int callsAfterLoad = fluid.calls.analysis;
    EXPECT_EQ(calc->LoadStreamAnalysis(), 1);
    EXPECT_EQ(fluid.calls.analysis, callsAfterLoad) << "a loaded analysis is reused";
    EXPECT_EQ(callsAfterLoad, 3);
}

class ComponentArrayTest : public CalculatorTest {};

TEST_F(ComponentArrayTest, UncopiedArraysShareTheCalculatorsBuffer) {
    ScriptedFluid& fluid = MakeFluid({Methane, NPentane, NHexane});
    fluid.Array("MolarFlow", {250.0, 1.0, 2.0});
    const int64_t blocksBefore = comrt_TaskMemOutstanding();

    double* weights = calc->GetComponentArray("Molecular Weight", 0);
    ASSERT_NE(weights, nullptr);
    EXPECT_EQ(weights[1], 72.1488);
    double* flows = calc->GetComponentArray("MolarFlow", 0);
    EXPECT_EQ(flows, weights);
    EXPECT_EQ(flows, calc->componentValues);
    EXPECT_THAT(Values(flows, 3), ElementsAre(250.0, 1.0, 2.0));
    // Only the host's buffer was allocated, and it stays the calculator's.
    EXPECT_EQ(comrt_TaskMemOutstanding(), blocksBefore + 1);
}

TEST_F(ComponentArrayTest, CopiesAreTheCallersOwnBlocks) {
    MakeFluid({Water, Oxygen, Nitrogen});
    ComponentArray ids(calc->GetComponentArray("ComponentIDs", 1));
    ComponentArray cas(calc->GetComponentArray("CAS_Numbers", 1));
    ASSERT_TRUE(ids && cas);
    EXPECT_NE(ids.get(), calc->componentValues);
    EXPECT_NE(ids.get(), cas.get());
    EXPECT_THAT(Values(ids.get(), 3), ElementsAre(19, 28, 13));
    EXPECT_THAT(Values(cas.get(), 3), ElementsAre(7732185, 7782447, 7727379));
}

TEST_F(ComponentArrayTest, MissingShortOrFailingArraysGiveNull) {
    ScriptedFluid& fluid = MakeFluid({Methane, NPentane, NHexane});
    ASSERT_EQ(calc->LoadFluidState(), 1);
    fluid.RemoveArray("ComponentIDs").FailArray("CAS_Numbers").ShortenArray("Molecular Weight", 2);
    for (int copy : {0, 1}) {
        SCOPED_TRACE(copy);
        EXPECT_EQ(calc->GetComponentArray("ComponentIDs", copy), nullptr);
        EXPECT_EQ(calc->GetComponentArray("CAS_Numbers", copy), nullptr);
        EXPECT_EQ(calc->GetComponentArray("Molecular Weight", copy), nullptr);
        EXPECT_EQ(calc->GetComponentArray(nullptr, copy), nullptr);
    }
    // One value is all "MolarFlow" needs.
    EXPECT_NE(calc->GetComponentArray("MolarFlow", 0), nullptr);
    // A host that raises hands out nothing.
    fluid.ThrowAt(ComponentValuesCall("MolarFlow"));
    for (int copy : {0, 1}) EXPECT_EQ(calc->GetComponentArray("MolarFlow", copy), nullptr);
}

class PreparePhaseWorkTest : public CalculatorTest {};

TEST_F(PreparePhaseWorkTest, CutsThePhaseOutAsANewFluid) {
    MakeFluid({NButane, NPentane, NHexane})
        .Conditions(20.0, 500.0)
        .Feed({0.2, 0.3, 0.5})
        .Phase(LIQ2, {0.01, 0.09, 0.9});
    ASSERT_EQ(calc->LoadFluidState(), 1);

    WorkingRecord work(calc->PreparePhaseWork(calc->snapshot, LIQ2));
    const FluidSnapshot& w = work.get();
    EXPECT_EQ(Value(w.temperature), 20.0);
    EXPECT_EQ(Value(w.pressure), 500.0);
    ASSERT_EQ(Value(w.componentCount), 3);
    EXPECT_THAT(Values(w.composition[FEED], 3), ElementsAre(0.01, 0.09, 0.9));
    for (int32_t p : {VAP, LIQ1, LIQ2, SOLID}) {
        SCOPED_TRACE(p);
        EXPECT_THAT(Values(w.composition[p], 3), ElementsAre(EMPTY_VALUE, EMPTY_VALUE, EMPTY_VALUE));
    }
    for (int32_t p = 0; p < PHASE_COUNT; ++p) {
        EXPECT_NE(Value(w.composition[p]), Value(calc->snapshot.composition[p]))
            << "fresh arrays, never the snapshot's";
        EXPECT_EQ(Value(w.phasePropertyA[p]), EMPTY_VALUE);
        EXPECT_EQ(Value(w.phasePropertyB[p]), EMPTY_VALUE);
        EXPECT_EQ(Value(w.phasePropertyC[p]), EMPTY_VALUE);
        EXPECT_EQ(Value(w.molarVolume[p]), EMPTY_VALUE);
    }
    for (int32_t p = 0; p < PHASE_COUNT_NO_FEED; ++p) EXPECT_EQ(Value(w.phaseFraction[p]), EMPTY_VALUE);
    EXPECT_THAT(Presence(w), ElementsAre(-32767, -32767, -32767, -32767));
    EXPECT_TRUE(IsZero(w.reserved, sizeof w.reserved));
}

TEST_F(PreparePhaseWorkTest, NothingToCutGivesARecordWithoutArrays) {
    double x[2] = {0.5, 0.5};
    FluidSnapshot source{};
    source.componentCount = 2;
    source.composition[FEED] = x;
    struct Case {
        const char* fault;
        int32_t count;
        int32_t phase;
    };
    for (const Case& c : {Case{"null phase composition", 2, VAP}, Case{"no components", 0, FEED},
                          Case{"negative count", -1, FEED}, Case{"phase out of range", 2, 5},
                          Case{"negative phase", 2, -1}}) {
        SCOPED_TRACE(c.fault);
        source.componentCount = c.count;
        WorkingRecord work(calc->PreparePhaseWork(source, c.phase));
        for (int32_t p = 0; p < PHASE_COUNT; ++p) EXPECT_EQ(Value(work->composition[p]), nullptr);
        EXPECT_THAT(Presence(work.get()), ElementsAre(-32767, -32767, -32767, -32767));
    }
}

// Fractions and identities of a four-component working fluid, the removal percentage,
// and the composition expected after the removal.
struct RemovalCase {
    const char* what;
    std::vector<double> ids;  // empty: the host had no "ComponentIDs"
    std::vector<double> cas;  // empty: the host had no "CAS_Numbers"
    std::vector<double> x;
    double percent;
    std::vector<double> expected;
};

void PrintTo(const RemovalCase& c, std::ostream* os) { *os << c.what; }

class RemoveNonCondensablesTest : public CalculatorTest, public ::testing::WithParamInterface<RemovalCase> {};

TEST_P(RemoveNonCondensablesTest, ZeroesSmallGasesAndRenormalises) {
    const RemovalCase& c = GetParam();
    std::vector<double> x = c.x;
    FluidSnapshot work{};
    work.componentCount = static_cast<int32_t>(x.size());
    work.composition[FEED] = x.data();
    double marker = 0.25;
    work.composition[VAP] = &marker;

    calc->RemoveNonCondensables(c.ids.empty() ? nullptr : c.ids.data(), c.cas.empty() ? nullptr : c.cas.data(), work,
                                c.percent);
    ASSERT_EQ(x.size(), c.expected.size());
    for (size_t i = 0; i < x.size(); ++i) EXPECT_DOUBLE_EQ(x[i], c.expected[i]) << "component " << i;
    EXPECT_EQ(marker, 0.25) << "only the overall composition changes";
}

const std::vector<double> kIds{1, 7, 13, 20};              // methane, n-pentane, nitrogen, hydrogen
const std::vector<double> kCas{74828, 109660, 7727379, 1333740};
const std::vector<double> kNoIds{99, 98, 97, 96};           // identifies nothing by id
const std::vector<double> kNoCas{1, 2, 3, 4};               // identifies nothing by CAS number

INSTANTIATE_TEST_SUITE_P(
    Cases, RemoveNonCondensablesTest,
    ::testing::Values(
        RemovalCase{"empty percentage removes nothing but still normalises", kIds, kCas, {0.01, 0.5, 0.2, 0.09},
                    EMPTY_VALUE, {0.0125, 0.625, 0.25, 0.1125}},
        RemovalCase{"below 5 % goes, at and above stays (by id)", {1, 1, 1, 7}, kNoCas, {0.04, 0.05, 0.06, 0.85},
                    5.0, {0.0, 0.05 / 0.96, 0.06 / 0.96, 0.85 / 0.96}},
        RemovalCase{"methane's CAS number counts whatever its id", {3, 1, 7, 8}, {74828, 74828, 109660, 110543},
                    {0.04, 0.06, 0.5, 0.4}, 5.0, {0.0, 0.06 / 0.96, 0.5 / 0.96, 0.4 / 0.96}},
        RemovalCase{"nitrogen and hydrogen by CAS number alone", kNoIds, kCas, {0.1, 0.8, 0.04, 0.06}, 5.0,
                    {0.1 / 0.96, 0.8 / 0.96, 0.0, 0.06 / 0.96}},
        RemovalCase{"nitrogen and hydrogen by id alone", kIds, kNoCas, {0.1, 0.8, 0.06, 0.04}, 5.0,
                    {0.1 / 0.96, 0.8 / 0.96, 0.06 / 0.96, 0.0}},
        RemovalCase{"a small condensable stays", kIds, kCas, {0.3, 0.01, 0.3, 0.39}, 5.0,
                    {0.3, 0.01, 0.3, 0.39}},
        RemovalCase{"no identifying arrays: nothing removed, still normalised", {}, {}, {0.01, 0.01, 0.01, 0.47},
                    5.0, {0.02, 0.02, 0.02, 0.94}},
        RemovalCase{"everything removed: composition kept as it came", kIds, kCas, {0.01, 0.0, 0.02, 0.03}, 5.0,
                    {0.01, 0.0, 0.02, 0.03}},
        RemovalCase{"all-zero composition stays zero, no division", kIds, kCas, {0, 0, 0, 0}, 5.0, {0, 0, 0, 0}}),
    [](const auto& param) { return "Case" + std::to_string(param.index); });

class CalculatorLifetimeTest : public CalculatorTest {};

// Reset and destruction give back every host block and every reference.
TEST_F(CalculatorLifetimeTest, DestructionReleasesAndFreesEverything) {
    ScriptedFluid& fluid = MakeFluid({Methane, NPentane, NHexane});
    fluid.DistillationCurve(FEED, {30, 40, 50, 60, 70, 80, 90, 100, 110});
    const int64_t blocksBefore = comrt_TaskMemOutstanding();
    {
        CPropertyCalculator local;
        testsupport::InstallFluid(local, fluid);
        ASSERT_EQ(local.LoadFluidState(), 1);
        ASSERT_EQ(local.LoadStreamAnalysis(), 1);
        ASSERT_NE(local.GetComponentArray("ComponentIDs", 0), nullptr);
        // 5 compositions, molecular weights, the array buffer, 5 curve blocks, 1 curve.
        EXPECT_EQ(comrt_TaskMemOutstanding(), blocksBefore + 13);
        EXPECT_EQ(fluid.liveReferences(), 1u + 2u /* fixture's */ + 2u);
    }
    EXPECT_EQ(comrt_TaskMemOutstanding(), blocksBefore);
    EXPECT_EQ(fluid.liveReferences(), 3u);
}

TEST_F(CalculatorLifetimeTest, ResetsFreeTheLoadedBlocksAndZeroTheRecords) {
    MakeFluid({Methane, NPentane}).DistillationCurve(LIQ1, {1, 2, 3});
    const int64_t blocksBefore = comrt_TaskMemOutstanding();
    ASSERT_EQ(calc->LoadFluidState(), 1);
    ASSERT_EQ(calc->LoadStreamAnalysis(), 1);
    calc->ResetFluidState();
    calc->ResetStreamAnalysis();
    EXPECT_EQ(comrt_TaskMemOutstanding(), blocksBefore + 1) << "only the array buffer outlives a reset";
    EXPECT_TRUE(IsZero(&calc->snapshot, sizeof calc->snapshot));
    EXPECT_TRUE(IsZero(&calc->analysis, sizeof calc->analysis));
    EXPECT_EQ(calc->molecularWeights, nullptr);
    EXPECT_NE(calc->componentValues, nullptr);
}

}  // namespace
}  // namespace volacor
