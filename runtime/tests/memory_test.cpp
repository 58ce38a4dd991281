// Task memory and BSTRs: the block layout other programs rely on, and the count of
// outstanding blocks that every other test uses to prove nothing leaked.
#include <cstring>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "comrt/memory.h"
#include "comrt/owners.h"

namespace {

uint32_t PrefixOf(BSTR text) {
    uint32_t prefix;
    std::memcpy(&prefix, reinterpret_cast<const char*>(text) - sizeof(uint32_t), sizeof prefix);
    return prefix;
}

TEST(TaskMemory, CountsEveryBlockUntilItIsFreed) {
    const int64_t before = comrt_TaskMemOutstanding();
    void* zero = CoTaskMemAlloc(0);
    void* other = CoTaskMemAlloc(0);
    ASSERT_NE(zero, nullptr);
    EXPECT_NE(zero, other) << "size 0 still gives unique blocks";
    EXPECT_EQ(comrt_TaskMemOutstanding(), before + 2);

    void* grown = CoTaskMemRealloc(zero, 64);
    ASSERT_NE(grown, nullptr);
    std::memset(grown, 0xAB, 64);
    EXPECT_EQ(comrt_TaskMemOutstanding(), before + 2) << "resizing is not a new block";

    void* fresh = CoTaskMemRealloc(nullptr, 8);
    EXPECT_EQ(comrt_TaskMemOutstanding(), before + 3) << "realloc of null allocates";

    void* shrunk = CoTaskMemRealloc(fresh, 0);
    ASSERT_NE(shrunk, nullptr) << "resizing to 0 keeps a valid block";

    CoTaskMemFree(grown);
    CoTaskMemFree(other);
    CoTaskMemFree(shrunk);
    CoTaskMemFree(nullptr);
    EXPECT_EQ(comrt_TaskMemOutstanding(), before);
}

TEST(TaskMemory, CountIsExactUnderConcurrentUse) {
    const int64_t before = comrt_TaskMemOutstanding();
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([] {
            for (int i = 0; i < 2000; ++i) CoTaskMemFree(CoTaskMemAlloc(16));
        });
    }
    for (auto& thread : threads) thread.join();
    EXPECT_EQ(comrt_TaskMemOutstanding(), before);
}

TEST(TaskMemory, OwnerFreesOnScopeExitAndTaskAllocRefusesOverflow) {
    const int64_t before = comrt_TaskMemOutstanding();
    {
        comrt::TaskMemPtr<double> values(comrt::TaskAlloc<double>(10));
        ASSERT_TRUE(values);
        EXPECT_EQ(comrt_TaskMemOutstanding(), before + 1);
    }
    EXPECT_EQ(comrt_TaskMemOutstanding(), before);
    EXPECT_EQ(comrt::TaskAlloc<double>(static_cast<size_t>(-1) / 4), nullptr);
    EXPECT_EQ(comrt_TaskMemOutstanding(), before);
}

struct BstrCase {
    const char* what;
    std::u16string text;
};

class BstrLayout : public testing::TestWithParam<BstrCase> {};

TEST_P(BstrLayout, PrefixHoldsByteLengthAndAZeroFollows) {
    const std::u16string& text = GetParam().text;
    const int64_t before = comrt_TaskMemOutstanding();
    BSTR fromLen = SysAllocStringLen(text.data(), static_cast<uint32_t>(text.size()));
    ASSERT_NE(fromLen, nullptr);
    EXPECT_EQ(PrefixOf(fromLen), text.size() * 2);
    EXPECT_EQ(SysStringByteLen(fromLen), text.size() * 2);
    EXPECT_EQ(SysStringLen(fromLen), text.size());
    EXPECT_EQ(std::u16string(fromLen, text.size()), text);
    EXPECT_EQ(fromLen[text.size()], u'\0');
    EXPECT_EQ(comrt_TaskMemOutstanding(), before + 1) << "a BSTR is one task-memory block";
    SysFreeString(fromLen);
    EXPECT_EQ(comrt_TaskMemOutstanding(), before);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, BstrLayout,
    testing::Values(BstrCase{"empty", u""}, BstrCase{"ascii", u"Phase_Values"},
                    BstrCase{"degree sign and euro", u"37.78 \u00B0C \u20AC"},
                    BstrCase{"surrogate pair", u"\U0001F600"},
                    BstrCase{"embedded zero", std::u16string(u"a\0b", 3)}),
    [](const auto& testInfo) {
        std::string name = testInfo.param.what;
        for (char& c : name)
            if (c == ' ') c = '_';
        return name;
    });

TEST(Bstr, SysAllocStringStopsAtTheFirstZero) {
    comrt::UniqueBstr text(SysAllocString(u"RVP\0hidden"));
    ASSERT_TRUE(text);
    EXPECT_EQ(SysStringLen(text.get()), 3u);
    EXPECT_EQ(std::u16string(text.get()), u"RVP");
}

TEST(Bstr, LengthWithoutTextGivesZeroedCharacters) {
    comrt::UniqueBstr text(SysAllocStringLen(nullptr, 4));
    ASSERT_TRUE(text);
    EXPECT_EQ(SysStringLen(text.get()), 4u);
    for (int i = 0; i <= 4; ++i) EXPECT_EQ(text.get()[i], u'\0');
}

TEST(Bstr, NullInputsAndOversizedLengths) {
    const int64_t before = comrt_TaskMemOutstanding();
    EXPECT_EQ(SysAllocString(nullptr), nullptr);
    EXPECT_EQ(SysStringLen(nullptr), 0u);
    EXPECT_EQ(SysStringByteLen(nullptr), 0u);
    SysFreeString(nullptr);
    // The byte length must fit the uint32_t prefix: 2^31 characters do not.
    EXPECT_EQ(SysAllocStringLen(nullptr, 0x80000000u), nullptr);
    EXPECT_EQ(SysAllocStringLen(nullptr, 0xFFFFFFFFu), nullptr);
    EXPECT_EQ(comrt_TaskMemOutstanding(), before);
}

}  // namespace
