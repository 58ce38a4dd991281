// API 5B1.1: the inputs and their range checks, the ASTM 10 % slope, and the companion
// link (found beside the executable, loaded once, retried after a failure, what is done
// with each kind of answer). The real companion sits beside this test program in
// build/bin; stand-ins under the same file name sit in build/bin/test_companions/. The
// fixture proves after every test that each reference was released and each task-memory
// block freed.
#include <unistd.h>

#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "comrt/library.h"
#include "companion/refined_stock_relation.h"
#include "companion/tests/recording_companion.h"
#include "methods/api_5b1_1_companion.h"
#include "methods/methods.h"
#include "testsupport/fluid_installation.h"

namespace volacor {
namespace {

using testing::ElementsAre;
using testing::IsEmpty;
using testing::StartsWith;
using testsupport::CalculatorTest;
using testsupport::ScriptedFluid;
using namespace testsupport;  // components

constexpr double KPA_PER_PSI = 6.8943;
constexpr double T_60_F_IN_R = 519.69;

const std::string kNotFound =
    "Phase: FEED - API 5B1.1 Companion library not found - returning the start estimate.";
const std::string kNoBpRvp =
    "Phase: FEED - API 5B1.1 The BP Curves utility associated with the stream did not calculate an RVP value.";

std::string ExecutableDirectory() {
    char path[PATH_MAX];
    if (GetModuleFileNameA(nullptr, path, sizeof path) == 0) return {};
    std::string text(path);
    return text.substr(0, text.rfind('/'));
}

int loads = 0;
HMODULE CountingLoader(const char* path) {
    ++loads;
    return LoadLibraryA(path);
}

TEST(CompanionName, UnscramblesToTheExactFileName) {
    char name[api_5b1_1::COMPANION_NAME_LENGTH + 1];
    std::memset(name, 'X', sizeof name);
    api_5b1_1::UnscrambleCompanionName(name);
    EXPECT_STREQ(name, "libapi5b11companion.so");
}

TEST(CompanionName, PathIsTheExecutablesDirectoryPlusTheName) {
    struct Case {
        const char* executable;
        size_t size;
        const char* path;  // null: none
    };
    const Case cases[] = {
        {"/opt/host/bin/volacor", PATH_MAX, "/opt/host/bin/libapi5b11companion.so"},
        {"/a/x", PATH_MAX, "/a/libapi5b11companion.so"},
        {"//x", PATH_MAX, nullptr},      // a directory of 2 characters is too short
        {"/x", PATH_MAX, nullptr},       // the root alone
        {"volacor", PATH_MAX, nullptr},  // no directory at all
        {"/opt/x", 5 + 22 + 1, "/opt/libapi5b11companion.so"},  // "/opt/", the name, the zero
        {"/opt/x", 5 + 22, nullptr},     // one byte short: never a cut name
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.executable);
        char path[PATH_MAX];
        const bool found = api_5b1_1::CompanionPathBeside(c.executable, path, c.size);
        ASSERT_EQ(found, c.path != nullptr);
        if (found) {
            EXPECT_STREQ(path, c.path);
        }
    }
}

class Api5B1_1Phase : public CalculatorTest {
protected:
    void SetUp() override {
        CalculatorTest::SetUp();
        api_5b1_1::ResetCompanionLink();
        api_5b1_1::SetCompanionDirectory(nullptr);
        api_5b1_1::SetCompanionLoader(&CountingLoader);
        loads = 0;
    }
    void TearDown() override {
        if (recording_) FreeLibrary(recording_);
        api_5b1_1::ResetCompanionLink();
        api_5b1_1::SetCompanionDirectory(nullptr);
        api_5b1_1::SetCompanionLoader(nullptr);
        CalculatorTest::TearDown();
    }

    // A FEED with this bubble point, boiling-point RVP and distillation points 4 and 8.
    ScriptedFluid& Feed(double tvp_psia, double bpRvp_psia, double t4_C = 50.0, double t8_C = 62.5) {
        ScriptedFluid& fluid = MakeFluid({NButane, NPentane, NHexane});
        fluid.OnFlash(ScriptedFluid::BubblePoint(tvp_psia * KPA_PER_PSI))
            .DistillationCurve(FEED, {20.0, 30.0, 35.0, 40.0, t4_C, 52.0, 55.0, 60.0, t8_C, 70.0});
        if (bpRvp_psia != EMPTY_VALUE) fluid.BpCurveRvp(FEED, bpRvp_psia * KPA_PER_PSI);
        return fluid;
    }

