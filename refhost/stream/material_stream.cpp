#include "refhost/stream/material_stream.h"

#include <cmath>
#include <cstring>
#include <new>
#include <stdexcept>
#include <utility>

#include "comrt/boundary.h"
#include "comrt/codepage.h"
#include "comrt/memory.h"
#include "comrt/owners.h"
#include "host/phase.h"
#include "refhost/stream/stream_analysis.h"

namespace refhost {
namespace {

using volacor::EMPTY_VALUE;
using volacor::FEED;
using volacor::FluidSnapshot;
using volacor::PHASE_COUNT;
using volacor::PHASE_COUNT_NO_FEED;
using volacor::StreamAnalysis;

constexpr double kKelvinOffset = 273.15;

// The host's phase slot for each of the engine's: the slots coincide (vapour, hydrocarbon
// liquid, aqueous liquid); SOLID has no engine phase.
static_assert(int{thermo::kVapour} == int{volacor::VAP} && int{thermo::kHydrocarbonLiquid} == int{volacor::LIQ1} &&
              int{thermo::kAqueousLiquid} == int{volacor::LIQ2});

// Mole fractions that can be flashed: finite, not negative, a positive sum; normalised.
// False (out unchanged) otherwise.
bool Normalised(const double* values, size_t n, std::vector<double>& out) {
    double sum = 0;
    for (size_t i = 0; i < n; ++i) {
        if (!std::isfinite(values[i]) || values[i] < 0) return false;
        sum += values[i];
    }
    if (!(sum > 0) || !std::isfinite(sum)) return false;
    out.resize(n);
    for (size_t i = 0; i < n; ++i) out[i] = values[i] / sum;
    return true;
}

void CheckState(const thermo::Fluid& fluid, const StreamState& state) {
    if (state.moleFractions.size() != fluid.size())
        throw std::invalid_argument("stream \"" + state.name + "\": " + std::to_string(state.moleFractions.size()) +
                                    " mole fractions for " + std::to_string(fluid.size()) + " components");
    std::vector<double> normalised;
    if (!Normalised(state.moleFractions.data(), state.moleFractions.size(), normalised))
        throw std::invalid_argument("stream \"" + state.name +
                                    "\": mole fractions must be finite, not negative, and not all zero");
    if (!std::isfinite(state.temperature_C) || !(state.temperature_C > -kKelvinOffset))
        throw std::invalid_argument("stream \"" + state.name + "\": temperature must be above absolute zero");
    if (!std::isfinite(state.pressure_kPa) || !(state.pressure_kPa > 0))
        throw std::invalid_argument("stream \"" + state.name + "\": pressure must be positive");
    if (!std::isfinite(state.molarFlow_kmol_h) || state.molarFlow_kmol_h < 0)
        throw std::invalid_argument("stream \"" + state.name + "\": molar flow must not be negative");
}

const char* StatusText(thermo::FlashStatus status) {
    switch (status) {
        case thermo::FlashStatus::Converged: return "converged";
        case thermo::FlashStatus::NotConverged: return "did not converge";
        case thermo::FlashStatus::InvalidInput: return "invalid input";
        case thermo::FlashStatus::NoSolution: return "no solution";
    }
    return "unknown status";
}

// Volume of one mole of the whole fluid over its phases, m³/kmol.
double WholeMolarVolume(const thermo::FlashResult& r) {
    double v = 0;
    for (const thermo::PhaseResult& p : r.phases)
        if (p.present) v += p.fraction * p.v_m3_per_kmol;
    return v;
}

// Writes the flashed phases into the record: pressure, fractions, presence, molar volumes
// and the phase compositions into the caller's arrays (a null array is left null).
void WritePhases(const thermo::FlashResult& r, FluidSnapshot& record, size_t n) {
    record.pressure = r.P_kPa;
    for (int32_t p = 0; p < PHASE_COUNT_NO_FEED; ++p) {
        const bool engine = p < thermo::kPhaseSlots && r.phases[static_cast<size_t>(p)].present;
        const thermo::PhaseResult* phase = engine ? &r.phases[static_cast<size_t>(p)] : nullptr;
        record.phasePresent[p] = phase ? 1 : 0;
        record.phaseFraction[p] = phase ? phase->fraction : 0.0;
        record.molarVolume[p] = phase ? phase->v_m3_per_kmol : 0.0;
        if (double* x = record.composition[p])
            for (size_t i = 0; i < n; ++i) x[i] = phase ? phase->composition[i] : 0.0;
    }
    record.molarVolume[FEED] = WholeMolarVolume(r);
}

}  // namespace

struct MaterialStream::Analysis {
    StreamAnalysisResult result;
};

MaterialStream::MaterialStream(thermo::Fluid fluid, StreamState state)
    : fluid_(std::make_unique<const thermo::Fluid>(std::move(fluid))), state_(std::move(state)), flasher_(*fluid_) {}

MaterialStream::~MaterialStream() = default;

comrt::ComPtr<MaterialStream> MaterialStream::Create(thermo::Fluid fluid, StreamState state) {
    CheckState(fluid, state);
    return comrt::ComPtr<MaterialStream>::Attach(new MaterialStream(std::move(fluid), std::move(state)));
}

void MaterialStream::SetConditions(double temperature_C, double pressure_kPa) {
    StreamState next = state_;
    next.temperature_C = temperature_C;
    next.pressure_kPa = pressure_kPa;
    CheckState(*fluid_, next);
    state_ = std::move(next);
    analysis_.reset();
}

void MaterialStream::SetMoleFractions(std::vector<double> moleFractions) {
    StreamState next = state_;
    next.moleFractions = std::move(moleFractions);
    CheckState(*fluid_, next);
    state_ = std::move(next);
    analysis_.reset();
}

std::array<bool, 4> MaterialStream::PresentPhases() {
    std::array<bool, 4> present{};
    std::vector<double> z;
    Normalised(state_.moleFractions.data(), fluid_->size(), z);
    flasher_.flash_pt(state_.temperature_C + kKelvinOffset, state_.pressure_kPa, z, work_);
    if (work_.status != thermo::FlashStatus::Converged) return present;
    for (int p = 0; p < thermo::kPhaseSlots; ++p) present[static_cast<size_t>(p)] = work_.phases[static_cast<size_t>(p)].present;
    return present;
}

std::vector<std::string> MaterialStream::TakeMessages() { return std::exchange(messages_, {}); }

std::vector<std::string> MaterialStream::MessagesUtf8(const std::vector<std::string>& lines) {
    std::vector<std::string> converted;
    converted.reserve(lines.size());
    for (const std::string& line : lines) converted.push_back(comrt::AnsiToUtf8(line));
    return converted;
}

HRESULT MaterialStream::QueryInterface(const GUID& iid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (iid == IID_IUnknown || iid == volacor::IID_IHostFluid)
        *out = static_cast<volacor::IHostFluid*>(this);
    else if (iid == volacor::IID_IHostStreamAnalysis)
        *out = static_cast<volacor::IHostStreamAnalysis*>(this);
    else if (iid == volacor::IID_IHostFluidServices)
        *out = static_cast<volacor::IHostFluidServices*>(this);
    else
        return E_NOINTERFACE;
    AddRef();
    return S_OK;
}

ULONG MaterialStream::AddRef() { return references_.fetch_add(1, std::memory_order_relaxed) + 1; }

ULONG MaterialStream::Release() {
    const ULONG left = references_.fetch_sub(1, std::memory_order_acq_rel) - 1;
    if (left == 0) delete this;
    return left;
}

HRESULT MaterialStream::GetComponentValues(const char* name, int32_t* count, double** values) {
    if (!name || !count || !values) return E_POINTER;
    return comrt::GuardBoundary([&]() -> HRESULT {
        std::vector<double> answer;
        const std::string_view wanted(name);
        if (wanted == "Molecular Weight") {
            for (const thermo::Component& c : fluid_->components()) answer.push_back(c.mw_g_per_mol);
        } else if (wanted == "MolarFlow") {
            answer.push_back(state_.molarFlow_kmol_h);
        } else if (wanted == "ComponentIDs") {
            for (const thermo::Component& c : fluid_->components()) answer.push_back(c.host_id);
        } else if (wanted == "CAS_Numbers") {
            for (const thermo::Component& c : fluid_->components()) answer.push_back(static_cast<double>(c.cas));
        } else {
            return E_INVALIDARG;
        }
        // The caller's block is reused when it is there: reallocated to the new length.
        const size_t bytes = answer.size() * sizeof(double);
        void* block = *values ? CoTaskMemRealloc(*values, bytes) : CoTaskMemAlloc(bytes);
        if (!block) return E_OUTOFMEMORY;  // the caller's block stays as it was
        std::memcpy(block, answer.data(), bytes);
        *values = static_cast<double*>(block);
        *count = static_cast<int32_t>(answer.size());
        return S_OK;
    });
}

HRESULT MaterialStream::GetFluidSnapshot(FluidSnapshot* snapshot) {
    if (!snapshot) return E_POINTER;
    return comrt::GuardBoundary([&]() -> HRESULT {
        const size_t n = fluid_->size();
        std::vector<double> z;
        Normalised(state_.moleFractions.data(), n, z);  // checked when the state was set
        flasher_.flash_pt(state_.temperature_C + kKelvinOffset, state_.pressure_kPa, z, work_);
        if (work_.status != thermo::FlashStatus::Converged) {
            lastFlashStatus_ = "the stream cannot be flashed at its own conditions: " + work_.message;
            return E_FAIL;
        }
        comrt::TaskMemPtr<double> arrays[PHASE_COUNT];
        for (auto& array : arrays) {
            array.reset(comrt::TaskAlloc<double>(n));
            if (!array) return E_OUTOFMEMORY;
        }
        FluidSnapshot filled{};
        filled.temperature = state_.temperature_C;
        filled.componentCount = static_cast<int32_t>(n);
        for (int32_t p = 0; p < PHASE_COUNT; ++p) {
            filled.composition[p] = arrays[p].get();
            filled.phasePropertyA[p] = filled.phasePropertyB[p] = filled.phasePropertyC[p] = EMPTY_VALUE;
        }
        std::memcpy(filled.composition[FEED], z.data(), n * sizeof(double));
        WritePhases(work_, filled, n);
        for (auto& array : arrays) (void)array.release();  // now the caller's
        std::memcpy(static_cast<void*>(snapshot), &filled, sizeof filled);
        return S_OK;
    });
}

HRESULT MaterialStream::Refresh() {
    analysis_.reset();
    return S_OK;
}

HRESULT MaterialStream::GetAnalysis(StreamAnalysis* analysis) {
    if (!analysis) return E_POINTER;
    return comrt::GuardBoundary([&]() -> HRESULT {
        if (!analysis_) analysis_ = std::make_unique<Analysis>(Analysis{AnalyseStream(flasher_, state_)});
        const StreamAnalysisResult& result = analysis_->result;
        comrt::TaskMemPtr<double> curves[PHASE_COUNT];
        for (int32_t p = 0; p < PHASE_COUNT; ++p) {
            const DistillationCurve& curve = result.phases[static_cast<size_t>(p)].d86_C;
            curves[p].reset(comrt::TaskAlloc<double>(curve.size()));
            if (!curves[p]) return E_OUTOFMEMORY;
            std::memcpy(curves[p].get(), curve.data(), curve.size() * sizeof(double));
        }
        StreamAnalysis filled{};
        for (int32_t p = 0; p < PHASE_COUNT; ++p) {
            filled.curveData[p] = nullptr;  // this host hands over no curve data of its own
            filled.distillationCurve[p] = curves[p].release();
            filled.bpCurveRvp[p] = result.phases[static_cast<size_t>(p)].bpCurveRvp_kPa;
        }
        std::memcpy(static_cast<void*>(analysis), &filled, sizeof filled);
        return S_OK;
    });
}

HRESULT MaterialStream::GetComponentCount(int32_t* count) {
    if (!count) return E_POINTER;
    *count = static_cast<int32_t>(fluid_->size());
    return S_OK;
}

HRESULT MaterialStream::GetComponentName(int32_t index, BSTR* name) {
    if (!name) return E_POINTER;
    *name = nullptr;
    if (index < 0 || static_cast<size_t>(index) >= fluid_->size()) return E_INVALIDARG;
    return comrt::GuardBoundary([&]() -> HRESULT {
        const std::u16string wide = comrt::Utf8ToWide(fluid_->component(static_cast<size_t>(index)).name);
        *name = SysAllocStringLen(wide.data(), static_cast<uint32_t>(wide.size()));
        return *name ? S_OK : E_OUTOFMEMORY;
    });
}

HRESULT MaterialStream::GetFlashCount(int64_t* count) {
    if (!count) return E_POINTER;
    *count = flashCount_;
    return S_OK;
}

HRESULT MaterialStream::ResetFlashCount() {
    flashCount_ = 0;
    return S_OK;
}

HRESULT MaterialStream::GetLastFlashStatus(BSTR* text) {
    if (!text) return E_POINTER;
    return comrt::GuardBoundary([&]() -> HRESULT {
        const std::u16string wide = comrt::Utf8ToWide(lastFlashStatus_);
        *text = SysAllocStringLen(wide.data(), static_cast<uint32_t>(wide.size()));
        return *text ? S_OK : E_OUTOFMEMORY;
    });
}

HRESULT MaterialStream::Flash(FluidSnapshot* record) {
    if (!record) return E_POINTER;
    return comrt::GuardBoundary([&]() -> HRESULT {
        ++flashCount_;
        const size_t n = fluid_->size();
        const auto refuse = [&](HRESULT status, std::string why) {
            lastFlashStatus_ = std::move(why);
            return status;
        };
        // The record is packed: read its members by value.
        const int32_t count = record->componentCount;
        if (count < 0 || static_cast<size_t>(count) != n)
            return refuse(E_INVALIDARG, "the record holds " + std::to_string(count) + " components, the stream " +
                                            std::to_string(n));
        const double* feed = record->composition[FEED];
        if (!feed) return refuse(E_INVALIDARG, "the record has no overall composition");
        std::vector<double> z;
        if (!Normalised(feed, n, z))
            return refuse(E_INVALIDARG, "the overall composition is negative, not finite or all zero");
        const double t_C = record->temperature;
        if (!std::isfinite(t_C) || !(t_C > -kKelvinOffset))
            return refuse(E_INVALIDARG, "the temperature is not above absolute zero");
        const double p_kPa = record->pressure;
        if (p_kPa == EMPTY_VALUE) {
            const double beta = record->phaseFraction[0];
            if (!(beta >= 0.0 && beta <= 1.0))
                return refuse(E_INVALIDARG, "the vapour fraction is outside [0, 1]");
            flasher_.flash_t_beta(t_C + kKelvinOffset, beta, z, work_);
        } else {
            if (!std::isfinite(p_kPa) || !(p_kPa > 0)) return refuse(E_INVALIDARG, "the pressure is not positive");
            flasher_.flash_pt(t_C + kKelvinOffset, p_kPa, z, work_);
        }
        if (work_.status != thermo::FlashStatus::Converged)
            return refuse(work_.status == thermo::FlashStatus::InvalidInput ? E_INVALIDARG : E_FAIL,
                          std::string("the flash ") + StatusText(work_.status) +
                              (work_.message.empty() ? "" : ": " + work_.message));
        WritePhases(work_, *record, n);
        lastFlashStatus_.clear();
        return S_OK;
    });
}

HRESULT MaterialStream::AddMessage(const char* text) {
    if (!text) return E_POINTER;
    return comrt::GuardBoundary([&]() -> HRESULT {
        messages_.emplace_back(text);
        return S_OK;
    });
}

}  // namespace refhost
