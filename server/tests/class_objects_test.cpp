// The module and its class objects over a map whose classes calculate with a test
// procedure: class objects made once and shared, the lock count, and every status of
// instance creation.
#include <gtest/gtest.h>

#include <stdexcept>
#include <thread>
#include <vector>

#include "correlations/host_object.h"
#include "correlations/tests/correlation_fixture.h"
#include "server/module.h"

namespace volacor::testing {
namespace {

HRESULT CreateApi(IUnknown* outer, const GUID& iid, void** out) {
    return CAPI_5B1_1::CreateInstance(&RecordingPhase, outer, iid, out);
}
HRESULT ThrowBadAlloc(IUnknown*, const GUID&, void**) { throw std::bad_alloc(); }
HRESULT ThrowOther(IUnknown*, const GUID&, void**) { throw std::runtime_error("host code misbehaved"); }

class ClassObjectsTest : public CorrelationTest {
public:
    ObjectMapEntry map[3] = {
        ObjectMapEntry::With<CAPI_5B1_1>(&CreateApi),
        ObjectMapEntry::With<CAPI_5B1_2>(nullptr),
        ObjectMapEntry::With<CModifiedASTM>(&ThrowBadAlloc),
    };
    CModule module{map};

    ComPtr<IClassFactory> ClassObject(const CLSID& classId) {
        ComPtr<IClassFactory> factory;
        EXPECT_EQ(module.GetClassObject(classId, IID_IClassFactory, factory.put_void()), S_OK);
        return factory;
    }
};

TEST_F(ClassObjectsTest, ClassObjectIsMadeOnceSharedAndLocksWhileHeld) {
    EXPECT_EQ(module.CanUnloadNow(), S_OK);
    ComPtr<IClassFactory> first = ClassObject(kAPI_5B1_1.classId);
    ComPtr<IUnknown> second;
    ASSERT_EQ(module.GetClassObject(kAPI_5B1_1.classId, IID_IUnknown, second.put_void()), S_OK);
    EXPECT_EQ(static_cast<IUnknown*>(first.get()), second.get());
    EXPECT_EQ(ModuleLockCount(), locksAtStart + 1) << "held by someone other than the module";
    EXPECT_EQ(module.CanUnloadNow(), S_FALSE);
    first.reset();
    second.reset();
    EXPECT_EQ(ModuleLockCount(), locksAtStart);
    EXPECT_EQ(module.CanUnloadNow(), S_OK);

    ComPtr<IClassFactory> again = ClassObject(kAPI_5B1_1.classId);
    ASSERT_EQ(again->LockServer(1), S_OK);
    again.reset();
    EXPECT_EQ(module.CanUnloadNow(), S_FALSE) << "a server lock outlives the reference";
    ClassObject(kAPI_5B1_1.classId)->LockServer(0);
    EXPECT_EQ(module.CanUnloadNow(), S_OK);
}

TEST_F(ClassObjectsTest, ClassObjectStatuses) {
    void* out = reinterpret_cast<void*>(1);
    EXPECT_EQ(module.GetClassObject(kAPI_5B1_1.classId, IID_IClassFactory, nullptr), E_POINTER);
    EXPECT_EQ(module.GetClassObject(kAPI_5B1_2.classId, IID_IClassFactory, &out), CLASS_E_CLASSNOTAVAILABLE)
        << "in the map without an instance creator";
    EXPECT_EQ(out, nullptr);
    out = reinterpret_cast<void*>(1);
    EXPECT_EQ(module.GetClassObject(kASTM_D323_82.classId, IID_IClassFactory, &out), CLASS_E_CLASSNOTAVAILABLE);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(module.GetClassObject(kAPI_5B1_1.classId, IID_ICorrelation, &out), E_NOINTERFACE);
    EXPECT_EQ(module.CanUnloadNow(), S_OK);
}

TEST_F(ClassObjectsTest, InstanceCreationStatusesLeaveNothingBehind) {
    ComPtr<IClassFactory> factory = ClassObject(kAPI_5B1_1.classId);
    const int32_t locks = ModuleLockCount();
    ComPtr<IUnknown> outer;
    ASSERT_EQ(CreateHostObject(kVariableServerFile, CLSID_VariableSet, IID_IUnknown, outer.put_void()), S_OK);
    const int32_t live = varhost.LiveObjects();
    void* out = reinterpret_cast<void*>(1);

    EXPECT_EQ(factory->CreateInstance(nullptr, IID_ICorrelation, nullptr), E_POINTER);
    EXPECT_EQ(factory->CreateInstance(outer.get(), IID_ICorrelation, &out), CLASS_E_NOAGGREGATION);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(factory->CreateInstance(nullptr, IID_IClassFactory, &out), E_NOINTERFACE);
    varhost.FailOperation("DllGetClassObject", 0, E_FAIL);  // as if the variable server were missing
    EXPECT_EQ(factory->CreateInstance(nullptr, IID_ICorrelation, &out), E_FAIL);
    varhost.Reset();
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(ModuleLockCount(), locks);
    EXPECT_EQ(varhost.LiveObjects(), live);

    ComPtr<ICorrelation> object;
    ASSERT_EQ(factory->CreateInstance(nullptr, IID_ICorrelation, object.put_void()), S_OK);
    EXPECT_EQ(ModuleLockCount(), locks + 1) << "one for the live object";
    object.reset();
    EXPECT_EQ(ModuleLockCount(), locks);
}

TEST_F(ClassObjectsTest, ExceptionsBecomeStatuses) {
    ComPtr<IClassFactory> factory = ClassObject(kModifiedASTM.classId);
    void* out = nullptr;
    EXPECT_EQ(factory->CreateInstance(nullptr, IID_ICorrelation, &out), E_OUTOFMEMORY);
    factory.reset();
    ObjectMapEntry other[1] = {ObjectMapEntry::With<CAPI_5B1_1>(&ThrowOther)};
    CModule otherModule{other};
    ASSERT_EQ(otherModule.GetClassObject(kAPI_5B1_1.classId, IID_IClassFactory, factory.put_void()), S_OK);
    EXPECT_EQ(factory->CreateInstance(nullptr, IID_ICorrelation, &out), E_FAIL);
}

TEST_F(ClassObjectsTest, ThreadsRacingForAClassObjectGetTheSameOne) {
    constexpr int kThreads = 4;
    std::vector<IUnknown*> seen(kThreads, nullptr);
    {
        std::vector<std::thread> threads;
        for (int i = 0; i < kThreads; ++i)
            threads.emplace_back([&, i] {
                module.GetClassObject(kAPI_5B1_1.classId, IID_IUnknown, reinterpret_cast<void**>(&seen[i]));
            });
        for (std::thread& thread : threads) thread.join();
    }
    for (IUnknown* object : seen) {
        ASSERT_NE(object, nullptr);
        EXPECT_EQ(object, seen[0]);
    }
    for (IUnknown* object : seen) object->Release();
    EXPECT_EQ(module.CanUnloadNow(), S_OK);
}

}  // namespace
}  // namespace volacor::testing
