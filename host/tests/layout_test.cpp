// The records' layouts are pinned by static_asserts beside their declarations; this
// checks the facts a compiler cannot: where the fields land in real bytes, and the
// phase names and empty mark the messages and tests rely on.
#include <gtest/gtest.h>

#include <cstring>

#include "host/phase.h"
#include "host/records.h"

using namespace volacor;

TEST(HostRecords, FieldsLandAtTheirByteOffsets) {
    FluidSnapshot s;
    std::memset(&s, 0, sizeof s);
    s.componentCount = 0x01020304;
    s.phasePresent[3] = 7;
    s.phaseFraction[0] = 0.25;
    const auto* bytes = reinterpret_cast<const unsigned char*>(&s);
    int32_t count;
    std::memcpy(&count, bytes + 16, 4);
    EXPECT_EQ(count, 0x01020304);
    int32_t present3;
    std::memcpy(&present3, bytes + 252 + 12, 4);
    EXPECT_EQ(present3, 7);
    double vf;
    std::memcpy(&vf, bytes + 220, 8);
    EXPECT_EQ(vf, 0.25);

    StreamAnalysis a;
    std::memset(&a, 0, sizeof a);
    a.bpCurveRvp[4] = 55.0;
    double rvp;
    std::memcpy(&rvp, reinterpret_cast<const unsigned char*>(&a) + 100 + 32, 8);
    EXPECT_EQ(rvp, 55.0);
}

TEST(HostPhases, NamesAndEmptyMark) {
    EXPECT_STREQ(PhaseName(VAP), "VAP");
    EXPECT_STREQ(PhaseName(LIQ1), "LIQ1");
    EXPECT_STREQ(PhaseName(LIQ2), "LIQ2");
    EXPECT_STREQ(PhaseName(SOLID), "SOLID");
    EXPECT_STREQ(PhaseName(FEED), "FEED");
    EXPECT_STREQ(PhaseName(5), "");
    EXPECT_STREQ(PhaseName(-1), "");
    EXPECT_EQ(EMPTY_VALUE, -32767.0);
}
