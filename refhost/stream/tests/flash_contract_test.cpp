// The host's flash as the methods rely on it: what it reads, what it writes, and that a
// refused or failed flash leaves the caller's record exactly as it was.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "comrt/owners.h"
#include "comrt/testing/task_mem_check.h"
#include "host/phase.h"
#include "refhost/stream/material_stream.h"

namespace refhost {
namespace {

using comrt::ComPtr;
using volacor::EMPTY_VALUE;
using volacor::FEED;
using volacor::FluidSnapshot;
using volacor::LIQ1;
using volacor::LIQ2;
using volacor::SOLID;
using volacor::VAP;

constexpr double kR = 8.314462618;  // kPa m³/(kmol K), CODATA 2018

// The records are packed: gtest binds references, so compare copies of their members.
template <class T>
T Read(T member) {
    return member;
}

// A record as a method builds it: five task-memory arrays of n values, everything else
// empty, owned by the test.
struct Record {
    explicit Record(std::vector<double> feed, double t_C, double p_kPa, double beta = EMPTY_VALUE) {
        const size_t n = feed.size();
        snapshot.componentCount = static_cast<int32_t>(n);
        snapshot.temperature = t_C;
        snapshot.pressure = p_kPa;
        for (int p = 0; p < 5; ++p) {
            arrays[p].reset(comrt::TaskAlloc<double>(n));
            for (size_t i = 0; i < n; ++i) arrays[p].get()[i] = p == FEED ? feed[i] : EMPTY_VALUE;
            snapshot.composition[p] = arrays[p].get();
            snapshot.phasePropertyA[p] = snapshot.phasePropertyB[p] = snapshot.molarVolume[p] = EMPTY_VALUE;
        }
        for (int p = 0; p < 4; ++p) {
            snapshot.phaseFraction[p] = EMPTY_VALUE;
            snapshot.phasePresent[p] = -32767;
        }
        snapshot.phaseFraction[0] = beta;
    }
    double X(int phase, size_t i) const { return snapshot.composition[phase][i]; }
    std::vector<double> Composition(int phase) const {
        return {snapshot.composition[phase], snapshot.composition[phase] + snapshot.componentCount};
    }
    // Every byte the flash could change: the record and the five arrays.
    std::vector<unsigned char> Bytes() const {
        std::vector<unsigned char> bytes(sizeof snapshot);
        std::memcpy(bytes.data(), &snapshot, sizeof snapshot);
        for (const auto& array : arrays) {
            const auto* first = reinterpret_cast<const unsigned char*>(array.get());
            bytes.insert(bytes.end(), first, first + snapshot.componentCount * sizeof(double));
        }
        return bytes;
    }
    FluidSnapshot snapshot{};
    comrt::TaskMemPtr<double> arrays[5];
};

ComPtr<MaterialStream> Stream(std::vector<std::string> keys, std::vector<double> z) {
    return MaterialStream::Create(thermo::Fluid::from_keys(keys), {.name = "test", .moleFractions = std::move(z)});
}

// Butane, pentane, hexane at 37.78 °C: dew point near 75 kPa, bubble point near 160 kPa.
const std::vector<std::string> kLight = {"n-butane", "n-pentane", "n-hexane"};
const std::vector<double> kLightFeed = {0.3, 0.4, 0.3};

void ExpectMaterialBalance(const Record& r, const std::vector<double>& z) {
    for (size_t i = 0; i < z.size(); ++i) {
        double sum = 0;
        for (int p = 0; p < 4; ++p) sum += r.snapshot.phaseFraction[p] * r.X(p, i);
        EXPECT_NEAR(sum, z[i], 1e-9) << "component " << i;
    }
}

TEST(FlashContract, GivenPressureSplitsAndWritesEveryPhaseInPlace) {
    auto stream = Stream(kLight, kLightFeed);
    Record r(kLightFeed, 37.78, 110.0);
    const double* arraysBefore[5];
    for (int p = 0; p < 5; ++p) arraysBefore[p] = r.snapshot.composition[p];
    const std::vector<double> feedBefore = r.Composition(FEED);

    ASSERT_EQ(stream->Flash(&r.snapshot), S_OK);
    EXPECT_EQ(Read(r.snapshot.pressure), 110.0);
    EXPECT_EQ(Read(r.snapshot.temperature), 37.78);
    for (int p = 0; p < 5; ++p) EXPECT_EQ(Read(r.snapshot.composition[p]), arraysBefore[p]) << "never reallocated";
    EXPECT_EQ(r.Composition(FEED), feedBefore) << "composition[FEED] is read, never written";
    EXPECT_EQ(Read(r.snapshot.phasePresent[VAP]), 1);
    EXPECT_EQ(Read(r.snapshot.phasePresent[LIQ1]), 1);
    EXPECT_EQ(Read(r.snapshot.phasePresent[LIQ2]), 0);
    EXPECT_EQ(Read(r.snapshot.phasePresent[SOLID]), 0);
    const double beta = Read(r.snapshot.phaseFraction[VAP]);
    EXPECT_GT(beta, 0.0);
    EXPECT_LT(beta, 1.0);
    EXPECT_NEAR(beta + Read(r.snapshot.phaseFraction[LIQ1]), 1.0, 1e-12);
    ExpectMaterialBalance(r, kLightFeed);
    EXPECT_GT(r.X(VAP, 0), r.X(LIQ1, 0)) << "butane gathers in the vapour";
    for (int p : {LIQ2, SOLID}) {
        EXPECT_EQ(Read(r.snapshot.phaseFraction[p]), 0.0);
        EXPECT_EQ(Read(r.snapshot.molarVolume[p]), 0.0);
        for (double x : r.Composition(p)) EXPECT_EQ(x, 0.0) << "an absent phase has a zero composition";
    }
    // m³/kmol: the vapour near RT/P, the liquid around 0.1, the whole fluid their blend.
    const double ideal = kR * (37.78 + 273.15) / 110.0;
    EXPECT_NEAR(Read(r.snapshot.molarVolume[VAP]), ideal, 0.1 * ideal);
    EXPECT_GT(Read(r.snapshot.molarVolume[LIQ1]), 0.08);
    EXPECT_LT(Read(r.snapshot.molarVolume[LIQ1]), 0.15);
    EXPECT_NEAR(Read(r.snapshot.molarVolume[FEED]),
                beta * Read(r.snapshot.molarVolume[VAP]) + (1 - beta) * Read(r.snapshot.molarVolume[LIQ1]), 1e-12);
    EXPECT_EQ(stream->flashCount(), 1);
}

TEST(FlashContract, GivenVapourFractionFindsThePressure) {
    auto stream = Stream(kLight, kLightFeed);
    Record bubble(kLightFeed, 37.78, EMPTY_VALUE, 0.0);
    ASSERT_EQ(stream->Flash(&bubble.snapshot), S_OK);
    const double pBubble = Read(bubble.snapshot.pressure);
    EXPECT_GT(pBubble, 140.0);
    EXPECT_LT(pBubble, 180.0);
    EXPECT_NEAR(Read(bubble.snapshot.phaseFraction[VAP]), 0.0, 1e-12);
    for (size_t i = 0; i < 3; ++i) EXPECT_NEAR(bubble.X(LIQ1, i), kLightFeed[i], 1e-9) << "the liquid is the feed";

    // 80 % vapour lies below the bubble point, and a flash at that pressure returns it.
    Record split(kLightFeed, 37.78, EMPTY_VALUE, 0.8);
    ASSERT_EQ(stream->Flash(&split.snapshot), S_OK);
    EXPECT_NEAR(Read(split.snapshot.phaseFraction[VAP]), 0.8, 1e-9);
    EXPECT_LT(Read(split.snapshot.pressure), pBubble);
    Record check(kLightFeed, 37.78, split.snapshot.pressure);
    ASSERT_EQ(stream->Flash(&check.snapshot), S_OK);
    EXPECT_NEAR(Read(check.snapshot.phaseFraction[VAP]), 0.8, 1e-6);
    ExpectMaterialBalance(split, kLightFeed);
}

TEST(FlashContract, StalePhaseDataBesideAGivenPressureIsIgnored) {
    auto stream = Stream(kLight, kLightFeed);
    Record clean(kLightFeed, 37.78, 110.0);
    ASSERT_EQ(stream->Flash(&clean.snapshot), S_OK);

    // A record reused from an earlier flash: a vapour fraction, presence flags, volumes
    // and host properties left over. The pressure decides.
    Record stale(kLightFeed, 37.78, 110.0, 0.05);
    for (int p = 0; p < 4; ++p) {
        stale.snapshot.phasePresent[p] = 1;
        stale.snapshot.phaseFraction[p] = 0.25;
    }
    for (int p = 0; p < 5; ++p) stale.snapshot.phasePropertyA[p] = stale.snapshot.molarVolume[p] = 123.0;
    ASSERT_EQ(stream->Flash(&stale.snapshot), S_OK);
    EXPECT_EQ(Read(stale.snapshot.pressure), 110.0);
    for (int p = 0; p < 4; ++p) {
        EXPECT_EQ(Read(stale.snapshot.phaseFraction[p]), Read(clean.snapshot.phaseFraction[p]));
        EXPECT_EQ(Read(stale.snapshot.phasePresent[p]), Read(clean.snapshot.phasePresent[p]));
        EXPECT_EQ(Read(stale.snapshot.molarVolume[p]), Read(clean.snapshot.molarVolume[p]));
        EXPECT_EQ(stale.Composition(p), clean.Composition(p));
    }
}

TEST(FlashContract, WaterFormsTheAqueousLiquidBesideVapourAndHydrocarbonLiquid) {
    const std::vector<std::string> keys = {"propane", "n-pentane", "n-heptane", "n-decane", "water"};
    const std::vector<double> z = {0.15, 0.25, 0.25, 0.15, 0.20};
    auto stream = Stream(keys, z);
    Record r(z, 25.0, 100.0);
    ASSERT_EQ(stream->Flash(&r.snapshot), S_OK);
    EXPECT_EQ(Read(r.snapshot.phasePresent[VAP]), 1);
    EXPECT_EQ(Read(r.snapshot.phasePresent[LIQ1]), 1);
    EXPECT_EQ(Read(r.snapshot.phasePresent[LIQ2]), 1);
    EXPECT_EQ(Read(r.snapshot.phasePresent[SOLID]), 0);
    EXPECT_GT(r.X(LIQ2, 4), 0.999) << "the heavy liquid is the water";
    EXPECT_LT(r.X(LIQ1, 4), 0.01) << "the light liquid is the hydrocarbons";
    EXPECT_NEAR(Read(r.snapshot.molarVolume[LIQ2]), 0.018, 0.001) << "water: 18 kg/kmol at about 1000 kg/m³";
    EXPECT_NEAR(Read(r.snapshot.phaseFraction[VAP]) + Read(r.snapshot.phaseFraction[LIQ1]) + Read(r.snapshot.phaseFraction[LIQ2]), 1.0,
                1e-12);
    ExpectMaterialBalance(r, z);
}

// Every refusal and failure: a failure status, a reason, and not one byte changed.
TEST(FlashContract, AFlashThatCannotBeMadeLeavesTheRecordUntouched) {
    auto stream = Stream(kLight, kLightFeed);
    auto methane = Stream({"methane", "ethane"}, {0.9, 0.1});
    struct Case {
        const char* what;
        MaterialStream* stream;
        Record record;
        HRESULT status;
    };
    std::vector<Case> cases;
    cases.push_back({"vapour fraction above 1", stream.get(), Record(kLightFeed, 37.78, EMPTY_VALUE, 1.5), E_INVALIDARG});
    cases.push_back({"vapour fraction empty", stream.get(), Record(kLightFeed, 37.78, EMPTY_VALUE), E_INVALIDARG});
    cases.push_back({"negative pressure", stream.get(), Record(kLightFeed, 37.78, -5.0), E_INVALIDARG});
    cases.push_back({"below absolute zero", stream.get(), Record(kLightFeed, -300.0, 100.0), E_INVALIDARG});
    cases.push_back({"negative fraction", stream.get(), Record({0.5, -0.1, 0.6}, 37.78, 100.0), E_INVALIDARG});
    cases.push_back({"all-zero feed", stream.get(), Record({0, 0, 0}, 37.78, 100.0), E_INVALIDARG});
    cases.push_back({"NaN in the feed", stream.get(), Record({0.5, std::nan(""), 0.5}, 37.78, 100.0), E_INVALIDARG});
    cases.push_back({"wrong component count", stream.get(), Record({0.5, 0.5}, 37.78, 100.0), E_INVALIDARG});
    // A gas far above its cricondentherm has no pressure at which half of it condenses.
    cases.push_back({"no such state", methane.get(), Record({0.9, 0.1}, 37.78, EMPTY_VALUE, 0.5), E_FAIL});
    for (Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::vector<unsigned char> before = c.record.Bytes();
        const HRESULT status = c.stream->Flash(&c.record.snapshot);
        EXPECT_EQ(status, c.status);
        EXPECT_EQ(c.record.Bytes(), before);
        BSTR why = nullptr;
        ASSERT_EQ(c.stream->GetLastFlashStatus(&why), S_OK);
        EXPECT_GT(SysStringLen(why), 0u) << "the reason is kept";
        SysFreeString(why);
    }
    Record noFeed(kLightFeed, 37.78, 100.0);
    noFeed.snapshot.composition[FEED] = nullptr;
    EXPECT_EQ(stream->Flash(&noFeed.snapshot), E_INVALIDARG);
    EXPECT_EQ(stream->Flash(nullptr), E_POINTER);

    // The next good flash clears the reason.
    Record good(kLightFeed, 37.78, 110.0);
    ASSERT_EQ(stream->Flash(&good.snapshot), S_OK);
    BSTR why = nullptr;
    ASSERT_EQ(stream->GetLastFlashStatus(&why), S_OK);
    EXPECT_EQ(SysStringLen(why), 0u);
    SysFreeString(why);
}

TEST(FlashContract, AFeedThatDoesNotAddUpToOneIsNormalised) {
    auto stream = Stream(kLight, kLightFeed);
    Record unit(kLightFeed, 37.78, 110.0);
    ASSERT_EQ(stream->Flash(&unit.snapshot), S_OK);
    const std::vector<double> doubled = {0.6, 0.8, 0.6};
    Record twice(doubled, 37.78, 110.0);
    ASSERT_EQ(stream->Flash(&twice.snapshot), S_OK);
    EXPECT_EQ(twice.Composition(FEED), doubled) << "the caller's feed stays as written";
    for (int p = 0; p < 4; ++p) {
        EXPECT_NEAR(Read(twice.snapshot.phaseFraction[p]), Read(unit.snapshot.phaseFraction[p]), 1e-12);
        for (size_t i = 0; i < 3; ++i) EXPECT_NEAR(twice.X(p, i), unit.X(p, i), 1e-12);
    }
}

}  // namespace
}  // namespace refhost
