// The exported entry as a host reaches it: loaded by path, found by its undecorated
// name, always leaving one terminated line of at most 255 bytes in a 256-byte buffer.
#include <dlfcn.h>

#include <cmath>
#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "refined_stock_relation.h"

namespace {

using Entry = void (*)(double, double*, double, double, char*, const char*);
constexpr double EMPTY_VALUE = -32767.0;
constexpr double kRankine = 459.69;

class CompanionEntry : public testing::Test {
protected:
    void SetUp() override {
        handle_ = dlopen(COMPANION_LIBRARY_PATH, RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(handle_, nullptr) << dlerror();
        entry_ = reinterpret_cast<Entry>(dlsym(handle_, "pc_Calc_API_5B1_1"));
        ASSERT_NE(entry_, nullptr) << "pc_Calc_API_5B1_1 not exported with C linkage";
        std::memset(buffer_, 0xAA, sizeof buffer_);
    }
    void TearDown() override {
        if (handle_) dlclose(handle_);
    }
    // The line must end inside the 256 bytes the caller gave.
    std::string Line() const {
        const void* end = std::memchr(buffer_, 0, 256);
        EXPECT_NE(end, nullptr) << "line not terminated within 256 bytes";
        return end ? std::string(buffer_) : std::string();
    }

    void* handle_ = nullptr;
    Entry entry_ = nullptr;
    char buffer_[300];
};

TEST_F(CompanionEntry, SolvesFromRankineAndSaysSo) {
    // 60 °F handed as 519.69 °R: the entry takes off 459.69, not 459.67.
    const double tvp = api5b11::TvpFromRvp_psia(9.0, 1.5, 60.0);
    double rvp = 8.1;
    entry_(tvp, &rvp, 1.5, 60.0 + kRankine, buffer_, "LIQ1");
    EXPECT_NEAR(rvp, 9.0, 1e-9);
    EXPECT_EQ(Line().rfind("Phase: LIQ1 - API 5B1.1 RVP 9 psi solves TVP ", 0), 0u) << Line();
    EXPECT_NE(Line().find("60 \xB0" "F"), std::string::npos) << Line();
}

TEST_F(CompanionEntry, GivesEmptyValueAndAReasonWhenNothingSolves) {
    struct Case {
        const char* what;
        double tvp;
        double sqrtSlope;
        const char* reason;
    };
    const Case cases[] = {
        {"TVP above what 20 psi gives", api5b11::TvpFromRvp_psia(30.0, 1.0, 60.0), 1.0, "No RVP within 1 - 20 psi"},
        {"slope root of a negative slope", 5.0, std::sqrt(-0.5), "not finite"},
        {"negative TVP", -1.0, 1.0, "not positive"},
        {"negative slope root", api5b11::TvpFromRvp_psia(9.0, -0.5, 60.0), -0.5, "slope root is negative"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        double rvp = 7.0;
        entry_(c.tvp, &rvp, c.sqrtSlope, 60.0 + kRankine, buffer_, "FEED");
        EXPECT_EQ(rvp, EMPTY_VALUE);
        EXPECT_EQ(Line().rfind("Phase: FEED - API 5B1.1 ", 0), 0u) << Line();
        EXPECT_NE(Line().find(c.reason), std::string::npos) << Line();
    }
}

TEST_F(CompanionEntry, LineStaysWithinTheBufferWhateverItCarries) {
    const std::string longName(1000, 'X');
    double rvp = 5.0;
    entry_(1e300, &rvp, 1e300, 1e300, buffer_, longName.c_str());
    EXPECT_LE(Line().size(), 255u);
    EXPECT_FALSE(Line().empty());

    rvp = 5.0;
    entry_(5.0, &rvp, 1.0, 520.0, buffer_, nullptr);  // no phase name: an empty one
    EXPECT_EQ(Line().rfind("Phase:  - API 5B1.1 ", 0), 0u) << Line();

    entry_(5.0, nullptr, 1.0, 520.0, buffer_, "VAP");  // nowhere to put the RVP
    EXPECT_NE(Line().find("No RVP"), std::string::npos) << Line();

    rvp = 5.0;
    entry_(5.0, &rvp, 1.0, 520.0, nullptr, "VAP");  // no buffer: still solves
    EXPECT_GT(rvp, 1.0);
}

}  // namespace
