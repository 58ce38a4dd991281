// One stream through the shared calculation: the phases present decide what is shown,
// each correlation answers as it would alone, and what goes wrong with the stream is
// told in the words the front ends show.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "comrt/memory.h"
#include "refhost/calculation/stream_calculation.h"
#include "refhost/manager/stream_client.h"
#include "refhost/stream/stream_from_definition.h"
#include "refhost/streams/stream_reader.h"

namespace refhost {
namespace {

using volacor::FEED;
using volacor::LIQ1;
using volacor::LIQ2;
using volacor::SOLID;
using volacor::VAP;

StreamDefinition Example(const std::string& name) {
    return ReadStreamFile(std::string(VOLACOR_SOURCE_DIR) + "/examples/" + name + ".json");
}

CorrelationManager& Manager() {
    static CorrelationManager manager = CorrelationManager::FromLibrary(VOLACOR_LIBRARY_PATH);
    return manager;
}

struct Chosen {
    std::vector<Correlation> owned;
    std::vector<Correlation*> pointers;
};

Chosen Correlations(std::initializer_list<const char*> methods) {
    Chosen chosen;
    for (const char* method : methods) chosen.owned.push_back(Manager().Create(method));
    for (Correlation& correlation : chosen.owned) chosen.pointers.push_back(&correlation);
    return chosen;
}

TEST(StreamCalculation, PhasesPresentAndEveryMethodAsItAnswersAlone) {
    Chosen chosen = Correlations({"d6377-16", "modified-astm", "api-5b1.2"});
    StreamDefinition wet = Example("wet-condensate");
    wet.warnings.push_back("a remark of the reader");
    const StreamCalculation calculation =
        CalculateStream(wet, "wet.json", thermo::EquationOfState::PengRobinson, chosen.pointers);

    // Gas, oil and water at the stream's own conditions; never a solid.
    EXPECT_TRUE(calculation.present[FEED] && calculation.present[VAP] && calculation.present[LIQ1] &&
                calculation.present[LIQ2]);
    EXPECT_FALSE(calculation.present[SOLID]);
    EXPECT_EQ(calculation.warnings, wet.warnings);

    ASSERT_EQ(calculation.methods.size(), 3u);
    Chosen alone = Correlations({"d6377-16", "modified-astm", "api-5b1.2"});
    auto stream = MakeMaterialStream(wet);
    for (size_t i = 0; i < 3; ++i) {
        const MethodCalculation& got = calculation.methods[i];
        EXPECT_EQ(got.method, &chosen.owned[i].method()) << "in the order given";
        const CalculationResult want = alone.owned[i].Calculate(*stream.get());
        EXPECT_EQ(got.result.rvp_kPa, want.rvp_kPa) << got.method->shortName;
        EXPECT_EQ(got.result.messages, want.messages) << got.method->shortName;
        EXPECT_TRUE(got.result.ok() && got.failure.empty());
    }
    EXPECT_TRUE(calculation.methods[0].result.Rvp(FEED).has_value());
    EXPECT_FALSE(calculation.methods[1].result.Rvp(LIQ1).has_value()) << "the feed-only method";
}

TEST(StreamCalculation, TheEquationOfStateReachesTheStream) {
    Chosen chosen = Correlations({"d6377-16"});
    const StreamDefinition naphtha = Example("light-naphtha");
    const auto pr = CalculateStream(naphtha, "n", thermo::EquationOfState::PengRobinson, chosen.pointers);
    const auto srk = CalculateStream(naphtha, "n", thermo::EquationOfState::SoaveRedlichKwong, chosen.pointers);
    const double a = *pr.methods[0].result.Rvp(FEED), b = *srk.methods[0].result.Rvp(FEED);
    EXPECT_NE(a, b);
    EXPECT_NEAR(a, b, 0.1 * a);
}

TEST(StreamCalculation, AStreamThatCannotBeMadeUpNamesItsSourceAndCalculatesNothing) {
    Chosen chosen = Correlations({"d6377-16"});
    StreamDefinition empty = Example("n-pentane");
    empty.components.clear();
    try {
        CalculateStream(empty, "batch.csv:7", thermo::EquationOfState::PengRobinson, chosen.pointers);
        FAIL() << "no exception";
    } catch (const StreamMakeUpError& error) {
        EXPECT_EQ(std::string(error.what()).rfind("batch.csv:7: the stream cannot be made up: ", 0), 0u)
            << error.what();
    }
}

TEST(StreamCalculation, NothingIsLeftBehindOnEveryPath) {
    Chosen chosen = Correlations({"d6377-16", "api-5b1.1"});
    StreamDefinition unusable = Example("n-pentane");
    unusable.components.clear();
    const StreamDefinition condensate = Example("stabilised-condensate");
    auto both = [&] {
        CalculateStream(condensate, "c", thermo::EquationOfState::PengRobinson, chosen.pointers);
        EXPECT_THROW(CalculateStream(unusable, "u", thermo::EquationOfState::PengRobinson, chosen.pointers),
                     StreamMakeUpError);
    };
    both();  // the library's own lasting allocations are made by now
    const int64_t steady = comrt_TaskMemOutstanding();
    both();
    both();
    EXPECT_EQ(comrt_TaskMemOutstanding(), steady);
    EXPECT_EQ(LiveStreamClients(), 0) << "every stream detached and released";
}

TEST(StreamCalculation, NamesOfTheEquationsOfStateAndTheFailureSentence) {
    EXPECT_EQ(EquationOfStateNamed("pr"), thermo::EquationOfState::PengRobinson);
    EXPECT_EQ(EquationOfStateNamed("srk"), thermo::EquationOfState::SoaveRedlichKwong);
    for (const char* bad : {"PR", "vdw", ""}) {
        try {
            EquationOfStateNamed(bad);
            ADD_FAILURE() << bad;
        } catch (const std::invalid_argument& error) {
            EXPECT_NE(std::string(error.what()).find("\"pr\" or \"srk\""), std::string::npos);
        }
    }
    EXPECT_EQ(FailureSentence(static_cast<HRESULT>(0x80004005u)),
              "The method could not calculate this stream (status 0x80004005).");
}

}  // namespace
}  // namespace refhost
