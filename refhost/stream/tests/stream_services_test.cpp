// What a stream hands the library besides its flash: named per-component arrays in the
// caller's task-memory buffer, the snapshot at the stream's conditions, the per-phase
// analysis, message lines, and its identity. Every block handed out is counted back.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "comrt/codepage.h"
#include "comrt/owners.h"
#include "comrt/testing/task_mem_check.h"
#include "host/phase.h"
#include "host/variables.h"
#include "refhost/stream/material_stream.h"
#include "refhost/stream/stream_analysis.h"
#include "thermo/petroleum_fraction.h"

namespace refhost {
namespace {

using comrt::ComPtr;
using volacor::EMPTY_VALUE;
using volacor::FEED;
using volacor::LIQ1;
using volacor::LIQ2;
using volacor::SOLID;
using volacor::VAP;

template <class T>
T Read(T member) {
    return member;
}

ComPtr<MaterialStream> NaphthaWithCut() {
    std::vector<thermo::Component> components;
    for (const char* key : {"methane", "n-pentane", "n-hexane", "nitrogen"})
        components.push_back(thermo::ComponentDatabase::builtin().find(key));
    components.push_back(thermo::make_pseudo_component({"C7 cut", 371.0, 0.735, 98.0}, thermo::kFirstPseudoHostId));
    return MaterialStream::Create(thermo::Fluid(components), {.name = "naphtha",
                                                              .temperature_C = 15.0,
                                                              .pressure_kPa = 101.325,
                                                              .molarFlow_kmol_h = 42.5,
                                                              .moleFractions = {0.001, 0.5, 0.3, 0.0, 0.199}});
}

TEST(StreamServices, NamedArraysFillOrReallocateTheCallersBuffer) {
    comrt::testing::TaskMemCheck memory;
    auto stream = NaphthaWithCut();
    struct Case {
        const char* name;
        std::vector<double> expected;
    };
    const std::vector<Case> cases = {
        {"Molecular Weight", {16.0425, 72.1488, 86.1754, 28.0134, 98.0}},
        {"MolarFlow", {42.5}},
        {"ComponentIDs", {1, 7, 8, 13, 1000}},
        {"CAS_Numbers", {74828, 109660, 110543, 7727379, 0}},
    };
    double* buffer = nullptr;  // one buffer through all calls, as the library's calculator keeps it
    int32_t count = -1;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(stream->GetComponentValues(c.name, &count, &buffer), S_OK);
        ASSERT_EQ(count, static_cast<int32_t>(c.expected.size()));
        for (size_t i = 0; i < c.expected.size(); ++i) EXPECT_NEAR(buffer[i], c.expected[i], 1e-9) << i;
    }
    EXPECT_EQ(memory.Leaked(), 1) << "one block, reallocated from call to call";

