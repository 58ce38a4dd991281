// The counting fake and ComPtr together: the counts must match what ComPtr really does
// with references, or every test that relies on them proves nothing.
#include <gtest/gtest.h>

#include "comrt/com_ptr.h"
#include "comrt/memory.h"
#include "comrt/testing/counting_fake.h"
#include "comrt/testing/task_mem_check.h"

namespace {

// IClassFactory stands in for any interface: it has operations beyond IUnknown's.
struct FakeFactory : comrt::testing::CountingFake<IClassFactory> {
    FakeFactory() : CountingFake(IID_IClassFactory) {}
    HRESULT CreateInstance(IUnknown*, const GUID&, void** out) override {
        *out = nullptr;
        return E_NOTIMPL;
    }
    HRESULT LockServer(BOOL) override { return S_OK; }
};

TEST(CountingFake, CountsWhatComPtrTakesAndGivesBack) {
    FakeFactory fake;
    {
        auto shared = comrt::ComPtr<IClassFactory>::Share(&fake);
        EXPECT_EQ(fake.References(), 1);
        comrt::ComPtr<IUnknown> unknown;
        EXPECT_EQ(shared.As(IID_IUnknown, unknown), S_OK);
        EXPECT_EQ(fake.References(), 2);
        comrt::ComPtr<IDispatch> dispatch;
        EXPECT_EQ(shared.As(IID_IDispatch, dispatch), E_NOINTERFACE);
        EXPECT_FALSE(dispatch);
        EXPECT_EQ(fake.References(), 2) << "a refused query takes no reference";

        IClassFactory* copy = nullptr;
        shared.copy_to(&copy);
        EXPECT_EQ(copy, &fake);
        auto attached = comrt::ComPtr<IClassFactory>::Attach(copy);
        EXPECT_EQ(fake.References(), 3) << "Attach adopts without adding";

        comrt::ComPtr<IClassFactory> moved(std::move(attached));
        EXPECT_EQ(fake.References(), 3) << "a move neither adds nor releases";
        EXPECT_EQ(shared->QueryInterface(IID_IClassFactory, reinterpret_cast<void**>(moved.put())), S_OK);
        EXPECT_EQ(fake.References(), 3) << "put() released the old reference before the new one came";
    }
    EXPECT_TRUE(fake.AllReleased());
    EXPECT_EQ(fake.QueryHits(), 2);
    EXPECT_EQ(fake.QueryMisses(), 1);
    EXPECT_EQ(fake.AddRefCalls(), fake.ReleaseCalls());
}

TEST(CountingFake, OverReleaseShowsAsNegativeAndReturnValuesFollowTheCount) {
    FakeFactory fake;
    EXPECT_EQ(fake.AddRef(), 2u);
    EXPECT_EQ(fake.Release(), 1u);
    fake.Release();
    EXPECT_EQ(fake.References(), -1);
    EXPECT_FALSE(fake.AllReleased());
    EXPECT_EQ(fake.QueryInterface(IID_IUnknown, nullptr), E_POINTER);
}

TEST(TaskMemCheck, SeesBlocksUntilTheyAreFreed) {
    comrt::testing::TaskMemCheck memory;
    void* block = CoTaskMemAlloc(4);
    BSTR text = SysAllocString(u"x");
    EXPECT_EQ(memory.Leaked(), 2);
    SysFreeString(text);
    CoTaskMemFree(block);
    EXPECT_EQ(memory.Leaked(), 0);
}

}  // namespace