    // Points the method at the recording stand-in and gives the test its state.
    RecordingCompanionState& UseRecordingCompanion() {
        const std::string directory = ExecutableDirectory() + "/test_companions/recording";
        api_5b1_1::SetCompanionDirectory(directory.c_str());
        recording_ = LoadLibraryA((directory + "/libapi5b11companion.so").c_str());
        EXPECT_NE(recording_, nullptr);
        auto state = reinterpret_cast<RecordingCompanionStateFn>(GetProcAddress(recording_, "recording_companion_state"));
        EXPECT_NE(state, nullptr);
        RecordingCompanionState& s = *state();
        s = RecordingCompanionState{};
        return s;
    }

    HMODULE recording_ = nullptr;
};

TEST_F(Api5B1_1Phase, TheRealCompanionSolvesAndItsLineIsPassedOn) {
    // Distillation points 50 and 62.5 °C: slope 2.25 °F per vol %, root 1.5.
    const double tvp = api5b11::TvpFromRvp_psia(9.0, 1.5, 60.0);
    ScriptedFluid& fluid = Feed(tvp, 8.0);
    EXPECT_NEAR(api_5b1_1::CalculatePhase(calc, FEED, T_60_F_IN_R, 0.0), 9.0 * KPA_PER_PSI, 1e-8);
    ASSERT_EQ(fluid.messages.size(), 1u);
    EXPECT_THAT(fluid.messages[0], StartsWith("Phase: FEED - API 5B1.1 RVP 9 psi solves TVP "));
    ASSERT_EQ(fluid.flashRequests.size(), 1u);
    EXPECT_NEAR(fluid.flashRequests[0].temperature_C, (60.0 - 32.0) / 1.8, 1e-9);
    EXPECT_EQ(fluid.flashRequests[0].pressure_kPa, EMPTY_VALUE);
    EXPECT_EQ(fluid.flashRequests[0].vapourFraction, 0.0);
}

TEST_F(Api5B1_1Phase, TwoCallsLoadTheCompanionOnce) {
    ScriptedFluid& fluid = Feed(api5b11::TvpFromRvp_psia(9.0, 1.5, 60.0), 8.0);
    fluid.Phase(VAP, {0.5, 0.3, 0.2});
    EXPECT_NEAR(api_5b1_1::CalculatePhase(calc, FEED, T_60_F_IN_R, 0.0), 9.0 * KPA_PER_PSI, 1e-8);
    calc->reuseLoadedData = 1;
    EXPECT_NE(api_5b1_1::CalculatePhase(calc, VAP, T_60_F_IN_R, 0.0), EMPTY_VALUE);
    calc->reuseLoadedData = 0;
    EXPECT_EQ(loads, 1);
}

TEST_F(Api5B1_1Phase, WithoutTheCompanionTheStartEstimateComesBackAndSaysSo) {
    char folder[] = "/tmp/volacor-empty-XXXXXX";
    ASSERT_NE(mkdtemp(folder), nullptr);
    api_5b1_1::SetCompanionDirectory(folder);
    {
        ScriptedFluid& fluid = Feed(5.0, 8.0);
        EXPECT_NEAR(api_5b1_1::CalculatePhase(calc, FEED, T_60_F_IN_R, 0.0), 0.9 * 8.0 * KPA_PER_PSI, 1e-9);
        EXPECT_THAT(fluid.messages, ElementsAre(kNotFound));
    }
    {
        // No boiling-point RVP: the estimate is 0.9 · TVP.
        ScriptedFluid& fluid = Feed(5.0, EMPTY_VALUE);
        EXPECT_NEAR(api_5b1_1::CalculatePhase(calc, FEED, T_60_F_IN_R, 0.0), 0.9 * 5.0 * KPA_PER_PSI, 1e-9);
        EXPECT_THAT(fluid.messages, ElementsAre(kNoBpRvp, kNotFound));
    }
    EXPECT_EQ(loads, 2);  // a failed load is tried again on every call
    rmdir(folder);

    // Back beside the executable, the next call finds it.
    api_5b1_1::SetCompanionDirectory(nullptr);
    ScriptedFluid& fluid = Feed(api5b11::TvpFromRvp_psia(9.0, 1.5, 60.0), 8.0);
    EXPECT_NEAR(api_5b1_1::CalculatePhase(calc, FEED, T_60_F_IN_R, 0.0), 9.0 * KPA_PER_PSI, 1e-8);
    EXPECT_EQ(loads, 3);
    EXPECT_THAT(fluid.messages, ElementsAre(StartsWith("Phase: FEED - API 5B1.1 RVP 9 psi")));
}

TEST_F(Api5B1_1Phase, ALibraryWithoutTheEntryCountsAsNotFoundAndIsKept) {
    api_5b1_1::SetCompanionDirectory((ExecutableDirectory() + "/test_companions/entryless").c_str());
    for (int call = 0; call < 2; ++call) {
        SCOPED_TRACE(call);
        ScriptedFluid& fluid = Feed(5.0, 8.0);
        EXPECT_NEAR(api_5b1_1::CalculatePhase(calc, FEED, T_60_F_IN_R, 0.0), 0.9 * 8.0 * KPA_PER_PSI, 1e-9);
        EXPECT_THAT(fluid.messages, ElementsAre(kNotFound));
    }
    EXPECT_EQ(loads, 1);  // loaded once; only the lookup is tried again
}

TEST_F(Api5B1_1Phase, HandsTheCompanionItsInputsUnchanged) {
    RecordingCompanionState& companion = UseRecordingCompanion();
    ScriptedFluid& fluid = MakeFluid({NButane, NPentane, NHexane});
    fluid.Phase(LIQ1, {0.2, 0.4, 0.4})
        .OnFlash(ScriptedFluid::BubblePoint(5.0 * KPA_PER_PSI))
        .BpCurveRvp(LIQ1, 8.0 * KPA_PER_PSI)
        .DistillationCurve(LIQ1, {0, 0, 0, 0, 0.0, 0, 0, 0, 25.0, 0});  // slope 4.5
    const double rvp = api_5b1_1::CalculatePhase(calc, LIQ1, 530.0, 0.0);
    EXPECT_EQ(rvp, 10.0 * KPA_PER_PSI);  // the companion's 10 psia, in kPa
    EXPECT_EQ(companion.calls, 1);
    EXPECT_DOUBLE_EQ(companion.tvp, 5.0);
    EXPECT_DOUBLE_EQ(companion.rvpIn, 0.9 * 8.0);
    EXPECT_DOUBLE_EQ(companion.sqrtSlope, std::sqrt(4.5));
    EXPECT_EQ(companion.temperature_R, 530.0);
    EXPECT_STREQ(companion.phaseName, "LIQ1");
    EXPECT_TRUE(companion.messageWasEmpty);
    // The slope warning, and nothing from a companion that wrote nothing.
    EXPECT_THAT(fluid.messages,
                ElementsAre("Phase: LIQ1 - API 5B1.1 ASTM 10% slope (Value:    4.5) outside applicable range "
                            "(0 - 4 \xB0" "F/Vol% Distilled)."));
}

TEST_F(Api5B1_1Phase, WhatIsDoneWithEachAnswer) {
    struct Case {
        const char* what;
        double answer;
        RecordingCompanionState::Line line;
        double result_kPa;
        std::vector<std::string> messages;
    };
    const std::string rvpRange = "Phase: FEED - API 5B1.1 Outside applicable RVP range (0 - 20 psia).";
    const std::string companionLine = "a line from the companion";
    const Case cases[] = {
        {"EMPTY_VALUE with a reason", EMPTY_VALUE, RecordingCompanionState::Line::Text, EMPTY_VALUE, {companionLine}},
        {"RVP 0", 0.0, RecordingCompanionState::Line::None, 0.0, {}},
        {"RVP 20", 20.0, RecordingCompanionState::Line::None, 20.0 * KPA_PER_PSI, {}},
        {"RVP 20.5", 20.5, RecordingCompanionState::Line::None, 20.5 * KPA_PER_PSI, {rvpRange}},
        {"RVP -0.5", -0.5, RecordingCompanionState::Line::None, -0.5 * KPA_PER_PSI, {rvpRange}},
        {"not a number", std::nan(""), RecordingCompanionState::Line::None, EMPTY_VALUE, {}},
        // 256 bytes without a terminator: only the first 255 reach the host.
        {"unterminated line", 10.0, RecordingCompanionState::Line::Unterminated, 10.0 * KPA_PER_PSI,
         {std::string(255, 'A')}},
    };
    RecordingCompanionState& companion = UseRecordingCompanion();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        companion.answer = c.answer;
        companion.line = c.line;
        std::strcpy(companion.text, companionLine.c_str());
        ScriptedFluid& fluid = Feed(5.0, 8.0);
        EXPECT_EQ(api_5b1_1::CalculatePhase(calc, FEED, T_60_F_IN_R, 0.0), c.result_kPa);
        EXPECT_EQ(fluid.messages, c.messages);
    }
}

