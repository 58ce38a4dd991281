// Attach when its connection record cannot be allocated: E_OUTOFMEMORY, nothing taken,
// nothing attached. The program's nothrow operator new fails once on request.
#include <gtest/gtest.h>

#include <new>

#include "correlation_fixture.h"
#include "testsupport/varhost/correlation_fakes.h"

namespace {
bool failNextNothrowAllocation = false;
}  // namespace

void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    if (failNextNothrowAllocation) {
        failNextNothrowAllocation = false;
        return nullptr;
    }
    try {
        return ::operator new(size);  // the ordinary allocator, so ordinary delete matches
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

namespace volacor::testing {
namespace {

class AttachOutOfMemoryTest : public CorrelationTest {};

TEST_F(AttachOutOfMemoryTest, ReleasesWhatItTookAndAttachesNothing) {
    testsupport::FakeClient client;
    ComPtr<ICorrelation> object = Create(kAllClasses[0]);
    const int32_t live = varhost.LiveObjects();
    IVariableSet* set = nullptr;
    int32_t cookie = 0;

    failNextNothrowAllocation = true;
    EXPECT_EQ(object->Attach(static_cast<ICorrelationClient*>(&client), 1, &cookie, &set), E_OUTOFMEMORY);
    EXPECT_FALSE(failNextNothrowAllocation) << "the record's allocation was the one that failed";
    EXPECT_EQ(client.references, 1u);
    EXPECT_EQ(set, nullptr) << "no client set was made";
    EXPECT_EQ(cookie, 0);
    EXPECT_EQ(varhost.LiveObjects(), live);
    EXPECT_EQ(object->Calculate(1), CONNECT_E_CANNOTCONNECT);

    EXPECT_EQ(object->Attach(static_cast<ICorrelationClient*>(&client), 1, &cookie, &set), S_OK);
    EXPECT_EQ(cookie, 1) << "the next attach succeeds as the first";
    object.reset();
    EXPECT_EQ(client.references, 1u);
}

}  // namespace
}  // namespace volacor::testing
