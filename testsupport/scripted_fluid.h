// A scripted host fluid: one object answering IHostFluid, IHostStreamAnalysis and
// IHostFluidServices, whose snapshot, named arrays, analysis and flashes a test sets, and
// which records what the library asked of it. Everything it hands out comes from task
// memory, so comrt_TaskMemOutstanding() shows whether the library freed it; it counts
// references with the runtime's counting fake, so liveReferences() == 1 (the test's own)
// shows that every reference the library took was released. Any host call can be told
// to raise an exception instead of answering (ThrowAt), or to fail (FailAt).
//
// Example:
//
//   auto fluid = ScriptedFluid::Make({Methane, NPentane, NHexane});
//   fluid->Feed({0.02, 0.58, 0.40})
//        .Phase(VAP, {0.30, 0.60, 0.10})
//        .OnFlash(ScriptedFluid::BubblePoint(68.943));
//   FluidInstallation installed(*GetPropertyCalculator(), *fluid);
//   double rvp = orvan_api::CalculatePhase(GetPropertyCalculator(), FEED, 559.694, 0.0);
//   EXPECT_EQ(fluid->flashRequests.size(), 1u);
//   EXPECT_TRUE(fluid->messages.empty());
//
// Defaults: 25 °C and 101.325 kPa; the feed split evenly over the components; every
// phase composition a copy of the feed and no phase present (FEED is always computed);
// the four named arrays filled from the components ("MolarFlow" holds one value, 100);
// no boiling-point RVP (EMPTY_VALUE) and no distillation curves; a flash without a
// handler fails with E_FAIL, and a flash of a record without an overall composition
// (or with no components) fails with E_INVALIDARG before any handler runs.
//
// The records are packed to 4 bytes: in handlers and assertions reach their members by
// index or through testsupport/packed.h, never by reference.
#pragma once

#include <array>
#include <deque>
#include <functional>
#include <initializer_list>
#include <map>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "comrt/testing/counting_fake.h"
#include "host/fluid.h"
#include "host/phase.h"
#include "testsupport/host_components.h"

