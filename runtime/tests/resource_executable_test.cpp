// A null module means the running executable, which may carry resources of its own.
#include <string>

#include <gtest/gtest.h>

#include "comrt/resource.h"

namespace {

TEST(FindResourceInExecutable, NullModuleIsTheRunningExecutable) {
    const void* data = nullptr;
    uint32_t size = 0;
    ASSERT_EQ(comrt_FindResource(nullptr, "REGISTRY", 7, 1033, &data, &size), S_OK);
    ASSERT_EQ(size, 16u);
    EXPECT_EQ(std::string(static_cast<const char*>(data), 5), std::string("BLOB\0", 5));
    EXPECT_EQ(comrt_FindResource(nullptr, "REGISTRY", 8, 1033, &data, &size), E_FAIL);
}

}  // namespace