    // An unknown name fails and leaves both out-arguments alone.
    double* const before = buffer;
    EXPECT_EQ(stream->GetComponentValues("Vapour Pressure", &count, &buffer), E_INVALIDARG);
    EXPECT_EQ(buffer, before);
    EXPECT_EQ(count, 5);
    EXPECT_EQ(stream->GetComponentValues(nullptr, &count, &buffer), E_POINTER);
    CoTaskMemFree(buffer);
    stream.reset();
    EXPECT_EQ(memory.Leaked(), 0);
}

TEST(StreamServices, SnapshotIsTheStreamFlashedAtItsOwnConditions) {
    comrt::testing::TaskMemCheck memory;
    auto stream = NaphthaWithCut();
    volacor::FluidSnapshot snapshot{};
    ASSERT_EQ(stream->GetFluidSnapshot(&snapshot), S_OK);
    EXPECT_EQ(Read(snapshot.temperature), 15.0);
    EXPECT_EQ(Read(snapshot.pressure), 101.325);
    ASSERT_EQ(Read(snapshot.componentCount), 5);
    for (int p = 0; p < 5; ++p) ASSERT_NE(Read(snapshot.composition[p]), nullptr) << "all five arrays";
    EXPECT_EQ(memory.Leaked(), 5);
    double sum = 0;
    for (int i = 0; i < 5; ++i) sum += snapshot.composition[FEED][i];
    EXPECT_NEAR(sum, 1.0, 1e-12);
    EXPECT_EQ(stream->flashCount(), 0) << "the snapshot's own flash is not one the library asked for";
    // Pentane and hexane at 15 °C and 1 atm: a liquid, with the methane partly flashed off.
    EXPECT_EQ(Read(snapshot.phasePresent[LIQ1]), 1);
    EXPECT_EQ(Read(snapshot.phasePresent[LIQ2]), 0);
    EXPECT_EQ(Read(snapshot.phasePresent[SOLID]), 0);
    EXPECT_GT(Read(snapshot.molarVolume[FEED]), 0.0);
    for (int p = 0; p < 5; ++p) CoTaskMemFree(snapshot.composition[p]);
    stream.reset();
    EXPECT_EQ(memory.Leaked(), 0);
}

TEST(StreamServices, AnalysisHasACurveForEveryPhaseAndIsKeptUntilTheStreamChanges) {
    comrt::testing::TaskMemCheck memory;
    auto stream = MaterialStream::Create(thermo::Fluid::from_keys({"n-butane", "n-pentane", "n-hexane", "n-heptane"}),
                                         {.name = "liquid", .moleFractions = {0.1, 0.3, 0.3, 0.3}});
    const auto analyse = [&] {
        volacor::StreamAnalysis a{};
        EXPECT_EQ(stream->GetAnalysis(&a), S_OK);
        std::vector<std::vector<double>> curves;
        std::vector<double> rvps;
        for (int p = 0; p < 5; ++p) {
            EXPECT_NE(Read(a.distillationCurve[p]), nullptr) << "never null";
            EXPECT_EQ(Read(a.curveData[p]), nullptr);
            const double* curve = a.distillationCurve[p];
            curves.emplace_back(curve, curve + kDistillationPoints);
            rvps.push_back(Read(a.bpCurveRvp[p]));
            CoTaskMemFree(a.distillationCurve[p]);
        }
        return std::make_pair(curves, rvps);
    };
    const auto [curves, rvps] = analyse();
    // A liquid at 15 °C: FEED and LIQ1 are the same composition; no vapour, no water.
    EXPECT_EQ(curves[FEED], curves[LIQ1]);
    EXPECT_EQ(rvps[FEED], rvps[LIQ1]);
    EXPECT_GT(rvps[FEED], 50.0);
    EXPECT_LT(rvps[FEED], 150.0);
    for (int p : {VAP, LIQ2, SOLID}) {
        EXPECT_EQ(rvps[static_cast<size_t>(p)], EMPTY_VALUE);
        for (double t : curves[static_cast<size_t>(p)]) EXPECT_EQ(t, EMPTY_VALUE);
    }
    for (size_t k = 1; k < kDistillationPoints; ++k) EXPECT_GE(curves[FEED][k], curves[FEED][k - 1]) << k;

    EXPECT_EQ(analyse().second, rvps) << "kept";
    stream->SetMoleFractions({0.3, 0.3, 0.2, 0.2});
    EXPECT_GT(analyse().second[FEED], rvps[FEED]) << "recomputed for the new composition: more butane";
    stream.reset();
    EXPECT_EQ(memory.Leaked(), 0);
}

TEST(StreamServices, MessagesAreKeptAsSentAndConvertedForPeople) {
    auto stream = NaphthaWithCut();
    ASSERT_EQ(stream->AddMessage("Phase: FEED - ASTM D323-82 chilled to 33\xB0" "F."), S_OK);
    ASSERT_EQ(stream->AddMessage(""), S_OK);
    EXPECT_EQ(stream->AddMessage(nullptr), E_POINTER);
    const std::vector<std::string> raw = stream->TakeMessages();
    ASSERT_EQ(raw.size(), 2u);
    EXPECT_EQ(raw[0], "Phase: FEED - ASTM D323-82 chilled to 33\xB0" "F.");
    EXPECT_EQ(MaterialStream::MessagesUtf8(raw)[0], "Phase: FEED - ASTM D323-82 chilled to 33\u00B0F.");
    EXPECT_TRUE(stream->TakeMessages().empty()) << "taken once";
}

TEST(StreamServices, OneObjectBehindThreeInterfaces) {
    auto stream = NaphthaWithCut();
    ComPtr<volacor::IHostFluid> fluid;
    ComPtr<volacor::IHostStreamAnalysis> analysis;
    ComPtr<volacor::IHostFluidServices> services;
    ComPtr<IUnknown> a, b;
    ASSERT_EQ(stream->QueryInterface(volacor::IID_IHostFluid, fluid.put_void()), S_OK);
    ASSERT_EQ(fluid->QueryInterface(volacor::IID_IHostStreamAnalysis, analysis.put_void()), S_OK);
    ASSERT_EQ(analysis->QueryInterface(volacor::IID_IHostFluidServices, services.put_void()), S_OK);
    services->QueryInterface(IID_IUnknown, a.put_void());
    analysis->QueryInterface(IID_IUnknown, b.put_void());
    EXPECT_EQ(a.get(), b.get());
    ComPtr<IUnknown> none;
    EXPECT_EQ(stream->QueryInterface(volacor::IID_IHostVariable, none.put_void()), E_NOINTERFACE);
    EXPECT_EQ(none.get(), nullptr);
    int32_t n = 0;
    ASSERT_EQ(services->GetComponentCount(&n), S_OK);
    EXPECT_EQ(n, 5);
    BSTR name = nullptr;
    ASSERT_EQ(services->GetComponentName(4, &name), S_OK);
    EXPECT_EQ(comrt::WideToUtf8(std::u16string_view(name, SysStringLen(name))), "C7 cut");
    SysFreeString(name);
    EXPECT_EQ(services->GetComponentName(5, &name), E_INVALIDARG);
    a.reset();
    b.reset();
    fluid.reset();
    analysis.reset();
    services.reset();
    stream->AddRef();
    EXPECT_EQ(stream->Release(), 1u) << "only the test's own reference is left";
}

TEST(StreamServices, BadStatesAreRefusedWithTheirReason) {
    const auto fluid = thermo::Fluid::from_keys({"n-pentane", "n-hexane"});
    EXPECT_THROW(MaterialStream::Create(fluid, {.name = "short", .moleFractions = {1.0}}), std::invalid_argument);
    EXPECT_THROW(MaterialStream::Create(fluid, {.name = "zero", .moleFractions = {0.0, 0.0}}), std::invalid_argument);
    EXPECT_THROW(MaterialStream::Create(fluid, {.name = "p", .pressure_kPa = 0, .moleFractions = {1, 1}}),
                 std::invalid_argument);
    auto stream = MaterialStream::Create(fluid, {.name = "ok", .moleFractions = {1, 1}});
    EXPECT_THROW(stream->SetConditions(std::nan(""), 100.0), std::invalid_argument);
    EXPECT_EQ(stream->state().temperature_C, 15.0) << "a refused change changes nothing";
}

}  // namespace
}  // namespace refhost
