// Records the process's outstanding task-memory blocks (BSTRs included) when made, so
// a test can assert that the code it ran freed every block it allocated:
//
//   comrt::testing::TaskMemCheck memory;
//   RunCodeUnderTest();
//   EXPECT_EQ(memory.Leaked(), 0);
//
// The count is process-wide: blocks that other threads hold meanwhile count too.
#pragma once

#include "comrt/memory.h"

namespace comrt::testing {

class TaskMemCheck {
public:
    TaskMemCheck() : start_(comrt_TaskMemOutstanding()) {}

    // Blocks allocated since construction and not yet freed; negative when more were
    // freed than allocated (a block freed twice, or one that was not ours).
    int64_t Leaked() const { return comrt_TaskMemOutstanding() - start_; }

private:
    int64_t start_;
};

}  // namespace comrt::testing