namespace volacor::testsupport {

// A copy of what the library asked a flash for, taken when it called.
struct FlashRequest {
    double temperature_C;
    double pressure_kPa;        // EMPTY_VALUE for a vapour-fraction request
    double vapourFraction;      // phaseFraction[0]; EMPTY_VALUE for a pressure request
    std::vector<double> feed;   // composition[FEED], componentCount values
};

// What a scripted flash writes back into the record. Compositions that are left empty
// leave the caller's arrays as they are; the others are copied into them.
struct FlashAnswer {
    double pressure_kPa = EMPTY_VALUE;
    std::array<double, 4> phaseFraction{EMPTY_VALUE, EMPTY_VALUE, EMPTY_VALUE, EMPTY_VALUE};
    std::array<double, 5> molarVolume_m3_kmol{EMPTY_VALUE, EMPTY_VALUE, EMPTY_VALUE, EMPTY_VALUE, EMPTY_VALUE};
    std::array<int32_t, 4> phasePresent{0, 0, 0, 0};
    std::array<std::vector<double>, 4> composition;
};

// How many times the library called each operation.
struct CallCounts {
    int fluidSnapshot = 0;
    int analysis = 0;
    int flash = 0;
    int servicesQueries = 0;                      // QueryInterface for IHostFluidServices
    std::map<std::string, int> componentValues;   // GetComponentValues, by name
};

// The host calls a scripted fluid can be told to disrupt, by these names:
//   "GetFluidSnapshot", "GetAnalysis", "Flash", "AddMessage",
//   "QueryInterface(IHostFluidServices)", and "GetComponentValues(<array name>)", e.g.
//   "GetComponentValues(MolarFlow)".
inline std::string ComponentValuesCall(const std::string& arrayName) { return "GetComponentValues(" + arrayName + ")"; }
inline constexpr const char* ServicesQueryCall = "QueryInterface(IHostFluidServices)";

// What a disrupted host call raises.
class ScriptedHostException : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class ScriptedFluid final : public comrt::testing::CountingFake<IHostFluid>,
                            public IHostStreamAnalysis,
                            public IHostFluidServices {
public:
    using FlashHandler = std::function<HRESULT(FluidSnapshot&)>;

    // A fluid of these components; the test holds its one reference.
    static std::unique_ptr<ScriptedFluid> Make(std::initializer_list<HostComponent> components);
    explicit ScriptedFluid(std::vector<HostComponent> components);
    // Reports a test failure when references other than the test's own are still held.
    ~ScriptedFluid();
    ScriptedFluid(const ScriptedFluid&) = delete;
    ScriptedFluid& operator=(const ScriptedFluid&) = delete;

    // --- The snapshot GetFluidSnapshot hands out.
    ScriptedFluid& Conditions(double temperature_C, double pressure_kPa);
    ScriptedFluid& Feed(std::vector<double> moleFractions);
    // A phase's composition and whether it is present.
    ScriptedFluid& Phase(int32_t phase, std::vector<double> moleFractions, bool present = true);
    ScriptedFluid& Present(int32_t phase, bool present);
    // The host hands out a null composition array for this phase.
    ScriptedFluid& NullComposition(int32_t phase);
    // Reports a component count other than the number of components (arrays keep theirs).
    ScriptedFluid& ComponentCount(int32_t count);
    ScriptedFluid& FailSnapshot(HRESULT status = E_FAIL);

    // --- Named arrays ("Molecular Weight", "MolarFlow", "ComponentIDs", "CAS_Numbers").
    ScriptedFluid& Array(const std::string& name, std::vector<double> values);
    ScriptedFluid& MolarFlow(double flow);
    // The host knows no array of that name: E_INVALIDARG.
    ScriptedFluid& RemoveArray(const std::string& name);
    // Success, with only the first count values.
    ScriptedFluid& ShortenArray(const std::string& name, int32_t count);
    ScriptedFluid& FailArray(const std::string& name, HRESULT status = E_FAIL);

    // --- The stream analysis GetAnalysis hands out.
    ScriptedFluid& BpCurveRvp(int32_t phase, double rvp_kPa);
    ScriptedFluid& DistillationCurve(int32_t phase, std::vector<double> temperatures_C);
    ScriptedFluid& FailAnalysis(HRESULT status = E_FAIL);

    // --- Flashes: queued handlers answer first, one flash each, then the standing one.
    ScriptedFluid& OnFlash(FlashHandler handler);
    ScriptedFluid& QueueFlash(FlashHandler handler);
    // Handlers for the common answers.
    static FlashHandler Answer(FlashAnswer answer);
    static FlashHandler BubblePoint(double pressure_kPa);  // all liquid at that pressure
    static FlashHandler Fail(HRESULT status = E_FAIL);

    // QueryInterface for IHostFluidServices answers E_NOINTERFACE.
    ScriptedFluid& RefuseServices();

    // --- Disruptions of any named host call (names above). occurrence counts that call's
    // invocations from 1; 0 disrupts every one. A disrupted call raises (or returns
    // status) before it changes anything, so a raising call and a failing one leave the
    // library the same record to deal with.
    ScriptedFluid& ThrowAt(const std::string& call, int occurrence = 0);
    ScriptedFluid& FailAt(const std::string& call, int occurrence = 0, HRESULT status = E_FAIL);
    // How often each named call was made (disrupted ones included).
    int CallsOf(const std::string& call) const;

    // --- What the library did.
    std::vector<std::string> messages;          // every AddMessage text, raw bytes
    std::vector<FlashRequest> flashRequests;    // every Flash, in order
    CallCounts calls;
    // The test's own reference and those the library holds.
    int64_t liveReferences() const { return 1 + References(); }
    // More released than the library took.
    bool overReleased() const { return References() < 0; }

    // IUnknown, shared by the three interfaces: the counting fake's.
    HRESULT QueryInterface(const GUID& iid, void** out) override { return CountingFake::QueryInterface(iid, out); }
    ULONG AddRef() override { return CountingFake::AddRef(); }
    ULONG Release() override { return CountingFake::Release(); }
    // IHostFluid
    HRESULT GetComponentValues(const char* name, int32_t* count, double** values) override;
    HRESULT GetFluidSnapshot(FluidSnapshot* snapshot) override;
    // IHostStreamAnalysis
    HRESULT Refresh() override;
    HRESULT GetAnalysis(StreamAnalysis* analysis) override;
    // IHostFluidServices
    HRESULT GetComponentCount(int32_t* count) override;
    HRESULT GetComponentName(int32_t index, BSTR* name) override;
    HRESULT GetFlashCount(int64_t* count) override;
    HRESULT ResetFlashCount() override;
    HRESULT GetLastFlashStatus(BSTR* text) override;
    HRESULT Flash(FluidSnapshot* fluid) override;
    HRESULT AddMessage(const char* text) override;

private:
    void* ServeOther(const GUID& iid) override;
    // Counts the call and carries out a disruption set for this invocation: raises, or
    // gives the status to return (S_OK when the call is to answer as scripted).
    HRESULT Disruption(const std::string& call);

    struct Disrupt {
        int occurrence;  // 0: every invocation
        bool raises;
        HRESULT status;
    };
    struct NamedArray {
        std::vector<double> values;
        HRESULT status = S_OK;
        bool known = true;
    };

    std::vector<HostComponent> components_;
    double temperature_C_ = 25.0;
    double pressure_kPa_ = 101.325;
    std::optional<int32_t> componentCount_;
    std::array<std::optional<std::vector<double>>, 5> composition_;  // nullopt: null array
    std::array<int32_t, 4> present_{0, 0, 0, 0};
    HRESULT snapshotStatus_ = S_OK;
    std::map<std::string, NamedArray> arrays_;
    std::array<double, 5> bpCurveRvp_{EMPTY_VALUE, EMPTY_VALUE, EMPTY_VALUE, EMPTY_VALUE, EMPTY_VALUE};
    std::array<std::optional<std::vector<double>>, 5> distillation_;
    HRESULT analysisStatus_ = S_OK;
    FlashHandler flashHandler_;
    std::deque<FlashHandler> queuedFlashes_;
    bool refuseServices_ = false;
    int64_t flashCount_ = 0;
    HRESULT lastFlashStatus_ = S_OK;
    std::map<std::string, std::vector<Disrupt>> disruptions_;
    std::map<std::string, int> callsByName_;
};

}  // namespace volacor::testsupport
