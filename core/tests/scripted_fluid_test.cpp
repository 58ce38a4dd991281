// The scripted fluid that every method test stands on: if it answered differently from
// what it promises, the method tests would prove nothing.
#include "testsupport/scripted_fluid.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "comrt/com_ptr.h"
#include "comrt/memory.h"
#include "testsupport/packed.h"

namespace volacor::testsupport {
namespace {

using ::testing::ElementsAre;

TEST(ScriptedFluidTest, FlashesAnswerQueuedFirstThenStandingAndAreRecorded) {
    auto fluid = ScriptedFluid::Make({Methane, NPentane});
    FlashAnswer vapourAndLiquid;
    vapourAndLiquid.pressure_kPa = 250.0;
    vapourAndLiquid.phaseFraction = {0.4, 0.6, 0.0, 0.0};
    vapourAndLiquid.molarVolume_m3_kmol = {10.0, 0.1, EMPTY_VALUE, EMPTY_VALUE, EMPTY_VALUE};
    vapourAndLiquid.phasePresent = {1, 1, 0, 0};
    vapourAndLiquid.composition[VAP] = {0.9, 0.1};
    fluid->QueueFlash(ScriptedFluid::Answer(vapourAndLiquid))
        .QueueFlash(ScriptedFluid::Fail(E_UNEXPECTED))
        .OnFlash(ScriptedFluid::BubblePoint(70.0));

    double feed[2] = {0.3, 0.7}, vap[2] = {-1, -1};
    FluidSnapshot r{};
    r.componentCount = 2;
    r.composition[FEED] = feed;
    r.composition[VAP] = vap;
    r.temperature = 37.78;
    r.pressure = 101.325;
    r.phaseFraction[0] = EMPTY_VALUE;

    IHostFluidServices* services = fluid.get();
    ASSERT_EQ(services->Flash(&r), S_OK);
    EXPECT_EQ(Value(r.pressure), 250.0);
    EXPECT_THAT(Fractions(r), ElementsAre(0.4, 0.6, 0.0, 0.0));
    EXPECT_THAT(MolarVolumes(r), ElementsAre(10.0, 0.1, EMPTY_VALUE, EMPTY_VALUE, EMPTY_VALUE));
    EXPECT_THAT(Presence(r), ElementsAre(1, 1, 0, 0));
    EXPECT_THAT(vap, ElementsAre(0.9, 0.1));
    feed[0] = 0.5;
    r.pressure = EMPTY_VALUE;
    r.phaseFraction[0] = 0.0;
    EXPECT_EQ(services->Flash(&r), E_UNEXPECTED);
    EXPECT_EQ(services->Flash(&r), S_OK);
    EXPECT_EQ(Value(r.pressure), 70.0);
    r.composition[FEED] = nullptr;
    EXPECT_EQ(services->Flash(&r), E_INVALIDARG);

    ASSERT_EQ(fluid->flashRequests.size(), 4u);
    EXPECT_EQ(fluid->calls.flash, 4);
    const FlashRequest& first = fluid->flashRequests[0];
    EXPECT_EQ(first.pressure_kPa, 101.325);
    EXPECT_EQ(first.vapourFraction, EMPTY_VALUE);
    EXPECT_EQ(first.temperature_C, 37.78);
    EXPECT_THAT(first.feed, ElementsAre(0.3, 0.7)) << "a copy taken at the call";
    EXPECT_EQ(fluid->flashRequests[1].pressure_kPa, EMPTY_VALUE);
    EXPECT_EQ(fluid->flashRequests[1].vapourFraction, 0.0);
    EXPECT_THAT(fluid->flashRequests[1].feed, ElementsAre(0.5, 0.7));
    EXPECT_TRUE(fluid->flashRequests[3].feed.empty());
}

TEST(ScriptedFluidTest, ArraysReuseALongEnoughBufferAndReportTheirState) {
    auto fluid = ScriptedFluid::Make({Water, Oxygen, Nitrogen});
    fluid->ShortenArray("CAS_Numbers", 1).FailArray("Molecular Weight", E_OUTOFMEMORY).RemoveArray("MolarFlow");
    const int64_t blocksBefore = comrt_TaskMemOutstanding();
    int32_t count = 0;
    double* buffer = nullptr;

    ASSERT_EQ(fluid->GetComponentValues("ComponentIDs", &count, &buffer), S_OK);
    EXPECT_EQ(count, 3);
    EXPECT_THAT(std::vector<double>(buffer, buffer + 3), ElementsAre(19, 28, 13));
    double* const first = buffer;
    ASSERT_EQ(fluid->GetComponentValues("CAS_Numbers", &count, &buffer), S_OK);
    EXPECT_EQ(buffer, first) << "three doubles hold one";
    EXPECT_EQ(count, 1);
    EXPECT_EQ(buffer[0], 7732185);
    EXPECT_EQ(fluid->GetComponentValues("Molecular Weight", &count, &buffer), E_OUTOFMEMORY);
    EXPECT_EQ(fluid->GetComponentValues("MolarFlow", &count, &buffer), E_INVALIDARG);
    EXPECT_EQ(count, 1) << "a failing call leaves the caller's buffer and count alone";
    EXPECT_EQ(comrt_TaskMemOutstanding(), blocksBefore + 1);
    CoTaskMemFree(buffer);
    EXPECT_EQ(fluid->calls.componentValues["CAS_Numbers"], 1);
}

TEST(ScriptedFluidTest, InterfacesShareOneCountedIdentity) {
    auto fluid = ScriptedFluid::Make({NHexane});
    {
        comrt::ComPtr<IHostStreamAnalysis> analysis;
        ASSERT_EQ(fluid->QueryInterface(IID_IHostStreamAnalysis, analysis.put_void()), S_OK);
        comrt::ComPtr<IHostFluidServices> services;
        ASSERT_EQ(analysis.As(IID_IHostFluidServices, services), S_OK);
        comrt::ComPtr<IUnknown> viaServices, viaAnalysis;
        ASSERT_EQ(services.As(IID_IUnknown, viaServices), S_OK);
        ASSERT_EQ(analysis.As(IID_IUnknown, viaAnalysis), S_OK);
        EXPECT_EQ(viaServices.get(), viaAnalysis.get());
        EXPECT_EQ(fluid->liveReferences(), 5u);
    }
    EXPECT_EQ(fluid->liveReferences(), 1u);
    fluid->RefuseServices();
    void* out = &out;
    EXPECT_EQ(fluid->QueryInterface(IID_IHostFluidServices, &out), E_NOINTERFACE);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(fluid->calls.servicesQueries, 2);
}

}  // namespace
}  // namespace volacor::testsupport
