// A base for fake objects in tests: it implements IUnknown for one interface and
// counts what the code under test does with references, so a test can assert that
// every reference taken was released. Test code only; never linked into a component.
//
//   struct FakeFluid : comrt::testing::CountingFake<IHostFluid> {
//       FakeFluid() : CountingFake(IID_IHostFluid) {}
//       HRESULT GetComponentValues(...) override { ... }
//   };
//   FakeFluid fluid;             // lives as long as the test's variable
//   RunCodeUnderTest(&fluid);
//   EXPECT_TRUE(fluid.AllReleased());
//
// A fake that serves a second interface derives from it too, returns it from
// ServeOther, and forwards that interface's three IUnknown operations to this base.
#pragma once

#include <atomic>

#include "comrt/unknown.h"

namespace comrt::testing {

template <class Interface>
class CountingFake : public Interface {
public:
    explicit CountingFake(const IID& iid) : iid_(iid) {}
    CountingFake(const CountingFake&) = delete;
    CountingFake& operator=(const CountingFake&) = delete;

    // IUnknown and the fake's own interface, then whatever ServeOther gives; each
    // answer adds a reference. E_NOINTERFACE leaves *out null.
    HRESULT QueryInterface(const GUID& iid, void** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        void* served = (iid == IID_IUnknown || iid == iid_) ? static_cast<Interface*>(this) : ServeOther(iid);
        if (!served) {
            ++queryMisses_;
            return E_NOINTERFACE;
        }
        ++queryHits_;
        AddRef();
        *out = served;
        return S_OK;
    }

    // The counts start at the test's own reference: 1 with nothing else held.
    ULONG AddRef() override { return static_cast<ULONG>(1 + (++addRefs_ - releases_)); }
    ULONG Release() override { return static_cast<ULONG>(1 + (addRefs_ - ++releases_)); }

    // References taken and not yet released; negative when more were released.
    int64_t References() const { return addRefs_ - releases_; }
    bool AllReleased() const { return References() == 0; }

    int64_t AddRefCalls() const { return addRefs_; }
    int64_t ReleaseCalls() const { return releases_; }
    int64_t QueryHits() const { return queryHits_; }      // successful QueryInterface calls
    int64_t QueryMisses() const { return queryMisses_; }  // E_NOINTERFACE answers

protected:
    ~CountingFake() = default;
    // Further interfaces the fake serves: the pointer for iid, or null.
    virtual void* ServeOther(const GUID& /*iid*/) { return nullptr; }

private:
    IID iid_;
    // Atomic so a fake may be used from the threads a test starts.
    std::atomic<int64_t> addRefs_{0};
    std::atomic<int64_t> releases_{0};
    std::atomic<int64_t> queryHits_{0};
    std::atomic<int64_t> queryMisses_{0};
};

}  // namespace comrt::testing