TEST_F(Api5B1_1Phase, ASilentCompanionNeverRepeatsTheLastWarning) {
    RecordingCompanionState& companion = UseRecordingCompanion();
    ScriptedFluid& fluid = Feed(30.0, 8.0);  // TVP outside 0.2 - 24 psia
    EXPECT_EQ(api_5b1_1::CalculatePhase(calc, FEED, T_60_F_IN_R, 0.0), 10.0 * KPA_PER_PSI);
    EXPECT_EQ(companion.calls, 1);
    EXPECT_THAT(fluid.messages, ElementsAre("Phase: FEED - API 5B1.1 Outside applicable TVP range (0.2 - 24 psia)."));
}

TEST_F(Api5B1_1Phase, SlopeFromDistillationPointsFourAndEight) {
    struct Case {
        const char* what;
        bool curve;
        double t4_C;
        double t8_C;
        double sqrtSlope;  // NaN: not a number expected
        std::vector<std::string> messages;
    };
    const auto slopeLine = [](const char* value) {
        return std::string("Phase: FEED - API 5B1.1 ASTM 10% slope (Value: ") + value +
               ") outside applicable range (0 - 4 \xB0" "F/Vol% Distilled).";
    };
    const Case cases[] = {
        {"slope 2.25", true, 50.0, 62.5, 1.5, {}},
        {"slope exactly 0", true, 40.0, 40.0, 0.0, {}},
        {"slope exactly 4", true, 0.0, 200.0 / 9.0, 2.0, {}},
        {"slope 4.5", true, 0.0, 25.0, std::sqrt(4.5), {slopeLine("   4.5")}},
        {"negative slope", true, 10.0, 0.0, std::nan(""), {slopeLine("  -1.8")}},
        {"point 4 missing", true, EMPTY_VALUE, 60.0, 0.0, {}},
        {"point 8 missing", true, 40.0, EMPTY_VALUE, 0.0, {}},
        {"no curve at all", false, 0.0, 0.0, 0.0, {}},
    };
    RecordingCompanionState& companion = UseRecordingCompanion();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ScriptedFluid& fluid = MakeFluid({NButane, NPentane, NHexane});
        fluid.OnFlash(ScriptedFluid::BubblePoint(5.0 * KPA_PER_PSI)).BpCurveRvp(FEED, 8.0 * KPA_PER_PSI);
        if (c.curve) fluid.DistillationCurve(FEED, {0, 0, 0, 0, c.t4_C, 0, 0, 0, c.t8_C, 0});
        EXPECT_EQ(api_5b1_1::CalculatePhase(calc, FEED, T_60_F_IN_R, 0.0), 10.0 * KPA_PER_PSI);
        if (std::isnan(c.sqrtSlope)) {
            EXPECT_TRUE(std::isnan(companion.sqrtSlope));
        } else {
            EXPECT_DOUBLE_EQ(companion.sqrtSlope, c.sqrtSlope);
        }
        EXPECT_EQ(fluid.messages, c.messages);
    }
}

