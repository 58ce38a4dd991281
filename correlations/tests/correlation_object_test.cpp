// A correlation object's identity, its ICorrelation getters, its list of clients and
// aggregation, as a host sees them through ICorrelation.
#include <gtest/gtest.h>

#include <cstring>

#include "comrt/testing/counting_fake.h"
#include "correlation_fixture.h"
#include "testsupport/varhost/correlation_fakes.h"

namespace volacor::testing {
namespace {

using testsupport::FakeClient;
using testsupport::FakeContext;

struct Identity {
    const ClassUnderTest* cls;
    const char* name;
    const char* classId;
    IID dualInterface;
};

// Written out from the published class table, not from the code's own descriptions.
const Identity kIdentities[] = {
    {&kAllClasses[0], "API Method 5B1.1", "{56B62C92-EC0D-4665-BD33-344EDA44A966}", IID_IAPI_5B1_1},
    {&kAllClasses[1], "API Method 5B1.2", "{C825E724-A00D-4ABE-8019-EFD13042B3B4}", IID_IAPI_5B1_2},
    {&kAllClasses[2], "ASTM Method D323-73/79", "{54956A09-35CE-468E-882A-F41AC5FC60FE}", IID_IASTM_D323_73_79},
    {&kAllClasses[3], "ASTM Method D323-82", "{A6EB1E69-35C8-462B-9B73-598FD6D93E9D}", IID_IASTM_D323_82},
    {&kAllClasses[4], "ASTM Method D4953-91", "{5E153722-DC95-4914-8968-9BDF1D022EB3}", IID_IASTM_D4953_91},
    {&kAllClasses[5], "ASTM Method D5191-91", "{37C4EEEC-6564-4504-BAEB-13C89130A860}", IID_IASTM_D5191_91},
    {&kAllClasses[6], "ASTM Method D6377-16", "{383A842D-252E-4AE7-A8A6-BB1DA6FAFE2D}", IID_IASTM_D6377_16},
    {&kAllClasses[7], "API Method 5B1.1", "{E01D4667-D71B-4E00-8337-648D6E694D19}", IID_IOrvan_API},
    {&kAllClasses[8], "ASTM Method D323-73/79", "{85E31F8C-B0E9-490A-99F9-2F7CCA42698E}", IID_IModifiedASTM},
};

class CorrelationObjectTest : public CorrelationTest {};

TEST_F(CorrelationObjectTest, EachClassReportsItsIdentity) {
    for (const Identity& c : kIdentities) {
        SCOPED_TRACE(c.name);
        ComPtr<ICorrelation> object = Create(*c.cls);
        ASSERT_TRUE(object);

        BSTR name = nullptr;
        BSTR classId = nullptr;
        ASSERT_EQ(object->get_Name(&name), S_OK);
        ASSERT_EQ(object->get_ClassId(&classId), S_OK);
        const comrt::UniqueBstr ownedName(name), ownedClassId(classId);
        EXPECT_EQ(ToUtf8(name), c.name);
        EXPECT_EQ(ToUtf8(classId), c.classId);

        int32_t attributes[4] = {-1, -1, -1, -1};
        EXPECT_EQ(object->get_Attribute1(&attributes[0]), S_OK);
        EXPECT_EQ(object->get_Attribute2(&attributes[1]), S_OK);
        EXPECT_EQ(object->get_Attribute3(&attributes[2]), S_OK);
        EXPECT_EQ(object->get_Attribute4(&attributes[3]), S_OK);
        EXPECT_EQ(attributes[0], 0);
        EXPECT_EQ(attributes[1], 2);
        EXPECT_EQ(attributes[2], 2);
        EXPECT_EQ(attributes[3], 0);

        // One identity; IDispatch is answered with the class's own dual interface.
        ComPtr<IUnknown> unknown1, unknown2;
        ComPtr<IDispatch> dispatch, dual;
        ASSERT_EQ(object->QueryInterface(IID_IUnknown, unknown1.put_void()), S_OK);
        ASSERT_EQ(object->QueryInterface(IID_IUnknown, unknown2.put_void()), S_OK);
        EXPECT_EQ(unknown1.get(), unknown2.get());
        ASSERT_EQ(object->QueryInterface(IID_IDispatch, dispatch.put_void()), S_OK);
        ASSERT_EQ(unknown1->QueryInterface(c.dualInterface, dual.put_void()), S_OK);
        EXPECT_EQ(dispatch.get(), dual.get());
        ComPtr<ICorrelation> again;
        ASSERT_EQ(dual->QueryInterface(IID_ICorrelation, again.put_void()), S_OK);
        EXPECT_EQ(again.get(), object.get());

        void* other = reinterpret_cast<void*>(1);
        EXPECT_EQ(object->QueryInterface(IID_IClassFactory, &other), E_NOINTERFACE);
        EXPECT_EQ(other, nullptr);
        const IID& foreignDual = c.dualInterface == IID_IAPI_5B1_1 ? IID_IAPI_5B1_2 : IID_IAPI_5B1_1;
        EXPECT_EQ(object->QueryInterface(foreignDual, &other), E_NOINTERFACE);
    }
}

TEST_F(CorrelationObjectTest, NullOutLocationsGivePointerErrorAndChangeNothing) {
    ComPtr<ICorrelation> object = Create(kAllClasses[0]);
    FakeClient client;
    IVariableSet* set = nullptr;
    int32_t cookie = 0;
    EXPECT_EQ(object->get_Name(nullptr), E_POINTER);
    EXPECT_EQ(object->get_ClassId(nullptr), E_POINTER);
    EXPECT_EQ(object->get_Attribute1(nullptr), E_POINTER);
    EXPECT_EQ(object->get_Attribute2(nullptr), E_POINTER);
    EXPECT_EQ(object->get_Attribute3(nullptr), E_POINTER);
    EXPECT_EQ(object->get_Attribute4(nullptr), E_POINTER);
    EXPECT_EQ(object->get_Parameters(nullptr), E_POINTER);
    EXPECT_EQ(object->QueryInterface(IID_ICorrelation, nullptr), E_POINTER);
    EXPECT_EQ(object->Attach(static_cast<ICorrelationClient*>(&client), 1, nullptr, &set), E_POINTER);
    EXPECT_EQ(object->Attach(static_cast<ICorrelationClient*>(&client), 1, &cookie, nullptr), E_POINTER);
    EXPECT_EQ(set, nullptr);
    EXPECT_EQ(cookie, 0);
    EXPECT_EQ(client.references, 1u);
    EXPECT_EQ(object->Calculate(1), CONNECT_E_CANNOTCONNECT) << "no client was attached";
}

TEST_F(CorrelationObjectTest, CookiesAreAlwaysPositions) {
    ComPtr<ICorrelation> object = Create(kAllClasses[3]);
    FakeContext idle;  // asked, then says no calculation is wanted
    idle.active = 0;
    FakeClient first, second, third;
    for (FakeClient* client : {&first, &second, &third}) client->context = &idle;

    EXPECT_EQ(object->Calculate(1), CONNECT_E_CANNOTCONNECT) << "an object without clients";
    IVariableSet* sets[3] = {};
    int32_t cookies[3] = {};
    FakeClient* clients[3] = {&first, &second, &third};
    for (int i = 0; i < 3; ++i)
        ASSERT_EQ(object->Attach(static_cast<ICorrelationClient*>(clients[i]), 10 + i, &cookies[i], &sets[i]), S_OK);
    EXPECT_EQ(cookies[0], 1);
    EXPECT_EQ(cookies[1], 2);
    EXPECT_EQ(cookies[2], 3);

    EXPECT_EQ(object->Detach(5), CONNECT_E_CANNOTCONNECT);
    ASSERT_EQ(object->Detach(1), S_OK);
    EXPECT_EQ(first.references, 1u) << "the detached client is released";

    // The second client now answers to cookie 1 and the third to cookie 2.
    EXPECT_EQ(object->Calculate(1), S_OK);
    EXPECT_EQ(object->Calculate(2), S_OK);
    EXPECT_EQ(object->Calculate(3), CONNECT_E_CANNOTCONNECT);
    ASSERT_EQ(second.contextRequests.size(), 1u);
    EXPECT_EQ(second.contextRequests[0], std::make_pair(11, 0));
    ASSERT_EQ(third.contextRequests.size(), 1u);
    EXPECT_EQ(third.contextRequests[0], std::make_pair(12, 1));
    EXPECT_TRUE(first.contextRequests.empty());

    object.reset();
    EXPECT_EQ(second.references, 1u);
    EXPECT_EQ(third.references, 1u);
    EXPECT_EQ(idle.references, 1u);
}

TEST_F(CorrelationObjectTest, RefusedClientsChangeNothing) {
    ComPtr<ICorrelation> object = Create(kAllClasses[0]);
    FakeClient stranger;  // answers IUnknown only
    stranger.answersClientInterface = false;
    FakeClient client;
    IVariableSet* set = nullptr;
    int32_t cookie = 0;

    EXPECT_EQ(object->Attach(nullptr, 1, &cookie, &set), CONNECT_E_NOCONNECTION);
    EXPECT_EQ(object->Attach(static_cast<ICorrelationClient*>(&stranger), 1, &cookie, &set), CONNECT_E_NOCONNECTION);
    varhost.FailOperation("Clone", 0, E_FAIL);
    EXPECT_EQ(object->Attach(static_cast<ICorrelationClient*>(&client), 1, &cookie, &set), CONNECT_E_NOCONNECTION);
    varhost.Reset();

    EXPECT_EQ(set, nullptr);
    EXPECT_EQ(cookie, 0);
    EXPECT_EQ(stranger.references, 1u);
    EXPECT_EQ(client.references, 1u);
    EXPECT_EQ(object->Detach(1), CONNECT_E_CANNOTCONNECT) << "nothing was attached";
}

TEST_F(CorrelationObjectTest, AttachedClientGetsItsOwnResultSet) {
    ComPtr<ICorrelation> object = Create(kAllClasses[6]);
    FakeClient client;
    IVariableSet* set = nullptr;
    int32_t cookie = 0;
    const int32_t liveBefore = varhost.LiveObjects();
    ASSERT_EQ(object->Attach(static_cast<ICorrelationClient*>(&client), 1, &cookie, &set), S_OK);
    ASSERT_NE(set, nullptr);
    EXPECT_TRUE(FindIn<IRealVectorVariable>(set, "Phase_Values", IID_IRealVectorVariable));
    EXPECT_EQ(varhost.LiveObjects(), liveBefore + 2) << "a new set holding a copy of Phase_Values";
    EXPECT_EQ(client.references, 2u) << "the record holds one reference";

    ASSERT_EQ(object->Detach(cookie), S_OK);
    EXPECT_EQ(client.references, 1u);
    EXPECT_EQ(varhost.LiveObjects(), liveBefore) << "the client's set went with its record";
}

TEST_F(CorrelationObjectTest, ParametersComeWithAReferenceForTheCaller) {
    ComPtr<ICorrelation> object = Create(kAllClasses[0]);
    ComPtr<IVariableSet> first, second;
    ASSERT_EQ(object->get_Parameters(first.put()), S_OK);
    ASSERT_EQ(object->get_Parameters(second.put()), S_OK);
    EXPECT_EQ(first.get(), second.get());
    object.reset();
    int32_t count = 0;
    EXPECT_EQ(first->GetCount(&count), S_OK) << "the caller's reference keeps the set alive";
    EXPECT_EQ(count, 2);
}

// An outer object that owns the correlation object as its inner part.
// Its own identity and count come from the runtime's counting fake; every other
// interface is the inner object's.
class Outer final : public comrt::testing::CountingFake<IUnknown> {
public:
    Outer() : CountingFake(IID_IUnknown) {}
    IUnknown* inner = nullptr;
    HRESULT QueryInterface(const GUID& iid, void** out) override {
        if (iid == IID_IUnknown || !inner) return CountingFake::QueryInterface(iid, out);
        return inner->QueryInterface(iid, out);
    }
};

TEST_F(CorrelationObjectTest, AggregatedObjectDelegatesToItsOuter) {
    Outer outer;
    void* out = reinterpret_cast<void*>(1);
    EXPECT_EQ(CAPI_5B1_1::CreateInstance(&RecordingPhase, &outer, IID_ICorrelation, &out), CLASS_E_NOAGGREGATION);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(varhost.LiveObjects(), liveAtStart) << "nothing was created";
    EXPECT_EQ(ModuleLockCount(), locksAtStart);

    ASSERT_EQ(CAPI_5B1_1::CreateInstance(&RecordingPhase, &outer, IID_IUnknown, &out), S_OK);
    outer.inner = static_cast<IUnknown*>(out);
    EXPECT_EQ(ModuleLockCount(), locksAtStart + 1);
    {
        ComPtr<ICorrelation> correlation;
        ASSERT_EQ(outer.QueryInterface(IID_ICorrelation, correlation.put_void()), S_OK);
        EXPECT_EQ(outer.References(), 1) << "the inner object's interfaces count on the outer";
        ComPtr<IUnknown> identity;
        ASSERT_EQ(correlation->QueryInterface(IID_IUnknown, identity.put_void()), S_OK);
        EXPECT_EQ(identity.get(), static_cast<IUnknown*>(&outer)) << "identity is the outer's";
        EXPECT_EQ(outer.References(), 2);
    }
    EXPECT_TRUE(outer.AllReleased());
    EXPECT_EQ(outer.inner->Release(), 0u);
    outer.inner = nullptr;
    EXPECT_EQ(ModuleLockCount(), locksAtStart);
}

TEST_F(CorrelationObjectTest, InterfaceTheObjectLacksLeavesNoObject) {
    void* out = reinterpret_cast<void*>(1);
    EXPECT_EQ(CModifiedASTM::CreateInstance(&RecordingPhase, nullptr, IID_IClassFactory, &out), E_NOINTERFACE);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(CModifiedASTM::CreateInstance(&RecordingPhase, nullptr, IID_ICorrelation, nullptr), E_POINTER);
    // The fixture checks that no variable and no module lock remain.
}

}  // namespace
}  // namespace volacor::testing
