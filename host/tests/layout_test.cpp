// The records' layouts are pinned by static_asserts beside their declarations; this
// checks the facts a compiler cannot: where the fields land in real bytes, and the
// phase names and empty mark the messages and tests rely on.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

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

// Byte images written out by hand from the records' field tables: little-endian, 8-byte
// pointers, 4-byte packing. A record filled field by field must equal its image byte
// for byte, so a field that moves, grows or gains padding fails here.
class ByteImage {
public:
    explicit ByteImage(size_t size) : bytes_(size, 0) {}
    // value's low `width` bytes at offset, lowest first.
    void Put(size_t offset, uint64_t value, size_t width) {
        for (size_t i = 0; i < width; ++i) bytes_.at(offset + i) = static_cast<unsigned char>(value >> (8 * i));
    }
    // The first offset at which record differs, or -1.
    long FirstDifference(const void* record) const {
        const auto* b = static_cast<const unsigned char*>(record);
        for (size_t i = 0; i < bytes_.size(); ++i)
            if (b[i] != bytes_[i]) return static_cast<long>(i);
        return -1;
    }

private:
    std::vector<unsigned char> bytes_;
};

// IEEE 754 bit patterns of the values the records are filled with.
constexpr uint64_t kBits1_5 = 0x3FF8000000000000, kBitsMinus2 = 0xC000000000000000, kBits0_5 = 0x3FE0000000000000,
                   kBits0_25 = 0x3FD0000000000000, kBits0_125 = 0x3FC0000000000000, kBits2 = 0x4000000000000000,
                   kBits4 = 0x4010000000000000;

// A pointer value that is never dereferenced, distinct per slot.
template <class T>
T* FakePointer(uint64_t tag) {
    return reinterpret_cast<T*>(static_cast<uintptr_t>(0x1111000000000000ull + tag));
}

TEST(HostRecords, FluidSnapshotMatchesItsHandWrittenImage) {
    ByteImage image(308);
    image.Put(0, kBits1_5, 8);         // temperature
    image.Put(8, kBitsMinus2, 8);      // pressure
    image.Put(16, 0x11223344, 4);      // componentCount
    for (size_t p = 0; p < 5; ++p) {
        image.Put(20 + 8 * p, 0x1111000000000000ull + p, 8);  // composition[p]
        image.Put(60 + 8 * p, kBits0_5, 8);                    // phasePropertyA[p]
        image.Put(100 + 8 * p, kBits0_25, 8);                  // phasePropertyB[p]
        image.Put(140 + 8 * p, kBits0_125, 8);                 // phasePropertyC[p]
        image.Put(180 + 8 * p, kBits2, 8);                     // molarVolume[p]
    }
    for (size_t p = 0; p < 4; ++p) {
        image.Put(220 + 8 * p, kBits4, 8);  // phaseFraction[p]
        image.Put(252 + 4 * p, p + 1, 4);   // phasePresent[p]
    }
    // 268 to 307: reserved, zero.

    FluidSnapshot s{};
    ASSERT_EQ(sizeof s, 308u);
    s.temperature = 1.5;
    s.pressure = -2.0;
    s.componentCount = 0x11223344;
    for (int p = 0; p < 5; ++p) {
        s.composition[p] = FakePointer<double>(static_cast<uint64_t>(p));
        s.phasePropertyA[p] = 0.5;
        s.phasePropertyB[p] = 0.25;
        s.phasePropertyC[p] = 0.125;
        s.molarVolume[p] = 2.0;
    }
    for (int p = 0; p < 4; ++p) {
        s.phaseFraction[p] = 4.0;
        s.phasePresent[p] = p + 1;
    }
    EXPECT_EQ(image.FirstDifference(&s), -1);
}

TEST(HostRecords, StreamAnalysisMatchesItsHandWrittenImage) {
    ByteImage image(268);
    for (size_t p = 0; p < 5; ++p) {
        image.Put(20 + 8 * p, 0x1111000000000000ull + p, 8);       // curveData[p]
        image.Put(60 + 8 * p, 0x1111000000000000ull + 16 + p, 8);  // distillationCurve[p]
        image.Put(100 + 8 * p, kBits1_5, 8);                       // bpCurveRvp[p]
    }
    // 0 to 19 and 140 to 267: reserved, zero.

    StreamAnalysis a{};
    ASSERT_EQ(sizeof a, 268u);
    for (int p = 0; p < 5; ++p) {
        a.curveData[p] = FakePointer<void>(static_cast<uint64_t>(p));
        a.distillationCurve[p] = FakePointer<double>(16 + static_cast<uint64_t>(p));
        a.bpCurveRvp[p] = 1.5;
    }
    EXPECT_EQ(image.FirstDifference(&a), -1);
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
