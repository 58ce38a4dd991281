#include "testsupport/scripted_fluid.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <utility>

#include "comrt/memory.h"

namespace volacor::testsupport {
namespace {

// A task-memory block holding values, at least `length` doubles long (zero-padded).
double* TaskCopy(const std::vector<double>& values, size_t length) {
    length = std::max(length, values.size());
    auto* block = static_cast<double*>(CoTaskMemAlloc(std::max<size_t>(length, 1) * sizeof(double)));
    if (!block) return nullptr;
    std::fill(block, block + length, 0.0);
    std::copy(values.begin(), values.end(), block);
    return block;
}

bool ValidPhase(int32_t phase, int32_t count) { return phase >= 0 && phase < count; }

// Bytes of the opaque per-phase block the host hands over with an analysis.
constexpr size_t CURVE_DATA_BYTES = 32;

}  // namespace

std::unique_ptr<ScriptedFluid> ScriptedFluid::Make(std::initializer_list<HostComponent> components) {
    return std::make_unique<ScriptedFluid>(std::vector<HostComponent>(components));
}

ScriptedFluid::ScriptedFluid(std::vector<HostComponent> components)
    : CountingFake(IID_IHostFluid), components_(std::move(components)) {
    const size_t n = components_.size();
    std::vector<double> even(n, n ? 1.0 / static_cast<double>(n) : 0.0);
    for (auto& composition : composition_) composition = even;
    std::vector<double> ids, cas, weights;
    for (const HostComponent& c : components_) {
        ids.push_back(c.id);
        cas.push_back(c.cas);
        weights.push_back(c.molecularWeight_g_mol);
    }
    arrays_["ComponentIDs"].values = ids;
    arrays_["CAS_Numbers"].values = cas;
    arrays_["Molecular Weight"].values = weights;
    arrays_["MolarFlow"].values = {100.0};
}

ScriptedFluid::~ScriptedFluid() {
    if (liveReferences() != 1)
        ADD_FAILURE() << "scripted fluid destroyed with " << liveReferences()
                      << " references held; the test's own is the only one expected";
}

// --- Script -------------------------------------------------------------------------

ScriptedFluid& ScriptedFluid::Conditions(double temperature_C, double pressure_kPa) {
    temperature_C_ = temperature_C;
    pressure_kPa_ = pressure_kPa;
    return *this;
}

ScriptedFluid& ScriptedFluid::Feed(std::vector<double> moleFractions) {
    // Phases not scripted yet follow the feed.
    for (int32_t p = 0; p < PHASE_COUNT_NO_FEED; ++p)
        if (!present_[p] && composition_[p] == composition_[FEED]) composition_[p] = moleFractions;
    composition_[FEED] = std::move(moleFractions);
    return *this;
}

ScriptedFluid& ScriptedFluid::Phase(int32_t phase, std::vector<double> moleFractions, bool present) {
    if (!ValidPhase(phase, PHASE_COUNT)) return *this;
    composition_[phase] = std::move(moleFractions);
    if (phase != FEED) present_[phase] = present ? 1 : 0;
    return *this;
}

ScriptedFluid& ScriptedFluid::Present(int32_t phase, bool present) {
    if (ValidPhase(phase, PHASE_COUNT_NO_FEED)) present_[phase] = present ? 1 : 0;
    return *this;
}

ScriptedFluid& ScriptedFluid::NullComposition(int32_t phase) {
    if (ValidPhase(phase, PHASE_COUNT)) composition_[phase].reset();
    return *this;
}

ScriptedFluid& ScriptedFluid::ComponentCount(int32_t count) {
    componentCount_ = count;
    return *this;
}

ScriptedFluid& ScriptedFluid::FailSnapshot(HRESULT status) {
    snapshotStatus_ = status;
    return *this;
}

ScriptedFluid& ScriptedFluid::Array(const std::string& name, std::vector<double> values) {
    arrays_[name] = NamedArray{std::move(values)};
    return *this;
}

ScriptedFluid& ScriptedFluid::MolarFlow(double flow) { return Array("MolarFlow", {flow}); }

ScriptedFluid& ScriptedFluid::RemoveArray(const std::string& name) {
    arrays_[name].known = false;
    return *this;
}

ScriptedFluid& ScriptedFluid::ShortenArray(const std::string& name, int32_t count) {
    auto& values = arrays_[name].values;
    values.resize(std::min(values.size(), static_cast<size_t>(std::max(count, 0))));
    return *this;
}

ScriptedFluid& ScriptedFluid::FailArray(const std::string& name, HRESULT status) {
    arrays_[name].status = status;
    return *this;
}

ScriptedFluid& ScriptedFluid::BpCurveRvp(int32_t phase, double rvp_kPa) {
    if (ValidPhase(phase, PHASE_COUNT)) bpCurveRvp_[phase] = rvp_kPa;
    return *this;
}

ScriptedFluid& ScriptedFluid::DistillationCurve(int32_t phase, std::vector<double> temperatures_C) {
    if (ValidPhase(phase, PHASE_COUNT)) distillation_[phase] = std::move(temperatures_C);
    return *this;
}

ScriptedFluid& ScriptedFluid::FailAnalysis(HRESULT status) {
    analysisStatus_ = status;
    return *this;
}

ScriptedFluid& ScriptedFluid::OnFlash(FlashHandler handler) {
    flashHandler_ = std::move(handler);
    return *this;
}

ScriptedFluid& ScriptedFluid::QueueFlash(FlashHandler handler) {
    queuedFlashes_.push_back(std::move(handler));
    return *this;
}

ScriptedFluid& ScriptedFluid::RefuseServices() {
    refuseServices_ = true;
    return *this;
}

ScriptedFluid::FlashHandler ScriptedFluid::Answer(FlashAnswer answer) {
    return [answer = std::move(answer)](FluidSnapshot& record) {
        record.pressure = answer.pressure_kPa;
        for (int32_t p = 0; p < PHASE_COUNT_NO_FEED; ++p) {
            record.phaseFraction[p] = answer.phaseFraction[p];
            record.phasePresent[p] = answer.phasePresent[p];
            const auto& x = answer.composition[p];
            if (x.empty() || !record.composition[p]) continue;
            const size_t n = std::min(x.size(), static_cast<size_t>(std::max(record.componentCount, 0)));
            std::copy(x.begin(), x.begin() + static_cast<std::ptrdiff_t>(n), record.composition[p]);
        }
        for (int32_t p = 0; p < PHASE_COUNT; ++p) record.molarVolume[p] = answer.molarVolume_m3_kmol[p];
        return S_OK;
    };
}

ScriptedFluid::FlashHandler ScriptedFluid::BubblePoint(double pressure_kPa) {
    FlashAnswer answer;
    answer.pressure_kPa = pressure_kPa;
    answer.phaseFraction = {0.0, 1.0, 0.0, 0.0};
    answer.phasePresent = {0, 1, 0, 0};
    return Answer(std::move(answer));
}

ScriptedFluid::FlashHandler ScriptedFluid::Fail(HRESULT status) {
    return [status](FluidSnapshot&) { return status; };
}

ScriptedFluid& ScriptedFluid::ThrowAt(const std::string& call, int occurrence) {
    disruptions_[call].push_back({occurrence, true, E_FAIL});
    return *this;
}

ScriptedFluid& ScriptedFluid::FailAt(const std::string& call, int occurrence, HRESULT status) {
    disruptions_[call].push_back({occurrence, false, status});
    return *this;
}

int ScriptedFluid::CallsOf(const std::string& call) const {
    const auto found = callsByName_.find(call);
    return found == callsByName_.end() ? 0 : found->second;
}

HRESULT ScriptedFluid::Disruption(const std::string& call) {
    const int invocation = ++callsByName_[call];
    const auto found = disruptions_.find(call);
    if (found == disruptions_.end()) return S_OK;
    for (const Disrupt& d : found->second) {
        if (d.occurrence != 0 && d.occurrence != invocation) continue;
        if (d.raises) throw ScriptedHostException(call + " raised, as scripted");
        return d.status;
    }
    return S_OK;
}

// --- IUnknown -------------------------------------------------------------------------

void* ScriptedFluid::ServeOther(const GUID& iid) {
    if (iid == IID_IHostStreamAnalysis) return static_cast<IHostStreamAnalysis*>(this);
    if (!(iid == IID_IHostFluidServices)) return nullptr;
    ++calls.servicesQueries;
    if (FAILED(Disruption(ServicesQueryCall)) || refuseServices_) return nullptr;
    return static_cast<IHostFluidServices*>(this);
}

// --- IHostFluid -------------------------------------------------------------------------

HRESULT ScriptedFluid::GetComponentValues(const char* name, int32_t* count, double** values) {
    if (!name || !count || !values) return E_POINTER;
    ++calls.componentValues[name];
    if (const HRESULT disrupted = Disruption(ComponentValuesCall(name)); FAILED(disrupted)) return disrupted;
    auto found = arrays_.find(name);
    if (found == arrays_.end() || !found->second.known) return E_INVALIDARG;
    const NamedArray& array = found->second;
    if (FAILED(array.status)) return array.status;

    const auto needed = static_cast<int32_t>(array.values.size());
    // Reuse the caller's buffer when it is long enough, as a host does.
    if (!*values || *count < needed) {
        void* grown = CoTaskMemRealloc(*values, std::max<size_t>(array.values.size(), 1) * sizeof(double));
        if (!grown) return E_OUTOFMEMORY;
        *values = static_cast<double*>(grown);
    }
    std::copy(array.values.begin(), array.values.end(), *values);
    *count = needed;
    return array.status;
}

HRESULT ScriptedFluid::GetFluidSnapshot(FluidSnapshot* snapshot) {
    if (!snapshot) return E_POINTER;
    ++calls.fluidSnapshot;
    if (const HRESULT disrupted = Disruption("GetFluidSnapshot"); FAILED(disrupted)) return disrupted;
    for (int32_t p = 0; p < PHASE_COUNT; ++p)
        if (snapshot->composition[p])
            ADD_FAILURE() << "GetFluidSnapshot was handed a record that still holds composition arrays; they leak";
    if (FAILED(snapshotStatus_)) return snapshotStatus_;

    const int32_t count = componentCount_.value_or(static_cast<int32_t>(components_.size()));
    snapshot->temperature = temperature_C_;
    snapshot->pressure = pressure_kPa_;
    snapshot->componentCount = count;
    for (int32_t p = 0; p < PHASE_COUNT; ++p) {
        snapshot->composition[p] =
            composition_[p] ? TaskCopy(*composition_[p], static_cast<size_t>(std::max(count, 0))) : nullptr;
        snapshot->phasePropertyA[p] = EMPTY_VALUE;
        snapshot->phasePropertyB[p] = EMPTY_VALUE;
        snapshot->phasePropertyC[p] = EMPTY_VALUE;
        snapshot->molarVolume[p] = EMPTY_VALUE;
    }
    for (int32_t p = 0; p < PHASE_COUNT_NO_FEED; ++p) {
        snapshot->phaseFraction[p] = EMPTY_VALUE;
        snapshot->phasePresent[p] = present_[p];
    }
    return S_OK;
}

// --- IHostStreamAnalysis ----------------------------------------------------------------

HRESULT ScriptedFluid::Refresh() { return S_OK; }

HRESULT ScriptedFluid::GetAnalysis(StreamAnalysis* analysis) {
    if (!analysis) return E_POINTER;
    ++calls.analysis;
    if (const HRESULT disrupted = Disruption("GetAnalysis"); FAILED(disrupted)) return disrupted;
    for (int32_t p = 0; p < PHASE_COUNT; ++p)
        if (analysis->curveData[p] || analysis->distillationCurve[p])
            ADD_FAILURE() << "GetAnalysis was handed a record that still holds blocks; they leak";
    if (FAILED(analysisStatus_)) return analysisStatus_;
    for (int32_t p = 0; p < PHASE_COUNT; ++p) {
        analysis->curveData[p] = CoTaskMemAlloc(CURVE_DATA_BYTES);
        analysis->distillationCurve[p] = distillation_[p] ? TaskCopy(*distillation_[p], 0) : nullptr;
        analysis->bpCurveRvp[p] = bpCurveRvp_[p];
    }
    return S_OK;
}

// --- IHostFluidServices -----------------------------------------------------------------

HRESULT ScriptedFluid::GetComponentCount(int32_t* count) {
    if (!count) return E_POINTER;
    *count = static_cast<int32_t>(components_.size());
    return S_OK;
}

HRESULT ScriptedFluid::GetComponentName(int32_t index, BSTR* name) {
    if (!name) return E_POINTER;
    *name = nullptr;
    if (index < 0 || index >= static_cast<int32_t>(components_.size())) return E_INVALIDARG;
    // The host id as text: enough for a test to tell components apart.
    const std::string id = std::to_string(static_cast<long long>(components_[static_cast<size_t>(index)].id));
    const std::u16string text(id.begin(), id.end());
    *name = SysAllocString(text.c_str());
    return *name ? S_OK : E_OUTOFMEMORY;
}

HRESULT ScriptedFluid::GetFlashCount(int64_t* count) {
    if (!count) return E_POINTER;
    *count = flashCount_;
    return S_OK;
}

HRESULT ScriptedFluid::ResetFlashCount() {
    flashCount_ = 0;
    return S_OK;
}

HRESULT ScriptedFluid::GetLastFlashStatus(BSTR* text) {
    if (!text) return E_POINTER;
    *text = SysAllocString(SUCCEEDED(lastFlashStatus_) ? u"" : u"scripted flash failure");
    return *text ? S_OK : E_OUTOFMEMORY;
}

HRESULT ScriptedFluid::Flash(FluidSnapshot* fluid) {
    if (!fluid) return E_POINTER;
    ++calls.flash;
    ++flashCount_;
    FlashRequest request{fluid->temperature, fluid->pressure, fluid->phaseFraction[0], {}};
    if (fluid->composition[FEED] && fluid->componentCount > 0)
        request.feed.assign(fluid->composition[FEED], fluid->composition[FEED] + fluid->componentCount);
    flashRequests.push_back(std::move(request));
    if (const HRESULT disrupted = Disruption("Flash"); FAILED(disrupted)) return lastFlashStatus_ = disrupted;
    // A host cannot flash a record without an overall composition.
    if (!fluid->composition[FEED] || fluid->componentCount <= 0) return lastFlashStatus_ = E_INVALIDARG;

    FlashHandler handler = flashHandler_;
    if (!queuedFlashes_.empty()) {
        handler = std::move(queuedFlashes_.front());
        queuedFlashes_.pop_front();
    }
    lastFlashStatus_ = handler ? handler(*fluid) : E_FAIL;
    return lastFlashStatus_;
}

HRESULT ScriptedFluid::AddMessage(const char* text) {
    // A raising or failing message output shows nothing: the line is not recorded.
    if (const HRESULT disrupted = Disruption("AddMessage"); FAILED(disrupted)) return disrupted;
    messages.emplace_back(text ? text : "");
    return S_OK;
}

}  // namespace volacor::testsupport
