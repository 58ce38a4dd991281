// A host that raises an exception from one of its calls, for each of the nine classes
// calculating a wet condensate through their own methods. A raised call must count as a
// failed one: the outcome (status, every "Phase_Values" element, every message line) is
// the one the same call gives when it returns E_FAIL, Calculate goes on to the other
// phases and returns S_OK, and no reference or task-memory block is left behind. A load
// that raises ends the phase silently; a message output that raises changes nothing.
#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "comrt/testing/task_mem_check.h"
#include "correlation_fixture.h"
#include "testsupport/model_fluid/model_fluid.h"
#include "testsupport/scripted_fluid.h"
#include "testsupport/varhost/correlation_fakes.h"

namespace volacor::testing {
namespace {

using testsupport::ComponentValuesCall;
using testsupport::ScriptedFluid;

struct MethodCase {
    const ClassDescription* description;
    Creator create;
    PhaseProcedure procedure;
};
void PrintTo(const MethodCase& m, std::ostream* os) { *os << m.description->className; }


const MethodCase kMethods[] = {
    {&kAPI_5B1_1, &CAPI_5B1_1::CreateInstance, CAPI_5B1_1::Procedure()},
    {&kAPI_5B1_2, &CAPI_5B1_2::CreateInstance, CAPI_5B1_2::Procedure()},
    {&kASTM_D323_73_79, &CASTM_D323_73_79::CreateInstance, CASTM_D323_73_79::Procedure()},
    {&kASTM_D323_82, &CASTM_D323_82::CreateInstance, CASTM_D323_82::Procedure()},
    {&kASTM_D4953_91, &CASTM_D4953_91::CreateInstance, CASTM_D4953_91::Procedure()},
    {&kASTM_D5191_91, &CASTM_D5191_91::CreateInstance, CASTM_D5191_91::Procedure()},
    {&kASTM_D6377_16, &CASTM_D6377_16::CreateInstance, CASTM_D6377_16::Procedure()},
    {&kOrvan_API, &COrvan_API::CreateInstance, COrvan_API::Procedure()},
    {&kModifiedASTM, &CModifiedASTM::CreateInstance, CModifiedASTM::Procedure()},
};

constexpr double kMarker = 7.5;  // preset in every element before the calculation
constexpr int32_t kFeedElement = 0;

struct Outcome {
    HRESULT status = E_UNEXPECTED;
    std::array<double, 6> elements{};
    std::vector<std::string> messages;
    int flashes = 0;
};

using Script = std::function<void(ScriptedFluid&)>;

class HostExceptionTest : public CorrelationTest, public ::testing::WithParamInterface<MethodCase> {
public:
    // One calculation of the wet condensate by the class under test with the fluid
    // scripted by script; checks that it left no reference and no block behind.
    Outcome Run(const Script& script) {
        Outcome outcome;
        comrt::testing::TaskMemCheck memory;
        {
            auto fluid = model::MakeModelFluid(model::CondensateWithWater(0.05));
            if (!fluid) {
                ADD_FAILURE() << "the model cannot flash the wet condensate";
                return outcome;
            }
            script(*fluid);
            testsupport::FakeContext context;
            testsupport::FakeClient client;
            context.material = static_cast<IHostFluid*>(fluid.get());
            client.context = &context;
            {
                ComPtr<ICorrelation> object;
                const MethodCase& m = GetParam();
                EXPECT_EQ(m.create(m.procedure, nullptr, IID_ICorrelation, object.put_void()), S_OK);
                if (!object) return outcome;
                IVariableSet* clientSet = nullptr;
                int32_t cookie = 0;
                EXPECT_EQ(object->Attach(static_cast<ICorrelationClient*>(&client), 1, &cookie, &clientSet), S_OK);
                auto phaseValues = FindIn<IRealVectorVariable>(clientSet, "Phase_Values", IID_IRealVectorVariable);
                if (!phaseValues) {
                    ADD_FAILURE() << "no Phase_Values in the client's set";
                    return outcome;
                }
                for (int32_t e = 0; e < 6; ++e) phaseValues->SetElement(e, kMarker);
                outcome.status = object->Calculate(cookie);
                for (int32_t e = 0; e < 6; ++e) phaseValues->GetElement(e, &outcome.elements[static_cast<size_t>(e)]);
                EXPECT_EQ(object->Detach(cookie), S_OK);
            }
            outcome.messages = fluid->messages;
            outcome.flashes = fluid->calls.flash;
            // The calculator keeps the last snapshot's blocks until the next calculation.
            testsupport::ClearCalculator(*GetPropertyCalculator());
            EXPECT_EQ(fluid->liveReferences(), 1) << "a reference to the fluid was kept";
            EXPECT_FALSE(fluid->overReleased());
            EXPECT_EQ(context.references, 1u);
            EXPECT_EQ(client.references, 1u);
        }
        EXPECT_EQ(memory.Leaked(), 0) << "task-memory blocks left behind";
        return outcome;
    }
};

void ExpectSameOutcome(const Outcome& raised, const Outcome& failed) {
    EXPECT_EQ(raised.status, failed.status);
    for (size_t e = 0; e < raised.elements.size(); ++e) EXPECT_EQ(raised.elements[e], failed.elements[e]) << e;
    EXPECT_EQ(raised.messages, failed.messages);
    EXPECT_EQ(raised.flashes, failed.flashes);
}

// The loads: the FEED call loads, fails silently and leaves a reset calculator behind,
// so after a failed fluid load the later phase calls find no phase present. After a
// failed stream analysis the phases work on the fluid with an empty analysis (and the
// volume-ratio methods' bisection, which needs no analysis, still answers for FEED),
// exactly as when the host reports the failure.
TEST_P(HostExceptionTest, ARaisingLoadFailsSilentlyAsAFailedOne) {
    struct Load {
        std::string call;
        bool emptiesEveryPhase;
    };
    const Load loads[] = {{"GetFluidSnapshot", true},
                          {ComponentValuesCall("Molecular Weight"), true},
                          {ComponentValuesCall("MolarFlow"), true},
                          {"GetAnalysis", false}};
    for (const Load& load : loads) {
        SCOPED_TRACE(load.call);
        const Outcome raised = Run([&](ScriptedFluid& f) { f.ThrowAt(load.call); });
        EXPECT_EQ(raised.status, S_OK);
        EXPECT_EQ(raised.elements[4], kMarker) << "element 4 is never written";
        if (load.emptiesEveryPhase) {
            for (int32_t e : {0, 1, 2, 3, 5}) EXPECT_EQ(raised.elements[static_cast<size_t>(e)], EMPTY_VALUE) << e;
            EXPECT_TRUE(raised.messages.empty());
            EXPECT_EQ(raised.flashes, 0);
        }
        ExpectSameOutcome(raised, Run([&](ScriptedFluid& f) { f.FailAt(load.call); }));
    }
}

// The services, the identification arrays, and flashes at several points of each
// method's sequence (and every flash): the outcome of a failed call, message included.
TEST_P(HostExceptionTest, ARaisingCallGivesTheOutcomeOfAFailedOne) {
    const Outcome undisturbed = Run([](ScriptedFluid&) {});
    ASSERT_EQ(undisturbed.status, S_OK);
    ASSERT_NE(undisturbed.elements[kFeedElement], EMPTY_VALUE) << "the undisturbed FEED result is the reference";

    struct Disruption {
        std::string call;
        int occurrence;
    };
    std::vector<Disruption> disruptions = {{testsupport::ServicesQueryCall, 1},
                                           {testsupport::ServicesQueryCall, 0},
                                           {ComponentValuesCall("ComponentIDs"), 0},
                                           {ComponentValuesCall("CAS_Numbers"), 1},
                                           {"Flash", 0}};
    // Flashes spread over the whole calculation, the later ones inside the phase calls
    // after FEED.
    for (int k = 1; k <= undisturbed.flashes; k = k < 4 ? k + 1 : k * 2) disruptions.push_back({"Flash", k});
    disruptions.push_back({"Flash", undisturbed.flashes});

    for (const Disruption& d : disruptions) {
        SCOPED_TRACE(d.call + " #" + std::to_string(d.occurrence));
        const Outcome raised = Run([&](ScriptedFluid& f) { f.ThrowAt(d.call, d.occurrence); });
        EXPECT_EQ(raised.status, S_OK);
        ExpectSameOutcome(raised, Run([&](ScriptedFluid& f) { f.FailAt(d.call, d.occurrence); }));
    }
}

TEST_P(HostExceptionTest, ARaisingMessageOutputChangesNoResult) {
    const Outcome undisturbed = Run([](ScriptedFluid&) {});
    const Outcome raised = Run([](ScriptedFluid& f) { f.ThrowAt("AddMessage"); });
    EXPECT_EQ(raised.status, S_OK);
    EXPECT_EQ(raised.elements, undisturbed.elements);
    EXPECT_EQ(raised.flashes, undisturbed.flashes);
    EXPECT_TRUE(raised.messages.empty());
}

INSTANTIATE_TEST_SUITE_P(NineClasses, HostExceptionTest, ::testing::ValuesIn(kMethods),
                         [](const ::testing::TestParamInfo<MethodCase>& param) {
                             return std::string(param.param.description->className);
                         });

}  // namespace
}  // namespace volacor::testing