TEST_F(Api5B1_1Phase, RangeWarningsAtTheirEdges) {
    struct Case {
        const char* what;
        double temperature_R;
        double tvp_psia;
        std::vector<std::string> messages;
    };
    const std::string temperatureRange =
        "Phase: FEED - API 5B1.1 Outside applicable temperature range (0 - 120\xB0" "F).";
    const std::string tvpRange = "Phase: FEED - API 5B1.1 Outside applicable TVP range (0.2 - 24 psia).";
    const Case cases[] = {
        {"0 \xB0" "F", 459.69, 5.0, {}},
        {"120 \xB0" "F", 579.69, 5.0, {}},
        {"below 0 \xB0" "F", 459.68, 5.0, {temperatureRange}},
        {"above 120 \xB0" "F", 579.70, 5.0, {temperatureRange}},
        {"TVP 0.2", T_60_F_IN_R, 0.2, {}},
        {"TVP 24", T_60_F_IN_R, 24.0, {}},
        {"TVP 0.19", T_60_F_IN_R, 0.19, {tvpRange}},
        {"TVP 24.1", T_60_F_IN_R, 24.1, {tvpRange}},
    };
    UseRecordingCompanion();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ScriptedFluid& fluid = Feed(c.tvp_psia, 8.0);
        EXPECT_EQ(api_5b1_1::CalculatePhase(calc, FEED, c.temperature_R, 0.0), 10.0 * KPA_PER_PSI);
        EXPECT_EQ(fluid.messages, c.messages);
    }
}

