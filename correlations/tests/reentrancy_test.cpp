// The host calling back into a correlation object at awkward moments: detaching the
// client that is being calculated from inside one of its own callbacks, and taking and
// giving back a reference while the object lets go of the host's client at its end.
#include <gtest/gtest.h>

#include <utility>

#include "comrt/testing/counting_fake.h"
#include "correlation_fixture.h"
#include "testsupport/scripted_fluid.h"
#include "testsupport/varhost/correlation_fakes.h"

namespace volacor::testing {
namespace {

using testsupport::ScriptedFluid;

class ReentrancyTest : public CorrelationTest {};

// The host detaches the client from inside the flash the calculation asked for. The
// calculation holds its own references to the client and its set, so it finishes,
// writes its results and releases everything; the cookie is gone afterwards.
TEST_F(ReentrancyTest, DetachFromAHostCallbackDuringCalculate) {
    auto fluid = ScriptedFluid::Make({testsupport::NPentane, testsupport::NHexane});
    testsupport::FakeContext context;
    testsupport::FakeClient client;
    context.material = static_cast<IHostFluid*>(fluid.get());
    client.context = &context;
    {
        ComPtr<ICorrelation> object;
        ASSERT_EQ(COrvan_API::CreateInstance(COrvan_API::Procedure(), nullptr, IID_ICorrelation, object.put_void()),
                  S_OK);
        IVariableSet* clientSet = nullptr;
        int32_t cookie = 0;
        ASSERT_EQ(object->Attach(static_cast<ICorrelationClient*>(&client), 1, &cookie, &clientSet), S_OK);
        // The host keeps the set it was handed, so the results can be read after Detach.
        const auto keptSet = ComPtr<IVariableSet>::Share(clientSet);

        int flashes = 0;
        HRESULT detached = E_UNEXPECTED;
        fluid->OnFlash([&](FluidSnapshot& record) {
            if (flashes++ == 0) detached = object->Detach(cookie);
            return ScriptedFluid::BubblePoint(50.0)(record);
        });
        EXPECT_EQ(object->Calculate(cookie), S_OK);
        EXPECT_EQ(detached, S_OK);
        EXPECT_EQ(flashes, 1) << "FEED only: no other phase is present";

        auto phaseValues = FindIn<IRealVectorVariable>(keptSet.get(), "Phase_Values", IID_IRealVectorVariable);
        ASSERT_TRUE(phaseValues);
        double feed = EMPTY_VALUE;
        ASSERT_EQ(phaseValues->GetElement(0, &feed), S_OK);
        EXPECT_GT(feed, 0.0) << "the FEED result reached the detached client's set";

        EXPECT_EQ(object->Calculate(cookie), CONNECT_E_CANNOTCONNECT);
        EXPECT_EQ(object->Detach(cookie), CONNECT_E_CANNOTCONNECT);
        EXPECT_EQ(client.references, 1u) << "the detached client is released";
    }
    EXPECT_EQ(context.references, 1u);
    EXPECT_EQ(fluid->liveReferences(), 1);
}

// A client that, when the object lets go of it, queries the object for its dual
// interface and gives that reference back at once.
class QueryingClient final : public comrt::testing::CountingFake<ICorrelationClient> {
public:
    QueryingClient() : CountingFake(IID_ICorrelationClient) {}

    ICorrelation* target = nullptr;
    HRESULT queried = E_UNEXPECTED;

    ULONG Release() override {
        const ULONG left = CountingFake::Release();
        if (target && AllReleased()) {
            ICorrelation* object = std::exchange(target, nullptr);
            IDispatch* dual = nullptr;
            queried = object->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&dual));
            if (dual) dual->Release();
        }
        return left;
    }
    HRESULT GetContext(int32_t, ICorrelationContext** out, int32_t) override {
        if (out) *out = nullptr;
        return E_FAIL;
    }
};

// The last release lets go of the client while the object is whole and held at one
// reference, so the client's query is answered and its release does not destroy the
// object a second time (the sanitizer build would report a double free).
TEST_F(ReentrancyTest, AReferenceTakenAndGivenBackDuringTeardownDestroysOnce) {
    for (const ClassUnderTest& cls : kAllClasses) {
        SCOPED_TRACE(cls.description->className);
        QueryingClient client;
        ComPtr<ICorrelation> object = Create(cls);
        ASSERT_TRUE(object);
        IVariableSet* clientSet = nullptr;
        int32_t cookie = 0;
        ASSERT_EQ(object->Attach(&client, 1, &cookie, &clientSet), S_OK);
        client.target = object.get();

        object.reset();
        EXPECT_EQ(client.queried, S_OK) << "the object answered its dual interface during teardown";
        EXPECT_TRUE(client.AllReleased());
    }
}

}  // namespace
}  // namespace volacor::testing