TEST_F(Api5B1_1Phase, WithoutTvpTheCompanionIsNotCalled) {
    RecordingCompanionState& companion = UseRecordingCompanion();
    ScriptedFluid& fluid = Feed(5.0, 8.0);
    fluid.OnFlash(ScriptedFluid::Fail());
    EXPECT_EQ(api_5b1_1::CalculatePhase(calc, FEED, T_60_F_IN_R, 0.0), EMPTY_VALUE);
    EXPECT_THAT(fluid.messages, ElementsAre("Phase: FEED - API 5B1.1 Requires TVP."));
    EXPECT_EQ(companion.calls, 0);
}

TEST_F(Api5B1_1Phase, ALaterPhaseInheritsTvpAndCurveRvpSilently) {
    RecordingCompanionState& companion = UseRecordingCompanion();
    ScriptedFluid& fluid = Feed(5.0, 8.0);
    fluid.Phase(VAP, {0.6, 0.3, 0.1}).QueueFlash(ScriptedFluid::BubblePoint(5.0 * KPA_PER_PSI)).OnFlash(ScriptedFluid::Fail());
    api_5b1_1::CalculatePhase(calc, FEED, T_60_F_IN_R, 0.0);
    calc->reuseLoadedData = 1;
    EXPECT_EQ(api_5b1_1::CalculatePhase(calc, VAP, T_60_F_IN_R, 0.0), 10.0 * KPA_PER_PSI);
    calc->reuseLoadedData = 0;
    EXPECT_EQ(companion.calls, 2);
    EXPECT_DOUBLE_EQ(companion.tvp, 5.0);
    EXPECT_DOUBLE_EQ(companion.rvpIn, 0.9 * 8.0);
    EXPECT_EQ(companion.sqrtSlope, 0.0);  // VAP has no distillation curve of its own
    EXPECT_THAT(fluid.messages, IsEmpty());
}

TEST_F(Api5B1_1Phase, SilentEmptyValueWhenThereIsNothingToCalculate) {
    ScriptedFluid& fluid = Feed(5.0, 8.0);
    EXPECT_EQ(api_5b1_1::CalculatePhase(calc, LIQ2, T_60_F_IN_R, 0.0), EMPTY_VALUE);
    fluid.RefuseServices();
    EXPECT_EQ(api_5b1_1::CalculatePhase(calc, FEED, T_60_F_IN_R, 0.0), EMPTY_VALUE);
    EXPECT_THAT(fluid.messages, IsEmpty());
    EXPECT_EQ(loads, 0);
}

}  // namespace
}  // namespace volacor
